// TColorArray: construction, element access, sizing, the whole-palette operations, copying,
// notification, and the palette text format it is saved in.
#include "xan/xancolors/color_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "xan/xancolors/color_models.h"
#include "xan/xancolors/color_tables.h"
#include "xan_xancolors/color_math.h"
#include "xan_xancolors/palette_text.h"

namespace xan {
namespace {

using detail::PackRGB;

std::vector<TColor> Colors(const TColorArray& p) {
  std::vector<TColor> v;
  for (int32_t i = 1; i <= p.Size(); ++i) v.push_back(p.GetColorElem(i));
  return v;
}

// A palette of n entries holding 1, 2, ..., n, so that moves are easy to read.
void Number(TColorArray& p, int32_t n) {
  p.SetSize(n);
  for (int32_t i = 1; i <= n; ++i) p.SetColorElem(i, static_cast<TColor>(i));
}

// Counts the notifications of a palette.
struct Counter {
  int calls = 0;
  TObject* sender = nullptr;
  void Watch(TColorArray& p) {
    p.SetOnChange([this](TObject* s) { ++calls, sender = s; });
  }
};

// ------------------------------------------------------------------------------------------------
// Construction and element access

TEST(ColorArray, StartsAsTheRainbowWithABackup) {
  TColorArray p;
  EXPECT_EQ(p.Size(), 1000);
  EXPECT_EQ(p.GetColorElem(1), 0x400020U);
  EXPECT_EQ(p.GetColorElem(1000), 0x000040U);
  // Position 100 reaches the second key colour; 101 has moved 1 % on toward the third.
  EXPECT_EQ(p.GetColorElem(100), 0x800060U);
  EXPECT_EQ(p.GetColorElem(101), PackRGB(95, 0, 129));
  const std::vector<TColor> fresh = Colors(p);
  p.Fill(0x123456U);
  p.Restore();
  EXPECT_EQ(Colors(p), fresh);
  EXPECT_TRUE(p.Name().empty());
  EXPECT_FALSE(p.OnChange());
}

TEST(ColorArray, IsDeletedWithItsOwner) {
  auto owner = std::make_unique<TComponent>();
  auto* p = new TColorArray(owner.get());
  EXPECT_EQ(p->Owner(), owner.get());
  EXPECT_EQ(owner->ComponentCount(), 1);
  owner.reset();  // deletes p; the sanitizer build would report a leak otherwise
}

TEST(ColorArray, ClampsReadsAndIgnoresWritesOutOfRange) {
  TColorArray p;
  Number(p, 4);
  Counter n;
  n.Watch(p);
  EXPECT_EQ(p.GetColorElem(0), 1U);
  EXPECT_EQ(p.GetColorElem(std::numeric_limits<int32_t>::min()), 1U);
  EXPECT_EQ(p.GetColorElem(p.Size() + 5), 4U);
  EXPECT_EQ(p.GetColorElem(std::numeric_limits<int32_t>::max()), 4U);
  p.SetColorElem(0, 0xABCDEFU);
  p.SetColorElem(5, 0xABCDEFU);
  p.SetColorElem(-1, 0xABCDEFU);
  EXPECT_EQ(n.calls, 0);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3, 4}));
  p.SetColorElem(4, 0xFF000005U);  // stored as given, top byte included
  EXPECT_EQ(n.calls, 1);
  EXPECT_EQ(n.sender, &p);
  EXPECT_EQ(p.GetColorElem(4), 0xFF000005U);
}

// ------------------------------------------------------------------------------------------------
// Size

TEST(ColorArray, ResizeKeepsEntriesAndZeroFillsBoth) {
  TColorArray p;
  Number(p, 3);
  p.Backup();
  Counter n;
  n.Watch(p);
  p.SetSize(0);
  p.SetSize(-4);
  p.SetSize(3);
  EXPECT_EQ(n.calls, 0);
  EXPECT_FALSE(p.Resize(0));
  EXPECT_FALSE(p.Resize(-1));
  EXPECT_TRUE(p.Resize(3));
  EXPECT_EQ(n.calls, 0);
  EXPECT_EQ(p.Size(), 3);

  EXPECT_TRUE(p.Resize(5));
  EXPECT_EQ(n.calls, 1);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3, 0, 0}));
  p.Fill(7);
  p.Restore();  // the backup grew with the palette
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3, 0, 0}));
  p.SetSize(2);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2}));
  p.SetSize(1);
  EXPECT_EQ(p.Size(), 1);
  EXPECT_EQ(p.GetColorElem(0), 1U);
  EXPECT_EQ(p.GetColorElem(2), 1U);
}

