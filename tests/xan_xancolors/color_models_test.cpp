// Colour models and conversions: packing, blending, hexadecimal text, the HSL, HSV, HSI, CMY(K)
// and grey models, distance, random colours and wavelengths.
#include "xan/xancolors/color_models.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "xan/platform/random.h"
#include "xan_xancolors/color_math.h"

namespace xan {
namespace {

using detail::PackRGB;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Rgb {
  int32_t R, G, B;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.R << ", " << c.G << ", " << c.B << ")";
}

// The three components a model's RGBto... function gives.
struct Hsx {
  double H, S, X;
  friend bool operator==(const Hsx&, const Hsx&) = default;
};
std::ostream& operator<<(std::ostream& os, const Hsx& m) {
  return os << "H " << m.H << ", S " << m.S << ", " << m.X;
}
using TRGBtoModel = void (*)(int32_t, int32_t, int32_t, double&, double&, double&) noexcept;
Hsx Split(TRGBtoModel toModel, int32_t R, int32_t G, int32_t B) {
  Hsx m{9, 9, 9};
  toModel(R, G, B, m.H, m.S, m.X);
  return m;
}

// The channels a model's ...toRGB function gives.
using TModelToRGB = void (*)(double, double, double, int32_t&, int32_t&, int32_t&) noexcept;
Rgb Join(TModelToRGB toRGB, double H, double S, double X) {
  Rgb c{-1, -1, -1};
  toRGB(H, S, X, c.R, c.G, c.B);
  return c;
}

// ------------------------------------------------------------------------------------------------
// Rounding rules

TEST(ColorRounding, RoundGoesToEvenAndNeverOverflows) {
  using detail::RoundEven;
  EXPECT_EQ(RoundEven(0.5), 0);
  EXPECT_EQ(RoundEven(1.5), 2);
  EXPECT_EQ(RoundEven(2.5), 2);
  EXPECT_EQ(RoundEven(126.5), 126);
  EXPECT_EQ(RoundEven(127.5), 128);
  EXPECT_EQ(RoundEven(-0.5), 0);
  EXPECT_EQ(RoundEven(-1.5), -2);
  EXPECT_EQ(RoundEven(-2.5), -2);
  EXPECT_EQ(RoundEven(2.4999999999999996), 2);
  EXPECT_EQ(RoundEven(2.5000000000000004), 3);
  EXPECT_EQ(RoundEven(-2.6), -3);
  EXPECT_EQ(RoundEven(29.49999999999999999826528L), 29);
  EXPECT_EQ(RoundEven(kNaN), 0);
  EXPECT_EQ(RoundEven(1e300), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RoundEven(-1e300), std::numeric_limits<int32_t>::min());
}

TEST(ColorRounding, TruncAndFracCutTowardZero) {
  EXPECT_EQ(detail::TruncInt(2.9), 2);
  EXPECT_EQ(detail::TruncInt(-2.9), -2);
  EXPECT_DOUBLE_EQ(detail::Frac(2.75), 0.75);
  EXPECT_DOUBLE_EQ(detail::Frac(-2.75), -0.75);
  EXPECT_EQ(detail::TruncInt(kNaN), 0);
}

// ------------------------------------------------------------------------------------------------
// Packing, blending and simple transformations

TEST(ColorBlend, PacksLowBytesAndIgnoresTopByte) {
  EXPECT_EQ(PackRGB(255, 0, 0), 0x0000FFU);
  EXPECT_EQ(PackRGB(1, 2, 3), 0x030201U);
  EXPECT_EQ(PackRGB(256, -1, 0x1FF), 0xFFFF00U);
  EXPECT_EQ(ReverseRGBColor(0xFF112233U), 0x332211U);
  EXPECT_EQ(InvertColor(0xAB10FF80U), 0xEF007FU);
  EXPECT_EQ(InvertColor(InvertColor(0x123456U)), 0x123456U);
}

TEST(ColorBlend, InterpolateClampsAndTruncates) {
  const TColor a = 0xFF000000U | PackRGB(10, 200, 0);
  const TColor b = 0x7F000000U | PackRGB(20, 100, 255);
  EXPECT_EQ(InterpolateColor(a, b, 0), PackRGB(10, 200, 0));
  EXPECT_EQ(InterpolateColor(a, b, -1), PackRGB(10, 200, 0));
  EXPECT_EQ(InterpolateColor(a, b, 1), PackRGB(20, 100, 255));
  EXPECT_EQ(InterpolateColor(a, b, 2), PackRGB(20, 100, 255));
  EXPECT_EQ(InterpolateColor(a, b, kNaN), PackRGB(10, 200, 0));
  // 15, 150, 127.5: each channel truncated, downward for a falling channel too.
  EXPECT_EQ(InterpolateColor(a, b, 0.5), PackRGB(15, 150, 127));
  EXPECT_EQ(InterpolateColor(PackRGB(255, 0, 0), PackRGB(0, 0, 0), 0.5), PackRGB(127, 0, 0));
  EXPECT_EQ(InterpolateColor(PackRGB(0, 0, 0), PackRGB(10, 0, 0), 0.7), PackRGB(7, 0, 0));
  EXPECT_EQ(InterpolateColor(PackRGB(0, 0, 0), PackRGB(100, 0, 0), 0.999), PackRGB(99, 0, 0));
  EXPECT_EQ(MeanColor(0x000000U, 0xFFFFFFU), 0x7F7F7FU);
  EXPECT_EQ(MeanColor(PackRGB(3, 4, 5), PackRGB(4, 4, 4)), PackRGB(3, 4, 4));
}

TEST(ColorBlend, ThreeColoursMeetInTheMiddle) {
  const TColor c1 = PackRGB(0, 0, 0), c2 = PackRGB(100, 200, 40), c3 = PackRGB(200, 0, 240);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 0), c1);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, -3), c1);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 0.25), PackRGB(50, 100, 20));
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 0.5), c2);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 0.75), PackRGB(150, 100, 140));
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 1), c3);
  EXPECT_EQ(Interpolate3Colors(c1, c2, c3, 7), c3);
}

