// Colour models and conversions: the arithmetic of each model written out step by step, so that
// every rounding happens where the model's rules put it.
#include "xan/xancolors/color_models.h"

#include <algorithm>
#include <cmath>

#include "xan/platform/random.h"
#include "xan_xancolors/color_math.h"

namespace xan {

using detail::Clamp01;
using detail::ClampByte;
using detail::Frac;
using detail::PackRGB;
using detail::RoundEven;
using detail::TruncInt;

namespace {

constexpr int32_t Red(TColor c) noexcept {
  return static_cast<int32_t>(c & 0xFFU);
}
constexpr int32_t Green(TColor c) noexcept {
  return static_cast<int32_t>((c >> 8) & 0xFFU);
}
constexpr int32_t Blue(TColor c) noexcept {
  return static_cast<int32_t>((c >> 16) & 0xFFU);
}

// Trunc((b - a)*frac + a) for one channel; frac is already clamped.
int32_t BlendChannel(int32_t a, int32_t b, double frac) noexcept {
  return TruncInt((b - a) * frac + a);
}

// The largest channel with its index (0 red, 1 green, 2 blue; ties go to the earlier one) and
// the smallest channel, as the HSV and HSI models pick them.
struct TChannelRange {
  int32_t Max;
  int Channel;
  int32_t Min;
};

TChannelRange ChannelRange(int32_t R, int32_t G, int32_t B) noexcept {
  TChannelRange cr{R, 0, std::min({R, G, B})};
  if (R < G) cr = {G, 1, cr.Min};
  if (cr.Max < B) cr = {B, 2, cr.Min};
  return cr;
}

// The hue in degrees from the channel range, for a range that is not empty; the channels are
// widened to double so that no integer difference can overflow.
double HueOf(double R, double G, double B, const TChannelRange& cr) noexcept {
  const double d = static_cast<double>(cr.Max) - cr.Min;
  double h = 0;
  switch (cr.Channel) {
    case 0:
      h = (G - B) / d;
      break;
    case 1:
      h = (B - R) / d + 2;
      break;
    default:
      h = (R - G) / d + 4;
      break;
  }
  double H = 60 * h;
  if (H < 0) H += 360;
  return H;
}

// The single turn of HSL and HSI: a hue below 0 gains 360, one above 360 loses 360, and 360
// reads as 0. Hues beyond -360..720 are first reduced by whole turns (exactly, by fmod) so that
// every finite hue lands in 0..360; an infinite or NaN hue reads as 0.
double WrapHueOnce(double H) noexcept {
  if (!std::isfinite(H)) return 0;
  if (H < -360 || H > 720) H = std::fmod(H, 360.0);
  if (H < 0) {
    H += 360;
  } else if (H > 360) {
    H -= 360;
  }
  return H == 360 ? 0 : H;
}

// The sector 0..5 of a hue in 0..360.
int Sector(double H) noexcept {
  return std::clamp(TruncInt(H / 60), 0, 5);
}

// The channels laid out for a sector 0..5 of the hue circle: the largest in `top`, the middle
// one in `mid` and the smallest in `low`, turning red -> yellow -> green -> cyan -> blue ->
// magenta.
void PlaceInSector(int sector, double top, double mid, double low, double& r, double& g,
                   double& b) noexcept {
  switch (sector) {
    case 0:
      r = top, g = mid, b = low;
      break;
    case 1:
      r = mid, g = top, b = low;
      break;
    case 2:
      r = low, g = top, b = mid;
      break;
    case 3:
      r = low, g = mid, b = top;
      break;
    case 4:
      r = mid, g = low, b = top;
      break;
    default:
      r = top, g = low, b = mid;
      break;
  }
}

// Packs the channels that a model's ...toRGB function gives.
using TModelToRGB = void (*)(double, double, double, int32_t&, int32_t&, int32_t&) noexcept;
TColor PackModel(TModelToRGB toRGB, double a, double b, double c) noexcept {
  int32_t R = 0, G = 0, B = 0;
  toRGB(a, b, c, R, G, B);
  return PackRGB(R, G, B);
}

// One draw between two bounds, in either order.
int32_t DrawBetween(uint8_t low, uint8_t high) noexcept {
  if (low > high) std::swap(low, high);
  return low + SharedRandom().Range(high - low + 1);
}

}  // namespace

// ------------------------------------------------------------------------------------------------
// Blending and simple transformations

TColor InterpolateColor(TColor c1, TColor c2, double frac) noexcept {
  frac = Clamp01(frac);
  return PackRGB(BlendChannel(Red(c1), Red(c2), frac), BlendChannel(Green(c1), Green(c2), frac),
                 BlendChannel(Blue(c1), Blue(c2), frac));
}

TColor Interpolate3Colors(TColor c1, TColor c2, TColor c3, double frac) noexcept {
  frac = Clamp01(frac);
  if (frac > 0.5) return InterpolateColor(c2, c3, (frac - 0.5) * 2);
  return InterpolateColor(c1, c2, 2 * frac);
}

TColor MeanColor(TColor c1, TColor c2) noexcept {
  return InterpolateColor(c1, c2, 0.5);
}

TColor ReverseRGBColor(TColor c) noexcept {
  return PackRGB(Blue(c), Green(c), Red(c));
}

TColor InvertColor(TColor c) noexcept {
  return PackRGB(255 - Red(c), 255 - Green(c), 255 - Blue(c));
}

// ------------------------------------------------------------------------------------------------
// Hexadecimal text

String ColorToHexStr(TColor c) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  String s(8, u'0');
  for (int i = 7; i >= 0; --i, c >>= 4) s[static_cast<size_t>(i)] = kDigits[c & 0xFU];
  return s;
}