// ------------------------------------------------------------------------------------------------
// Whole-palette operations

TEST(ColorArray, EveryChangeNotifiesOnceBackupAndAssignNever) {
  TColorArray p, q;
  Counter n;
  n.Watch(p);
  const TColor keys[] = {0x000000U, 0xFFFFFFU};
  int expected = 0;
  p.Fill(5), ++expected;
  p.FillByInterpolation(0, keys), ++expected;
  p.MirrorColors(), ++expected;
  p.InvertColors(), ++expected;
  p.ReverseRGB(), ++expected;
  p.Restore(), ++expected;
  p.LogTransform(0.5), ++expected;
  p.CopyFrom(q, 1, 10, 1), ++expected;
  p.Changed(), ++expected;
  EXPECT_EQ(n.calls, expected);
  p.Backup();
  p.Assign(q);
  p.FillByInterpolation(0, {});
  p.CopyFrom(nullptr, 1, 10, 1);
  EXPECT_EQ(n.calls, expected);
}

TEST(ColorArray, FillByInterpolationOfTwoEntries) {
  TColorArray p;
  p.SetSize(2);
  const TColor keys[] = {PackRGB(0, 100, 255), PackRGB(255, 0, 0)};
  p.FillByInterpolation(0, keys);
  // Position 1 is already halfway: the first key colour itself does not appear.
  EXPECT_EQ(p.GetColorElem(1), MeanColor(keys[0], keys[1]));
  EXPECT_EQ(p.GetColorElem(1), PackRGB(127, 50, 127));
  EXPECT_EQ(p.GetColorElem(2), keys[1]);
}

TEST(ColorArray, FillByInterpolationSnapsToDiscreteLevels) {
  TColorArray p;
  const TColor keys[] = {PackRGB(0, 0, 0), PackRGB(200, 0, 0), PackRGB(0, 0, 200)};
  p.FillByInterpolation(4, keys);
  // Runs of equal colours, with the snapped positions 0, 250, 500, 750, 1000.
  std::vector<std::pair<TColor, int>> runs;
  for (TColor c : Colors(p)) {
    if (runs.empty() || runs.back().first != c) runs.emplace_back(c, 0);
    ++runs.back().second;
  }
  ASSERT_EQ(runs.size(), 5U);
  EXPECT_EQ(runs[0], std::make_pair(PackRGB(0, 0, 0), 125));
  EXPECT_EQ(runs[1], std::make_pair(PackRGB(100, 0, 0), 249));
  EXPECT_EQ(runs[2], std::make_pair(PackRGB(200, 0, 0), 251));
  EXPECT_EQ(runs[3], std::make_pair(PackRGB(100, 0, 100), 249));
  EXPECT_EQ(runs[4], std::make_pair(PackRGB(0, 0, 200), 126));
}

TEST(ColorArray, FillByInterpolationWithOneOrNoKeyColour) {
  TColorArray p;
  Number(p, 6);
  p.FillByInterpolation(0, {});
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3, 4, 5, 6}));
  const TColor one[] = {0xFF123456U};
  p.FillByInterpolation(3, one);
  EXPECT_EQ(Colors(p), std::vector<TColor>(6, 0x123456U));
  // More levels than entries snaps every position onto itself.
  const TColor two[] = {PackRGB(0, 0, 0), PackRGB(0, 60, 0)};
  p.FillByInterpolation(1000, two);
  EXPECT_EQ(Colors(p),
            (std::vector<TColor>{PackRGB(0, 10, 0), PackRGB(0, 20, 0), PackRGB(0, 30, 0),
                                 PackRGB(0, 40, 0), PackRGB(0, 50, 0), PackRGB(0, 60, 0)}));
}

TEST(ColorArray, MirrorInvertAndReverse) {
  TColorArray p;
  Number(p, 5);
  p.MirrorColors();
  EXPECT_EQ(Colors(p), (std::vector<TColor>{5, 4, 3, 2, 1}));
  p.MirrorColors();
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3, 4, 5}));
  p.SetSize(4);
  p.MirrorColors();
  EXPECT_EQ(Colors(p), (std::vector<TColor>{4, 3, 2, 1}));
  p.SetColorElem(1, 0xAA102030U);
  p.InvertColors();
  EXPECT_EQ(p.GetColorElem(1), 0xEFDFCFU);
  EXPECT_EQ(p.GetColorElem(4), 0xFFFFFEU);
  p.ReverseRGB();
  EXPECT_EQ(p.GetColorElem(1), 0xCFDFEFU);
  EXPECT_EQ(p.GetColorElem(4), 0xFEFFFFU);
}

