// TColorArray's palette files: the bytes written, round trips through named and open text files,
// bad and short files, bounds outside the palette, absurd sizes, and every failure as false.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../platform/temp_dir.h"
#include "palette_test_util.h"
#include "xan/platform/textfile.h"
#include "xan/xancolors/color_array.h"

namespace xan {
namespace {

using testing::Colors;
using testing::Counter;
using testing::Number;

class PaletteFile : public testing::TempDirTest {
 protected:
  // Loads a palette from a file holding Bytes.
  bool Load(TColorArray& p, std::string_view Bytes, bool AdjustSize) {
    WriteBytes("in.pal", Bytes);
    return p.LoadFromFile(Path("in.pal"), AdjustSize);
  }
};

// ------------------------------------------------------------------------------------------------
// Writing

TEST_F(PaletteFile, StoresHeaderAndHexLinesWithCrLf) {
  TColorArray p;
  Number(p, 6);
  p.SetColorElem(3, 0xFF00A5FFU);
  ASSERT_TRUE(p.StoreOnFile(5, 2, Path("a.pal")));
  EXPECT_EQ(ReadBytes("a.pal"), "2 5\r\n00000002\r\nFF00A5FF\r\n00000004\r\n00000005\r\n");
  // The bounds are clamped to the palette; a range beyond it leaves the header alone.
  ASSERT_TRUE(p.StoreOnFile(-3, 100, Path("a.pal")));
  EXPECT_EQ(ReadBytes("a.pal").substr(0, 15), "1 6\r\n00000001\r\n");
  EXPECT_EQ(ReadBytes("a.pal").size(), 5 + 6 * 10U);
  ASSERT_TRUE(p.StoreOnFile(10, 20, Path("a.pal")));
  EXPECT_EQ(ReadBytes("a.pal"), "10 6\r\n");
  // An existing file is replaced, not appended to.
  ASSERT_TRUE(p.StoreOnFile(1, 1, Path("a.pal")));
  EXPECT_EQ(ReadBytes("a.pal"), "1 1\r\n00000001\r\n");
}

TEST_F(PaletteFile, WritesAtTheOpenFilesPositionAndLeavesItOpen) {
  TColorArray p;
  Number(p, 3);
  TTextFile f(Path("b.txt"), tfmRewrite);
  f.WriteLn(u"before");
  ASSERT_TRUE(p.WriteToOpenTextFile(f, 2, 3));
  ASSERT_TRUE(p.WriteToOpenTextFile(f, 1, 1));
  ASSERT_TRUE(f.IsOpen());
  f.WriteLn(u"after");
  // Flushed at the end of each call: another reader sees the palette before Close.
  EXPECT_EQ(ReadBytes("b.txt"), "before\r\n2 3\r\n00000002\r\n00000003\r\n1 1\r\n00000001\r\n");
  f.Close();
  EXPECT_EQ(ReadBytes("b.txt"),
            "before\r\n2 3\r\n00000002\r\n00000003\r\n1 1\r\n00000001\r\nafter\r\n");
}

TEST_F(PaletteFile, WriteFailuresGiveFalse) {
  TColorArray p;
  Number(p, 3);
  EXPECT_FALSE(p.StoreOnFile(1, 3, Path("no/such/dir/a.pal")));
  EXPECT_FALSE(p.StoreOnFile(1, 3, FromUtf8(FDir.string())));  // a directory
  EXPECT_FALSE(p.StoreOnFile(1, 3, u""));
  EXPECT_FALSE(std::filesystem::exists(HostPath("no")));

  TTextFile closed;
  EXPECT_FALSE(p.WriteToOpenTextFile(closed, 1, 3));
  WriteBytes("r.txt", "kept");
  TTextFile reading(Path("r.txt"), tfmRead);
  EXPECT_FALSE(p.WriteToOpenTextFile(reading, 1, 3));
  EXPECT_EQ(ReadBytes("r.txt"), "kept");
}

// The file can be created but not written: the full disk must not pass for success.
TEST_F(PaletteFile, AWriteErrorAfterCreationGivesFalse) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TColorArray p;
  EXPECT_FALSE(p.StoreOnFile(1, 1, u"/dev/full"));
  EXPECT_FALSE(p.StoreOnFile(1, 1000, u"/dev/full"));
  TTextFile f(u"/dev/full", tfmAppend);
  EXPECT_FALSE(p.WriteToOpenTextFile(f, 1, 2));
}

// ------------------------------------------------------------------------------------------------
// Reading

TEST_F(PaletteFile, LoadsTheLastPositionAsTheSize) {
  TColorArray p, q;
  Number(p, 6);
  p.SetColorElem(4, 0xFFFFFFFFU);
  ASSERT_TRUE(p.StoreOnFile(5, 2, Path("a.pal")));
  Counter n;
  n.Watch(q);
  ASSERT_TRUE(q.LoadFromFile(Path("a.pal"), true));
  EXPECT_EQ(q.Size(), 5);
  EXPECT_EQ(Colors(q), (std::vector<TColor>{0x400020, 2, 3, 0xFFFFFFFF, 5}));
  EXPECT_EQ(n.calls, 1 + 4 + 1);  // the resize, each stored colour, the end
  EXPECT_EQ(n.sender, &q);

  // Without adjusting, a larger palette keeps its size and its other colours.
  Number(q, 8);
  ASSERT_TRUE(q.LoadFromFile(Path("a.pal"), false));
  EXPECT_EQ(Colors(q), (std::vector<TColor>{1, 2, 3, 0xFFFFFFFF, 5, 6, 7, 8}));
}

TEST_F(PaletteFile, RoundTripsWholePalettes) {
  TColorArray p, q;
  p.InvertColors();
  p.SetColorElem(7, 0xFF00000FU);  // a system colour code keeps its top byte
  p.SetColorElem(8, 0x20000000U);
  Number(q, 3);
  ASSERT_TRUE(p.StoreOnFile(1, p.Size(), Path("a.pal")));
  ASSERT_TRUE(q.LoadFromFile(Path("a.pal"), true));
  EXPECT_TRUE(q.IsEqual(p));

  // Two palettes one after the other in one open file, then a line of the caller's own.
  TColorArray r, s;
  r.SetSize(2);
  r.Fill(0xABCDEFU);
  {
    TTextFile f(Path("two.txt"), tfmRewrite);
    ASSERT_TRUE(p.WriteToOpenTextFile(f, 1, 1000));
    ASSERT_TRUE(r.WriteToOpenTextFile(f, 1, 2));
    f.WriteLn(u"tail");
  }
  TTextFile f(Path("two.txt"), tfmRead);
  ASSERT_TRUE(q.ReadFromOpenTextFile(f, true));
  ASSERT_TRUE(s.ReadFromOpenTextFile(f, true));
  EXPECT_TRUE(q.IsEqual(p));
  EXPECT_TRUE(s.IsEqual(r));
  EXPECT_EQ(f.ReadLn(), u"tail");
}

TEST_F(PaletteFile, SkipsBadLinesAndAcceptsEveryLineEnd) {
  TColorArray p;
  Number(p, 7);
  Counter n;
  n.Watch(p);
  EXPECT_TRUE(Load(p, "1 7\n  $a0\r\nzz\r\r\n12xz\n$\n0000ff", false));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xA0, 2, 3, 0x12, 5, 0xFF, 7}));
  EXPECT_EQ(n.calls, 3 + 1);
  // Characters beyond the code page's ASCII part end a number like any other.
  EXPECT_TRUE(Load(p, "2 3\r\n1\xe9\r\n\xe9\r\n", false));
  EXPECT_EQ(Colors(p)[1], 1U);
  EXPECT_EQ(Colors(p)[2], 3U);
}