// ------------------------------------------------------------------------------------------------
// Hexadecimal text

TEST(ColorHex, WritesEightUpperCaseDigits) {
  EXPECT_EQ(ColorToHexStr(0x0000FFU), u"000000FF");
  EXPECT_EQ(ColorToHexStr(0x01000000U), u"01000000");
  EXPECT_EQ(ColorToHexStr(0xFEDCBA98U), u"FEDCBA98");
  EXPECT_EQ(ColorToHexStr(0), u"00000000");
}

TEST(ColorHex, ReadsUntilTheFirstOtherCharacter) {
  EXPECT_EQ(HexStrToColor(u"  $ff8000  "), 0xFF8000U);
  EXPECT_EQ(HexStrToColor(u"12xz"), 0x12U);
  EXPECT_EQ(HexStrToColor(u"xyz"), 0U);
  EXPECT_EQ(HexStrToColor(u""), 0U);
  EXPECT_EQ(HexStrToColor(u"   "), 0U);
  EXPECT_EQ(HexStrToColor(u"$"), 0U);
  EXPECT_EQ(HexStrToColor(u"0x10"), 0U);
  EXPECT_EQ(HexStrToColor(u"$$10"), 0U);
  EXPECT_EQ(HexStrToColor(u"\t10"), 0U);
  EXPECT_EQ(HexStrToColor(u"aBcDeF"), 0xABCDEFU);
  EXPECT_EQ(HexStrToColor(u"1 2"), 0x1U);
  EXPECT_EQ(HexStrToColor(u"123456789"), 0x23456789U);
  EXPECT_EQ(HexStrToColor(u"\uff10"), 0U);  // a full-width digit is not a digit
  for (TColor c : {0U, 0xFFU, 0x01000000U, 0xFFFFFFFFU, 0x80402010U}) {
    EXPECT_EQ(HexStrToColor(ColorToHexStr(c)), c);
  }
}

// What HexStrToColor should read, found another way: the leading digits after the blanks and
// one "$", of which only the last eight count once the value wraps at 32 bits.
TColor LeadingHexDigits(StringView s) {
  const size_t first = s.find_first_not_of(u' ');
  if (first == StringView::npos) return 0;
  s = s.substr(first, s.find_last_not_of(u' ') + 1 - first);
  if (s.front() == u'$') s.remove_prefix(1);
  const auto isDigit = [](Char c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
  };
  size_t n = 0;
  while (n < s.size() && isDigit(s[n])) ++n;
  std::string digits;
  for (size_t i = n > 8 ? n - 8 : 0; i < n; ++i) digits += static_cast<char>(s[i]);
  uint32_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  return value;
}