// Worked out by hand: on 5 entries with Gamma 1, entry i takes entry
// Round(5*ln(i)/ln(5)) + 1: 1, 3 (2.15), 4 (3.41), 5 (4.31), 5 (6, limited).
TEST(ColorArray, LogTransformStretchesTheBeginning) {
  TColorArray p;
  Number(p, 5);
  p.LogTransform(1);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 3, 4, 5, 5}));
  Number(p, 5);
  p.LogTransform(7);  // clamped to 1
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 3, 4, 5, 5}));
  // Gamma 0.5 on 10 entries: Round(2.1715*ln(i) + 0.5*(i - 1)) + 1.
  Number(p, 10);
  p.LogTransform(0.5);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 3, 4, 6, 6, 7, 8, 9, 10, 10}));
  Number(p, 10);
  p.LogTransform(0);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  p.LogTransform(-3);
  p.LogTransform(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  p.SetSize(1);
  p.LogTransform(1);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1}));
}

TEST(ColorArray, ColorToIndexFindsTheFirstClosest) {
  TColorArray p;
  p.SetSize(5);
  const TColor entries[] = {PackRGB(0, 0, 0), PackRGB(10, 10, 10), PackRGB(200, 0, 0),
                            PackRGB(10, 10, 10), PackRGB(0, 0, 250)};
  for (int32_t i = 1; i <= 5; ++i) p.SetColorElem(i, entries[i - 1]);
  double distance = -1;
  EXPECT_EQ(p.ColorToIndex(PackRGB(10, 10, 10), distance), 2);  // also at 4: the first one wins
  EXPECT_EQ(distance, 0);
  EXPECT_EQ(p.ColorToIndex(0xFF0000C8U, distance), 3);  // the top byte is ignored
  EXPECT_EQ(distance, 0);
  EXPECT_EQ(p.ColorToIndex(PackRGB(0, 0, 240), distance), 5);
  EXPECT_DOUBLE_EQ(distance, RGBColorDistance(PackRGB(0, 0, 240), PackRGB(0, 0, 250)));
  p.SetSize(1);
  p.SetColorElem(1, 0x000000U);
  EXPECT_EQ(p.ColorToIndex(0xFFFFFFU, distance), 1);  // nothing is closer than 1.0
  EXPECT_EQ(distance, 1.0);
}

// ------------------------------------------------------------------------------------------------
// Copying and comparing

TEST(ColorArray, CopyFromClampsBoundsAndSkipsOutside) {
  TColorArray src, dst;
  Number(src, 5);
  dst.SetSize(4);
  dst.Fill(0);
  dst.CopyFrom(src, 4, 2, 2);  // bounds exchanged: 2..4 to 2..4
  EXPECT_EQ(Colors(dst), (std::vector<TColor>{0, 2, 3, 4}));
  dst.Fill(0);
  dst.CopyFrom(src, -10, 100, 0);  // 1..5 to 0..4: position 0 skipped
  EXPECT_EQ(Colors(dst), (std::vector<TColor>{2, 3, 4, 5}));
  dst.Fill(0);
  dst.CopyFrom(&src, 1, 5, 3);
  EXPECT_EQ(Colors(dst), (std::vector<TColor>{0, 0, 1, 2}));
  dst.Fill(0);
  dst.CopyFrom(src, 1, 5, std::numeric_limits<int32_t>::max());
  dst.CopyFrom(src, 1, 5, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(Colors(dst), (std::vector<TColor>{0, 0, 0, 0}));
}

TEST(ColorArray, CopyFromItselfKeepsOverlappingRangesWhole) {
  TColorArray p;
  Number(p, 6);
  p.CopyFrom(p, 1, 4, 3);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 1, 2, 3, 4}));
  Number(p, 6);
  p.CopyFrom(p, 3, 6, 1);
  EXPECT_EQ(Colors(p), (std::vector<TColor>{3, 4, 5, 6, 5, 6}));
}

TEST(ColorArray, AssignCopiesSizePaletteAndBackup) {
  TColorArray a, b;
  Number(a, 3);
  a.Backup();
  a.Fill(9);
  Counter n;
  n.Watch(b);
  b.Assign(a);
  EXPECT_EQ(n.calls, 0);
  EXPECT_TRUE(b.IsEqual(a));
  EXPECT_EQ(Colors(b), (std::vector<TColor>{9, 9, 9}));
  b.Restore();
  EXPECT_EQ(Colors(b), (std::vector<TColor>{1, 2, 3}));
  EXPECT_TRUE(b.OnChange());  // the callback stays the destination's own

  TColorArray c;
  a.AssignTo(c);
  EXPECT_TRUE(c.IsEqual(&a));
  TComponent plain;
  EXPECT_THROW(c.Assign(plain), EConvertError);
  EXPECT_THROW(c.AssignTo(plain), EConvertError);
  c.Assign(c);
  EXPECT_TRUE(c.IsEqual(a));
}