TEST_F(PaletteFile, ShortFilesKeepTheRest) {
  TColorArray p;
  Number(p, 6);
  EXPECT_TRUE(Load(p, "1 6\r\nAA\r\nBB", false));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xAA, 0xBB, 3, 4, 5, 6}));
  EXPECT_TRUE(Load(p, "3 6\r\n", true));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xAA, 0xBB, 3, 4, 5, 6}));
  // The header itself must be there and be two integers; then nothing changes or notifies.
  Counter n;
  n.Watch(p);
  for (std::string_view bad : {"", "\r\n1 6\r\nAA", "2", "2\r\n5\r\nAA", "one 6\r\nAA", "1,6\r\nAA",
                               "1 6x\r\nAA", "1 99999999999\r\nAA"}) {
    EXPECT_FALSE(Load(p, bad, true)) << bad;
  }
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xAA, 0xBB, 3, 4, 5, 6}));
  EXPECT_EQ(n.calls, 0);
}

TEST_F(PaletteFile, BoundsOutsideThePalette) {
  TColorArray p;
  Number(p, 3);
  Counter n;
  n.Watch(p);
  // Positions below 1 consume their lines and store nothing.
  EXPECT_TRUE(Load(p, "-1 3\r\nAA\r\nBB\r\nCC\r\nDD\r\nEE\r\n", false));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xCC, 0xDD, 0xEE}));
  // A last position beyond the palette reads nothing, yet notifies once.
  n.calls = 0;
  EXPECT_FALSE(Load(p, "1 4\r\n11\r\n22\r\n33\r\n44\r\n", false));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0xCC, 0xDD, 0xEE}));
  EXPECT_EQ(n.calls, 1);
  // Growing to it reads all.
  EXPECT_TRUE(Load(p, "1 4\r\n11\r\n22\r\n33\r\n44\r\n", true));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0x11, 0x22, 0x33, 0x44}));
  // Exchanged bounds read nothing; a last below 1 cannot resize.
  EXPECT_TRUE(Load(p, "4 1\r\n55\r\n", false));
  EXPECT_TRUE(Load(p, "1 0\r\n55\r\n", true));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0x11, 0x22, 0x33, 0x44}));
  // With AdjustSize they shrink the palette to the last position all the same.
  EXPECT_TRUE(Load(p, "4 1\r\n55\r\n", true));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{0x11}));
}