bool detail::ReadHexColor(StringView text, TColor& value) noexcept {
  size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  if (i < text.size() && text[i] == u'$') ++i;
  value = 0;
  const size_t first = i;
  for (; i < text.size(); ++i) {
    const Char c = text[i];
    uint32_t digit = 0;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else {
      break;
    }
    value = (value << 4) + digit;
  }
  return i > first;
}

TColor HexStrToColor(StringView text) noexcept {
  TColor value = 0;
  detail::ReadHexColor(text, value);
  return value;
}

// ------------------------------------------------------------------------------------------------
// HSL

void RGBtoHSL(int32_t R, int32_t G, int32_t B, double& H, double& S, double& L) noexcept {
  const double r = Clamp01(R / 255.0);
  const double g = Clamp01(G / 255.0);
  const double b = Clamp01(B / 255.0);
  const double max = std::max({r, g, b});
  const double min = std::min({r, g, b});
  const double d = max - min;
  L = (max + min) / 2;
  double h = 0;
  if (d != 0) {
    if (r == max) {
      h = Frac(((g - b) / d) / 6) * 6;
    } else if (g == max) {
      h = (b - r) / d + 2;
    } else {
      h = (r - g) / d + 4;
    }
  }
  H = 60 * h;
  if (H < 0) H += 360;
  S = d != 0 ? d / (1 - std::fabs(2 * L - 1)) : 0;
}

void ColorToHSL(TColor c, double& H, double& S, double& L) noexcept {
  RGBtoHSL(Red(c), Green(c), Blue(c), H, S, L);
}

void HSLtoRGB(double H, double S, double L, int32_t& R, int32_t& G, int32_t& B) noexcept {
  H = WrapHueOnce(H);
  S = Clamp01(S);
  L = Clamp01(L);
  const double C = (1 - std::fabs(2 * L - 1)) * S;
  const double X = C * (1 - std::fabs(Frac(H / 120) * 2 - 1));
  const double m = L - C / 2;
  double r = 0, g = 0, b = 0;
  PlaceInSector(Sector(H), C, X, 0, r, g, b);
  R = RoundEven(255 * (r + m));
  G = RoundEven(255 * (g + m));
  B = RoundEven(255 * (b + m));
}