// Texts made of digits, blanks, "$", tabs, letters past F and characters above 255 whose low
// byte would read as a digit, a blank or "$".
TEST(ColorHex, ReadsRandomTextsLikeTheirLeadingDigits) {
  static constexpr Char kAlphabet[] =
      u"0123456789abcdefABCDEF  $$xX\t\u0130\u0141\u0166\u0124"
      u"\u0120\uff10\uffff";
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> pick(0, std::size(kAlphabet) - 2);
  std::uniform_int_distribution<size_t> length(0, 14);
  for (int i = 0; i < 20000; ++i) {
    String text(length(random), u' ');
    for (Char& c : text) c = kAlphabet[pick(random)];
    ASSERT_EQ(HexStrToColor(text), LeadingHexDigits(text)) << ToUtf8(text);
  }
}

// ------------------------------------------------------------------------------------------------
// HSL

TEST(ColorHSL, ConvertsTheDocumentedExamples) {
  EXPECT_EQ(Split(RGBtoHSL, 128, 128, 128), (Hsx{0, 0, 128 / 255.0}));
  EXPECT_EQ(Split(RGBtoHSL, 255, 0, 0), (Hsx{0, 1, 0.5}));
  EXPECT_DOUBLE_EQ(Split(RGBtoHSL, 255, 0, 255).H, 300);  // a negative hue gains 360
  EXPECT_DOUBLE_EQ(Split(RGBtoHSL, 0, 0, 255).H, 240);
  const Hsx green = Split(RGBtoHSL, 0, 128, 0);
  EXPECT_DOUBLE_EQ(green.H, 120);
  EXPECT_EQ(green.S, 1);
  EXPECT_DOUBLE_EQ(green.X, 64 / 255.0);
  EXPECT_DOUBLE_EQ(Split(RGBtoHSL, 255, 255, 0).H, 60);  // red and green tie: red first
  // Channels are clamped to 0..255 before anything else.
  EXPECT_EQ(Split(RGBtoHSL, 300, -5, 0), Split(RGBtoHSL, 255, 0, 0));
}

TEST(ColorHSL, WrapsTheHueOnceAndClamps) {
  EXPECT_EQ(Join(HSLtoRGB, 0, 1, 0.5), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSLtoRGB, 360, 1, 0.5), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSLtoRGB, -120, 1, 0.5), (Rgb{0, 0, 255}));
  EXPECT_EQ(Join(HSLtoRGB, -360, 1, 0.5), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSLtoRGB, 480, 1, 0.5), (Rgb{0, 255, 0}));
  EXPECT_EQ(Join(HSLtoRGB, 720, 1, 0.5), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSLtoRGB, -1e-30, 1, 0.5), (Rgb{255, 0, 0}));  // 360 after the turn reads as 0
  EXPECT_EQ(Join(HSLtoRGB, 60, 2, 0.5), (Rgb{255, 255, 0}));
  EXPECT_EQ(Join(HSLtoRGB, 60, 1, -1), (Rgb{0, 0, 0}));
  EXPECT_EQ(Join(HSLtoRGB, 60, 1, 7), (Rgb{255, 255, 255}));
  EXPECT_EQ(Join(HSLtoRGB, 200, 0, 0.5), (Rgb{128, 128, 128}));  // 127.5 rounds to even
  EXPECT_EQ(HSLtoColor(240, 1, 0.5), 0xFF0000U);
}

// Hues beyond -360..720 are reduced by whole turns; infinite and NaN hues read as 0.
TEST(ColorHSL, ReducesFarHuesByWholeTurns) {
  EXPECT_EQ(Join(HSLtoRGB, -480, 1, 0.5), (Rgb{0, 0, 255}));
  EXPECT_EQ(Join(HSLtoRGB, 1200, 1, 0.5), (Rgb{0, 255, 0}));
  EXPECT_EQ(Join(HSLtoRGB, 3600 + 300, 1, 0.5), (Rgb{255, 0, 255}));
  EXPECT_EQ(Join(HSLtoRGB, -720, 1, 0.5), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSLtoRGB, std::numeric_limits<double>::infinity(), 1, 0.5), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSLtoRGB, kNaN, 1, 0.5), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSLtoRGB, 120, kNaN, 0.5), (Rgb{128, 128, 128}));
}