TEST_F(PaletteFile, AnAbsurdSizeIsNotAllocated) {
  TColorArray p;
  Number(p, 3);
  Counter n;
  n.Watch(p);
  EXPECT_FALSE(Load(p, "1 2000000000\r\nAA\r\n", true));
  EXPECT_FALSE(Load(p, "1 2147483647\r\nAA\r\n", true));
  EXPECT_FALSE(Load(p, "1 " + std::to_string(MaxPaletteFileColors + 1) + "\r\nAA\r\n", true));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3}));
  EXPECT_EQ(n.calls, 3);  // each refusal still ends with Changed
  // The limit itself is a size a file may ask for.
  EXPECT_TRUE(Load(p, "2 " + std::to_string(MaxPaletteFileColors) + "\r\nAA\r\n", true));
  EXPECT_EQ(p.Size(), MaxPaletteFileColors);
  EXPECT_EQ(p.GetColorElem(2), 0xAAU);
  // A palette already that large reads a file asking for it without resizing.
  EXPECT_TRUE(Load(p, "1 " + std::to_string(MaxPaletteFileColors) + "\r\nBB\r\n", false));
  EXPECT_EQ(p.GetColorElem(1), 0xBBU);
}

TEST_F(PaletteFile, ReadFailuresGiveFalse) {
  TColorArray p;
  Number(p, 3);
  Counter n;
  n.Watch(p);
  EXPECT_FALSE(p.LoadFromFile(Path("missing.pal"), true));
  EXPECT_FALSE(p.LoadFromFile(FromUtf8(FDir.string()), true));  // a directory
  EXPECT_FALSE(p.LoadFromFile(u"", true));
  TTextFile closed;
  EXPECT_FALSE(p.ReadFromOpenTextFile(closed, true));
  TTextFile writing(Path("w.pal"), tfmRewrite);
  EXPECT_FALSE(p.ReadFromOpenTextFile(writing, true));
  EXPECT_EQ(Colors(p), (std::vector<TColor>{1, 2, 3}));
  EXPECT_EQ(n.calls, 0);
}

}  // namespace
}  // namespace xan