TColor HSLtoColor(double H, double S, double L) noexcept {
  return PackModel(HSLtoRGB, H, S, L);
}

// ------------------------------------------------------------------------------------------------
// HSV

void RGBtoHSV(int32_t R, int32_t G, int32_t B, double& H, double& S, double& V) noexcept {
  const TChannelRange cr = ChannelRange(R, G, B);
  V = cr.Max / 255.0;
  H = 0;
  S = 0;
  if (cr.Max == 0) return;
  S = (static_cast<double>(cr.Max) - cr.Min) / cr.Max;
  H = S == 0 ? -1 : HueOf(R, G, B, cr);
}

void ColorToHSV(TColor c, double& H, double& S, double& V) noexcept {
  RGBtoHSV(Red(c), Green(c), Blue(c), H, S, V);
}

void HSVtoRGB(double H, double S, double V, int32_t& R, int32_t& G, int32_t& B) noexcept {
  S = Clamp01(S);
  V = Clamp01(V);
  if (!(H >= 0 && H < 360)) H = 0;
  if (S == 0) {
    R = G = B = RoundEven(255 * V);
    return;
  }
  const int sector = Sector(H);
  const double f = H / 60 - sector;
  const double p = 255 * V * (1 - S);
  const double q = 255 * V * (1 - f * S);
  const double t = 255 * V * (1 - (1 - f) * S);
  const double v = 255 * V;
  // The middle channel rises (t) through the even sectors and falls (q) through the odd ones.
  double r = 0, g = 0, b = 0;
  PlaceInSector(sector, v, sector % 2 == 0 ? t : q, p, r, g, b);
  R = RoundEven(r);
  G = RoundEven(g);
  B = RoundEven(b);
}

TColor HSVtoColor(double H, double S, double V) noexcept {
  return PackModel(HSVtoRGB, H, S, V);
}

// ------------------------------------------------------------------------------------------------
// HSI

void RGBtoHSI(int32_t R, int32_t G, int32_t B, double& H, double& S, double& I) noexcept {
  const TChannelRange cr = ChannelRange(R, G, B);
  const double sum = static_cast<double>(R) + G + B;
  I = sum / 3 / 255;
  H = 0;
  S = 0;
  if (cr.Max == 0) return;
  S = 1 - (cr.Min / 255.0) / I;
  H = S == 0 ? -1 : HueOf(R, G, B, cr);
}

void ColorToHSI(TColor c, double& H, double& S, double& I) noexcept {
  RGBtoHSI(Red(c), Green(c), Blue(c), H, S, I);
}

void HSItoRGB(double H, double S, double I, int32_t& R, int32_t& G, int32_t& B) noexcept {
  H = WrapHueOnce(H);
  S = Clamp01(S);
  I = Clamp01(I);
  const double Z = 1 - std::fabs(Frac(H / 120) * 2 - 1);
  const double C = 3 * I * S / (1 + Z);
  const double X = C * Z;
  const double m = I * (1 - S);
  double r = 0, g = 0, b = 0;
  PlaceInSector(Sector(H), C, X, 0, r, g, b);
  R = RoundEven(255 * std::min(r + m, 1.0));
  G = RoundEven(255 * std::min(g + m, 1.0));
  B = RoundEven(255 * std::min(b + m, 1.0));
}

TColor HSItoColor(double H, double S, double I) noexcept {
  return PackModel(HSItoRGB, H, S, I);
}

// ------------------------------------------------------------------------------------------------
// CMY and CMYK

void RGBtoCMY(uint8_t R, uint8_t G, uint8_t B, double& C, double& M, double& Y) noexcept {
  C = 1 - R / 255.0;
  M = 1 - G / 255.0;
  Y = 1 - B / 255.0;
}