TEST(ColorArray, IsEqualComparesSizeAndPaletteOnly) {
  TColorArray a, b;
  EXPECT_TRUE(a.IsEqual(b));
  b.Backup();
  a.Fill(1);
  a.Backup();
  a.Restore();
  b.Fill(1);
  EXPECT_TRUE(a.IsEqual(b));  // backups differ
  b.SetColorElem(1000, 2);
  EXPECT_FALSE(a.IsEqual(b));
  b.SetColorElem(1000, 1);
  b.SetSize(999);
  EXPECT_FALSE(a.IsEqual(b));
  EXPECT_FALSE(a.IsEqual(nullptr));
}

// ------------------------------------------------------------------------------------------------
// The palette text format

std::vector<String> Write(const TColorArray& p, int32_t first, int32_t last) {
  std::vector<String> lines;
  EXPECT_TRUE(detail::WritePaletteText(p, first, last, [&](StringView line) {
    lines.emplace_back(line);
    return true;
  }));
  return lines;
}

// Reads a palette from lines: the header through ParsePaletteHeader, the rest line by line.
bool Read(TColorArray& p, const std::vector<String>& lines, bool adjust) {
  int32_t first = 0, last = 0;
  if (lines.empty() || !detail::ParsePaletteHeader(lines[0], first, last)) return false;
  size_t next = 1;
  return detail::ReadPaletteText(p, first, last, adjust, [&](String& line) {
    if (next >= lines.size()) return false;
    line = lines[next++];
    return true;
  });
}

TEST(PaletteText, WritesHeaderAndHexLines) {
  TColorArray p;
  Number(p, 6);
  p.SetColorElem(3, 0xFF00A5FFU);
  EXPECT_EQ(Write(p, 5, 2),
            (std::vector<String>{u"2 5", u"00000002", u"FF00A5FF", u"00000004", u"00000005"}));
  EXPECT_EQ(Write(p, -3, 100).front(), u"1 6");
  EXPECT_EQ(Write(p, -3, 100).size(), 7U);
  EXPECT_EQ(Write(p, 10, 20), (std::vector<String>{u"10 6"}));
  EXPECT_EQ(Write(p, -5, -3), (std::vector<String>{u"1 -3"}));

  int written = 0;
  EXPECT_FALSE(detail::WritePaletteText(p, 1, 6, [&](StringView) { return ++written < 3; }));
  EXPECT_EQ(written, 3);  // stops at the first line that fails
}

TEST(PaletteText, ParsesTheHeaderStrictly) {
  int32_t a = 7, b = 7;
  EXPECT_TRUE(detail::ParsePaletteHeader(u"2 5", a, b));
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 5);
  EXPECT_TRUE(detail::ParsePaletteHeader(u"  -1\t+7 trailing", a, b));
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, 7);
  EXPECT_TRUE(detail::ParsePaletteHeader(u"-2147483648 2147483647", a, b));
  EXPECT_EQ(a, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(b, std::numeric_limits<int32_t>::max());
  a = b = 7;
  for (StringView bad : {u"", u"2", u"2 ", u"2x 5", u"2 5x", u"x 5", u"2,5", u"- 5 6",
                         u"2147483648 1", u"1 99999999999999999999"}) {
    EXPECT_FALSE(detail::ParsePaletteHeader(bad, a, b)) << ToUtf8(bad);
  }
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 7);
}

TEST(PaletteText, ReadsBackWhatWasWritten) {
  TColorArray p, q;
  Number(p, 5);
  p.SetColorElem(4, 0xFFFFFFFFU);
  Counter n;
  n.Watch(q);
  EXPECT_TRUE(Read(q, Write(p, 5, 2), true));
  EXPECT_EQ(q.Size(), 5);                   // resized to the last position, not to the count
  EXPECT_EQ(q.GetColorElem(1), 0x400020U);  // position 1 was not in the file
  EXPECT_EQ(Colors(q)[1], 2U);
  EXPECT_EQ(Colors(q)[3], 0xFFFFFFFFU);
  EXPECT_EQ(n.calls, 1 + 4 + 1);  // the resize, each stored entry, the end
}