// ------------------------------------------------------------------------------------------------
// HSV

TEST(ColorHSV, GreyHasTheUndefinedHue) {
  EXPECT_EQ(Split(RGBtoHSV, 128, 128, 128), (Hsx{-1, 0, 128 / 255.0}));
  EXPECT_EQ(Split(RGBtoHSV, 0, 0, 0), (Hsx{0, 0, 0}));
  EXPECT_EQ(Split(RGBtoHSV, 255, 0, 0), (Hsx{0, 1, 1}));
  EXPECT_DOUBLE_EQ(Split(RGBtoHSV, 255, 0, 128).H, 360 - 60 * 128 / 255.0);
}

TEST(ColorHSV, TiesGoToRedThenGreen) {
  double H = 0, S = 0, V = 0;
  RGBtoHSV(200, 200, 0, H, S, V);  // red wins: (G - B)/d = 1
  EXPECT_DOUBLE_EQ(H, 60);
  RGBtoHSV(0, 200, 200, H, S, V);  // green wins: (B - R)/d + 2 = 3
  EXPECT_DOUBLE_EQ(H, 180);
  RGBtoHSV(200, 0, 200, H, S, V);  // red wins: (G - B)/d = -1
  EXPECT_DOUBLE_EQ(H, 300);
}

TEST(ColorHSV, ReplacesOutOfRangeHuesByZero) {
  EXPECT_EQ(Join(HSVtoRGB, 360, 1, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSVtoRGB, 480, 1, 1), (Rgb{255, 0, 0}));  // not wrapped to green
  EXPECT_EQ(Join(HSVtoRGB, -1, 1, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSVtoRGB, -120, 1, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSVtoRGB, kNaN, 1, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSVtoRGB, 359.9999, 1, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSVtoRGB, 120, 1, 0.5), (Rgb{0, 128, 0}));
  EXPECT_EQ(Join(HSVtoRGB, 0, 0, 0.5), (Rgb{128, 128, 128}));
  EXPECT_EQ(Join(HSVtoRGB, 0, 0.5, 1), (Rgb{255, 128, 128}));  // p = 127.5
  EXPECT_EQ(Join(HSVtoRGB, 30, 3, 9), (Rgb{255, 128, 0}));     // S and V clamped
  EXPECT_EQ(Join(HSVtoRGB, 30, -1, 0.2), (Rgb{51, 51, 51}));
  EXPECT_EQ(HSVtoColor(240, 1, 1), 0xFF0000U);
}

// ------------------------------------------------------------------------------------------------
// HSI

TEST(ColorHSI, BehavesLikeHSVForGreyAndBlack) {
  EXPECT_EQ(Split(RGBtoHSI, 128, 128, 128), (Hsx{-1, 0, 128 / 255.0}));
  EXPECT_EQ(Split(RGBtoHSI, 0, 0, 0), (Hsx{0, 0, 0}));
  EXPECT_EQ(Split(RGBtoHSI, 255, 0, 0), (Hsx{0, 1, 1 / 3.0}));
  const Hsx m = Split(RGBtoHSI, 30, 60, 90);
  EXPECT_DOUBLE_EQ(m.H, 210);
  EXPECT_DOUBLE_EQ(m.S, 0.5);
  EXPECT_DOUBLE_EQ(m.X, 60 / 255.0);
}