void CMYtoRGB(double C, double M, double Y, uint8_t& R, uint8_t& G, uint8_t& B) noexcept {
  R = static_cast<uint8_t>(RoundEven(255 * (1 - Clamp01(C))));
  G = static_cast<uint8_t>(RoundEven(255 * (1 - Clamp01(M))));
  B = static_cast<uint8_t>(RoundEven(255 * (1 - Clamp01(Y))));
}

void CMYtoCMYK(double& C, double& M, double& Y, double& K) noexcept {
  C = Clamp01(C);
  M = Clamp01(M);
  Y = Clamp01(Y);
  K = C;
  if (M < K) K = M;
  if (Y < K) K = Y;
  C -= K;
  M -= K;
  Y -= K;
}

void CMYKtoCMY(double& C, double& M, double& Y, double K) noexcept {
  C = Clamp01(C + K);
  M = Clamp01(M + K);
  Y = Clamp01(Y + K);
}

// ------------------------------------------------------------------------------------------------
// Grey

int32_t RGBtoGray(int32_t R, int32_t G, int32_t B) noexcept {
  return RoundEven(0.3L * R + 0.59L * G + 0.11L * B);
}

TColor RGBtoGrayColor(int32_t R, int32_t G, int32_t B) noexcept {
  const int32_t g = RGBtoGray(R, G, B);
  return PackRGB(g, g, g);
}

int32_t ColorToGray(TColor c) noexcept {
  return RGBtoGray(Red(c), Green(c), Blue(c));
}

TColor ColorToGrayColor(TColor c) noexcept {
  return RGBtoGrayColor(Red(c), Green(c), Blue(c));
}

// ------------------------------------------------------------------------------------------------
// Distance

double RGBColorDistance(TColor c1, TColor c2) noexcept {
  const int32_t dr = Red(c1) - Red(c2);
  const int32_t dg = Green(c1) - Green(c2);
  const int32_t db = Blue(c1) - Blue(c2);
  return std::sqrt((dr * dr + dg * dg + db * db) / 195075.0);
}

// ------------------------------------------------------------------------------------------------
// Random colours

TColor RandomColor() noexcept {
  TRandomGenerator& random = SharedRandom();
  const int32_t b = random.Range(256);
  const int32_t g = random.Range(256);
  const int32_t r = random.Range(256);
  return PackRGB(r, g, b);
}

TColor RandomColor(uint8_t RLow, uint8_t RHigh, uint8_t GLow, uint8_t GHigh, uint8_t BLow,
                   uint8_t BHigh) noexcept {
  const int32_t b = DrawBetween(BLow, BHigh);
  const int32_t g = DrawBetween(GLow, GHigh);
  const int32_t r = DrawBetween(RLow, RHigh);
  return PackRGB(r, g, b);
}

// ------------------------------------------------------------------------------------------------
// Light

TColor WavelengthToColor(int32_t wavelength, double gamma) noexcept {
  const double w = wavelength;
  double r = 0, g = 0, b = 0;
  if (w >= 380 && w < 440) {
    r = (440 - w) / 60, b = 1;
  } else if (w >= 440 && w < 490) {
    g = (w - 440) / 50, b = 1;
  } else if (w >= 490 && w < 510) {
    g = 1, b = (510 - w) / 20;
  } else if (w >= 510 && w < 580) {
    r = (w - 510) / 70, g = 1;
  } else if (w >= 580 && w < 645) {
    r = 1, g = (645 - w) / 65;
  } else if (w >= 645 && w < 780) {
    r = 1;
  }
  double f = 1;
  if (w > 700) {
    f = 0.3 + 0.7 * (780 - w) / 80;
  } else if (w < 420) {
    f = 0.3 + 0.7 * (w - 380) / 40;
  }
  if (f < 0) f = 0;
  const auto channel = [&](double x) -> int32_t {
    if (f == 0 || x == 0) return 0;
    return ClampByte(RoundEven(255 * std::exp(gamma * std::log(x * f))));
  };
  return PackRGB(channel(r), channel(g), channel(b));
}

}  // namespace xan