TEST(PaletteText, SkipsBadLinesAndStopsWhereTheLinesEnd) {
  TColorArray p;
  Number(p, 6);
  Counter n;
  n.Watch(p);
  EXPECT_TRUE(Read(p, {u"1 6", u"  $a0", u"zz", u"", u"12xz", u"$"}, false));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xA0, 2, 3, 0x12, 5, 6}));
  EXPECT_EQ(n.calls, 2 + 1);

  // Positions outside the palette consume their lines but store nothing.
  Number(p, 3);
  EXPECT_TRUE(Read(p, {u"-1 3", u"AA", u"BB", u"CC", u"DD", u"EE"}, false));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xCC, 0xDD, 0xEE}));
}

TEST(PaletteText, RefusesAPaletteTooSmall) {
  TColorArray p;
  Number(p, 3);
  Counter n;
  n.Watch(p);
  EXPECT_FALSE(Read(p, {u"1 4", u"AA", u"BB", u"CC", u"DD"}, false));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3}));
  EXPECT_EQ(n.calls, 1);  // Changed is still called at the end
  // With adjust size the palette grows to the last position and reads.
  EXPECT_TRUE(Read(p, {u"1 4", u"AA", u"BB", u"CC", u"DD"}, true));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xAA, 0xBB, 0xCC, 0xDD}));
  // A last position below 1 cannot resize; nothing is read, and the result is true.
  EXPECT_TRUE(Read(p, {u"1 0", u"11"}, true));
  EXPECT_EQ(p.Size(), 4);
  EXPECT_FALSE(Read(p, {u"one 4", u"AA"}, true));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xAA, 0xBB, 0xCC, 0xDD}));
}

// What ParsePaletteHeader should accept, found another way: the first two blank- or
// tab-separated words are each an optionally signed decimal number within int32.
bool HeaderWords(StringView line, int64_t& first, int64_t& last) {
  std::vector<std::string> words(1);
  for (Char c : line) {
    if (c == u' ' || c == u'\t') {
      if (!words.back().empty()) words.emplace_back();
    } else {
      words.back() += c < 128 ? static_cast<char>(c) : '?';
    }
  }
  if (words.size() < 2 || words[1].empty()) return false;
  int64_t values[2] = {};
  for (int i = 0; i < 2; ++i) {
    std::string w = words[static_cast<size_t>(i)];
    const bool negative = !w.empty() && w[0] == '-';
    if (!w.empty() && (w[0] == '+' || w[0] == '-')) w.erase(0, 1);
    w.erase(0, std::min(w.find_first_not_of('0'), w.size() - 1));  // leading zeros
    if (w.empty() || w.size() > 12 || w.find_first_not_of("0123456789") != std::string::npos)
      return false;
    std::from_chars(w.data(), w.data() + w.size(), values[i]);
    if (negative) values[i] = -values[i];
    if (values[i] < std::numeric_limits<int32_t>::min() ||
        values[i] > std::numeric_limits<int32_t>::max())
      return false;
  }
  first = values[0];
  last = values[1];
  return true;
}

// Random header lines of numbers at the int32 limits, signs, blanks, tabs and other characters,
// some above 255 with the low byte of a digit, a blank or a sign.
TEST(PaletteText, ParsesRandomHeadersLikeTheirFirstTwoWords) {
  static constexpr StringView kPieces[] = {u"0",           u"7",           u"12",
                                           u"-",           u"+",           u" ",
                                           u" ",           u"\t",          u"x",
                                           u"\u0131",      u"\u0120",      u"\u012d",
                                           u"2147483647",  u"2147483648",  u"-2147483648",
                                           u"-2147483649", u"00000000001", u"99999999999999999999"};
  std::mt19937 random(4242);
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> count(0, 6);
  int parsed = 0;
  for (int i = 0; i < 20000; ++i) {
    // Every other line starts like a header: a piece, a blank, a piece.
    String line;
    if (i % 2 == 0) (line += kPieces[pick(random)]) += u' ';
    for (int n = count(random); n > 0; --n) line += kPieces[pick(random)];
    int32_t first = 7, last = 7;
    int64_t first2 = 0, last2 = 0;
    const bool ok = HeaderWords(line, first2, last2);
    ASSERT_EQ(detail::ParsePaletteHeader(line, first, last), ok) << ToUtf8(line);
    if (!ok) continue;
    ++parsed;
    ASSERT_EQ(first, first2) << ToUtf8(line);
    ASSERT_EQ(last, last2) << ToUtf8(line);
  }
  EXPECT_GT(parsed, 300);
}

}  // namespace
}  // namespace xan