TEST(ColorHSI, WrapsClampsAndLimitsChannels) {
  EXPECT_EQ(Join(HSItoRGB, 0, 1, 1 / 3.0), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSItoRGB, 360, 1, 1 / 3.0), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSItoRGB, -120, 1, 1 / 3.0), (Rgb{0, 0, 255}));
  EXPECT_EQ(Join(HSItoRGB, -1, 0, 0.5), (Rgb{128, 128, 128}));
  EXPECT_EQ(Join(HSItoRGB, 210, 0.5, 60 / 255.0), (Rgb{30, 60, 90}));
  // Full intensity and saturation would ask for 3 in red: each channel stops at 255.
  EXPECT_EQ(Join(HSItoRGB, 0, 1, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(Join(HSItoRGB, 60, 5, 2), (Rgb{255, 255, 0}));
  EXPECT_EQ(Join(HSItoRGB, 1200, 1, 1 / 3.0), (Rgb{0, 255, 0}));
  EXPECT_EQ(HSItoColor(240, 1, 1 / 3.0), 0xFF0000U);
}

// ------------------------------------------------------------------------------------------------
// Round trips over a 16-level grid (0, 17, ..., 255 in each channel: 4096 colours)

template <typename ToModel, typename FromModel>
int CountRoundTripMisses(ToModel to, FromModel from) {
  int misses = 0;
  for (int r = 0; r < 256; r += 17) {
    for (int g = 0; g < 256; g += 17) {
      for (int b = 0; b < 256; b += 17) {
        double x = 0, y = 0, z = 0;
        Rgb back{};
        to(r, g, b, x, y, z);
        from(x, y, z, back.R, back.G, back.B);
        if (back != Rgb{r, g, b}) {
          ++misses;
          ADD_FAILURE() << "(" << r << ", " << g << ", " << b << ") came back as " << back;
        }
      }
    }
  }
  return misses;
}

TEST(ColorRoundTrip, HSLIsExactOnTheGrid) {
  EXPECT_EQ(CountRoundTripMisses(RGBtoHSL, HSLtoRGB), 0);
}

TEST(ColorRoundTrip, HSVIsExactOnTheGrid) {
  EXPECT_EQ(CountRoundTripMisses(RGBtoHSV, HSVtoRGB), 0);
}

TEST(ColorRoundTrip, HSIIsExactOnTheGrid) {
  EXPECT_EQ(CountRoundTripMisses(RGBtoHSI, HSItoRGB), 0);
}

TEST(ColorRoundTrip, ThroughTColor) {
  for (TColor c : {0x000000U, 0xFFFFFFU, 0x123456U, 0x00A5FFU, 0xFF00FF00U}) {
    double x = 0, y = 0, z = 0;
    ColorToHSL(c, x, y, z);
    EXPECT_EQ(HSLtoColor(x, y, z), c & 0xFFFFFFU);
    ColorToHSV(c, x, y, z);
    EXPECT_EQ(HSVtoColor(x, y, z), c & 0xFFFFFFU);
    ColorToHSI(c, x, y, z);
    EXPECT_EQ(HSItoColor(x, y, z), c & 0xFFFFFFU);
  }
}

// ------------------------------------------------------------------------------------------------
// CMY and CMYK

TEST(ColorCMY, ConvertsAndClamps) {
  double C = 0, M = 0, Y = 0;
  RGBtoCMY(255, 0, 51, C, M, Y);
  EXPECT_EQ(C, 0);
  EXPECT_EQ(M, 1);
  EXPECT_DOUBLE_EQ(Y, 0.8);
  uint8_t R = 0, G = 0, B = 0;
  CMYtoRGB(0, 1, 0.5, R, G, B);
  EXPECT_EQ(R, 255);
  EXPECT_EQ(G, 0);
  EXPECT_EQ(B, 128);
  CMYtoRGB(-2, 3, kNaN, R, G, B);
  EXPECT_EQ(R, 255);
  EXPECT_EQ(G, 0);
  EXPECT_EQ(B, 255);
  for (int v = 0; v < 256; ++v) {
    RGBtoCMY(static_cast<uint8_t>(v), static_cast<uint8_t>(255 - v), 7, C, M, Y);
    CMYtoRGB(C, M, Y, R, G, B);
    ASSERT_EQ(R, v);
    ASSERT_EQ(G, 255 - v);
    ASSERT_EQ(B, 7);
  }
}

TEST(ColorCMY, TakesOutAndPutsBackTheBlack) {
  double C = 0.5, M = 0.75, Y = 0.875, K = 9;
  CMYtoCMYK(C, M, Y, K);
  EXPECT_EQ(K, 0.5);
  EXPECT_EQ(C, 0);
  EXPECT_EQ(M, 0.25);
  EXPECT_EQ(Y, 0.375);
  CMYKtoCMY(C, M, Y, K);
  EXPECT_EQ(C, 0.5);
  EXPECT_EQ(M, 0.75);
  EXPECT_EQ(Y, 0.875);
  // Clamped in place first, so K comes from the clamped values; no division by 1 - K.
  C = 1.5, M = 2, Y = 0.25;
  CMYtoCMYK(C, M, Y, K);
  EXPECT_EQ(K, 0.25);
  EXPECT_EQ(C, 0.75);
  EXPECT_EQ(M, 0.75);
  EXPECT_EQ(Y, 0);
  C = 0.75, M = -1, Y = 0.5;
  CMYKtoCMY(C, M, Y, 0.5);
  EXPECT_EQ(C, 1);
  EXPECT_EQ(M, 0);
  EXPECT_EQ(Y, 1);
}

// ------------------------------------------------------------------------------------------------
// Grey and distance

TEST(ColorGray, WeighsInExtendedPrecision) {
  EXPECT_EQ(RGBtoGray(255, 255, 255), 255);
  EXPECT_EQ(RGBtoGray(1, 1, 1), 1);
  EXPECT_EQ(RGBtoGray(0, 0, 0), 0);
  EXPECT_EQ(RGBtoGray(255, 0, 0), 76);  // 76.5, a tie, goes to the even 76
  EXPECT_EQ(RGBtoGray(15, 0, 0), 4);    // 4.5
  EXPECT_EQ(RGBtoGray(0, 0, 50), 6);    // 5.5
  // 0.59*50 is a little below 29.5 in extended precision (in double it would be the tie 29.5
  // and round to 30).
  EXPECT_EQ(RGBtoGray(0, 50, 0), 29);
  EXPECT_EQ(RGBtoGray(25, 0, 0), 8);    // a little above 7.5
  EXPECT_EQ(RGBtoGray(300, 0, 0), 90);  // not clamped
  EXPECT_EQ(RGBtoGrayColor(255, 0, 0), PackRGB(76, 76, 76));
  EXPECT_EQ(RGBtoGrayColor(500, 500, 500), PackRGB(500 & 255, 500 & 255, 500 & 255));
  EXPECT_EQ(ColorToGray(0xFF0000FFU), 76);
  EXPECT_EQ(ColorToGrayColor(0xAA00FF00U), PackRGB(150, 150, 150));  // 0.59*255 = 150.45
}

TEST(ColorDistance, IsScaledToOne) {
  EXPECT_EQ(RGBColorDistance(0x123456U, 0xFF123456U), 0);
  EXPECT_EQ(RGBColorDistance(0x000000U, 0xFFFFFFU), 1);
  EXPECT_DOUBLE_EQ(RGBColorDistance(0x000000U, 0x0000FFU), 1 / std::sqrt(3.0));
  EXPECT_DOUBLE_EQ(RGBColorDistance(PackRGB(10, 20, 30), PackRGB(13, 24, 30)),
                   5 / std::sqrt(195075.0));
  EXPECT_EQ(RGBColorDistance(PackRGB(1, 2, 3), PackRGB(4, 5, 6)),
            RGBColorDistance(PackRGB(4, 5, 6), PackRGB(1, 2, 3)));
}

// ------------------------------------------------------------------------------------------------
// Random colours

TEST(ColorRandom, DrawsBlueThenGreenThenRed) {
  const uint32_t saved = RandSeed();
  SetRandSeed(4711);
  const TColor c = RandomColor();
  TRandomGenerator g(4711);
  const int32_t b = g.Range(256), gr = g.Range(256), r = g.Range(256);
  EXPECT_EQ(c, PackRGB(r, gr, b));
  EXPECT_EQ(RandSeed(), g.Seed());

  const TColor d = RandomColor(10, 20, 100, 100, 200, 255);
  const int32_t b2 = 200 + g.Range(56), g2 = 100 + g.Range(1), r2 = 10 + g.Range(11);
  EXPECT_EQ(d, PackRGB(r2, g2, b2));
  EXPECT_EQ(RandSeed(), g.Seed());
  SetRandSeed(saved);
}

TEST(ColorRandom, StaysWithinBoundsGivenInEitherOrder) {
  const uint32_t saved = RandSeed();
  SetRandSeed(1);
  for (int i = 0; i < 2000; ++i) {
    const TColor c = RandomColor(200, 100, 0, 0, 255, 250);
    ASSERT_GE(c & 0xFF, 100U);
    ASSERT_LE(c & 0xFF, 200U);
    ASSERT_EQ((c >> 8) & 0xFF, 0U);
    ASSERT_GE(c >> 16, 250U);
    ASSERT_LE(c >> 16, 255U);
  }
  SetRandSeed(saved);
}

// ------------------------------------------------------------------------------------------------
// Wavelengths

TEST(ColorWavelength, CoversTheVisibleRangeOnly) {
  EXPECT_EQ(WavelengthToColor(379, 1), 0U);
  EXPECT_EQ(WavelengthToColor(780, 1), 0U);
  EXPECT_EQ(WavelengthToColor(-2147483647 - 1, 1), 0U);
  EXPECT_EQ(WavelengthToColor(2147483647, 1), 0U);
  EXPECT_EQ(WavelengthToColor(645, 1), PackRGB(255, 0, 0));
  EXPECT_EQ(WavelengthToColor(700, 1), PackRGB(255, 0, 0));
  EXPECT_EQ(WavelengthToColor(701, 1), PackRGB(253, 0, 0));  // 255*(0.3 + 0.7*79/80) = 252.77
  EXPECT_EQ(WavelengthToColor(779, 1), PackRGB(79, 0, 0));   // 255*(0.3 + 0.7/80) = 78.73
}

TEST(ColorWavelength, SwitchesRangesAtTheirBoundaries) {
  EXPECT_EQ(WavelengthToColor(380, 1), PackRGB(76, 0, 76));    // f = 0.3: 76.5 rounds to even
  EXPECT_EQ(WavelengthToColor(400, 1), PackRGB(110, 0, 166));  // 110.5 and 165.75
  EXPECT_EQ(WavelengthToColor(419, 1), PackRGB(88, 0, 251));   // f = 0.3 + 0.7*39/40 = 0.9825
  EXPECT_EQ(WavelengthToColor(420, 1), PackRGB(85, 0, 255));
  EXPECT_EQ(WavelengthToColor(439, 1), PackRGB(4, 0, 255));
  EXPECT_EQ(WavelengthToColor(440, 1), PackRGB(0, 0, 255));
  EXPECT_EQ(WavelengthToColor(489, 1), PackRGB(0, 250, 255));
  EXPECT_EQ(WavelengthToColor(490, 1), PackRGB(0, 255, 255));
  EXPECT_EQ(WavelengthToColor(509, 1), PackRGB(0, 255, 13));
  EXPECT_EQ(WavelengthToColor(510, 1), PackRGB(0, 255, 0));
  EXPECT_EQ(WavelengthToColor(579, 1), PackRGB(251, 255, 0));
  EXPECT_EQ(WavelengthToColor(580, 1), PackRGB(255, 255, 0));
  EXPECT_EQ(WavelengthToColor(644, 1), PackRGB(255, 4, 0));
}

// Channels of exactly half a step round to the even neighbour: 127.5 up, 178.5 down.
TEST(ColorWavelength, RoundsHalfwayChannelsToEven) {
  EXPECT_EQ(WavelengthToColor(465, 1), PackRGB(0, 128, 255));
  EXPECT_EQ(WavelengthToColor(500, 1), PackRGB(0, 255, 128));
  EXPECT_EQ(WavelengthToColor(545, 1), PackRGB(128, 255, 0));
  EXPECT_EQ(WavelengthToColor(475, 1), PackRGB(0, 178, 255));
  EXPECT_EQ(WavelengthToColor(559, 1), PackRGB(178, 255, 0));
}

TEST(ColorWavelength, ShapesChannelsWithGamma) {
  EXPECT_EQ(WavelengthToColor(550, 0.8), PackRGB(163, 255, 0));  // 255*(40/70)^0.8 = 162.97
  EXPECT_EQ(WavelengthToColor(550, 0), PackRGB(255, 255, 0));    // zero channels stay 0
  EXPECT_EQ(WavelengthToColor(550, -1), PackRGB(255, 255, 0));   // 446 clamped to 255
  EXPECT_EQ(WavelengthToColor(550, kNaN), PackRGB(0, 0, 0));
}

}  // namespace
}  // namespace xan
