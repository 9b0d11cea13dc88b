// The string list: items and out-of-range indexes, the list as text, and loading and saving
// lines in files and streams.
#include "xan/platform/stringlist.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace xan {
namespace {

TEST(StringList, AddsInsertsDeletesAndIgnoresIndexesOutOfRange) {
  TStringList l;
  EXPECT_EQ(l.Add(u"b"), 0);
  EXPECT_EQ(l.Add(u"d"), 1);
  l.Insert(0, u"a");
  l.Insert(2, u"c");
  l.Insert(4, u"e");
  l.Insert(6, u"never");
  l.Insert(-1, u"never");
  EXPECT_EQ(l, TStringList({u"a", u"b", u"c", u"d", u"e"}));
  l.Delete(1);
  l.Delete(9);
  l.SetStrings(0, u"A");
  l.SetStrings(-1, u"never");
  EXPECT_EQ(l.Count(), 4);
  EXPECT_EQ(l.Strings(0), u"A");
  EXPECT_EQ(l.Strings(4), u"");
  EXPECT_EQ(l.Strings(-1), u"");
  EXPECT_EQ(l.IndexOf(u"d"), 2);
  EXPECT_EQ(l.IndexOf(u"a"), -1);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, IndexOfIgnoresCaseOnlyWhenAsked) {
  TStringList l({u"DejaVu Sans", u"\u00C9cole", u"x"});
  EXPECT_TRUE(l.CaseSensitive());
  EXPECT_EQ(l.IndexOf(u"dejavu sans"), -1);
  TStringList same({u"DejaVu Sans", u"\u00C9cole", u"x"});
  same.SetCaseSensitive(false);
  EXPECT_EQ(l, same) << "equality looks at the texts only";
  l.SetCaseSensitive(false);
  EXPECT_EQ(l.IndexOf(u"dejavu sans"), 0);
  EXPECT_EQ(l.IndexOf(u"DEJAVU SANS"), 0);
  EXPECT_EQ(l.IndexOf(u"\u00E9COLE"), 1) << "by the locale's rules, beyond A-Z";
  EXPECT_EQ(l.IndexOf(u"X"), 2);
  EXPECT_EQ(l.IndexOf(u"DejaVu"), -1);
}

TEST(StringList, TextJoinsWithCrLfAndSplitsAtEveryLineEnd) {
  TStringList l;
  l.SetText(u"a\r\nb");
  EXPECT_EQ(l, TStringList({u"a", u"b"}));
  EXPECT_EQ(l.Text(), u"a\r\nb\r\n");
  l.SetText(u"a\n\nb\r");
  EXPECT_EQ(l, TStringList({u"a", u"", u"b"}));
  l.SetText(u"\r\n");
  EXPECT_EQ(l, TStringList({u""}));
  l.SetText(u"");
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Text(), u"");
}

class StringListFiles : public testing::TempDirTest {};

TEST_F(StringListFiles, SavesAndLoadsLinesInTheAnsiCodePage) {
  const TStringList l({u"caf\u00e9", u"", u"\u20ac5"});
  l.SaveToFile(Path("l.txt"));
  EXPECT_EQ(ReadBytes("l.txt"), "caf\xe9\r\n\r\n\x80\x35\r\n");
  TStringList back;
  back.Add(u"old");
  back.LoadFromFile(Path("l.txt"));
  EXPECT_EQ(back, l);
  EXPECT_THROW(back.LoadFromFile(Path("missing")), EFOpenError);
}

TEST_F(StringListFiles, LoadsTheRestOfAStreamFromItsPosition) {
  TStringStream s("skip\r\none\ntwo");
  s.SetPosition(6);
  TStringList l;
  l.LoadFromStream(s);
  EXPECT_EQ(l, TStringList({u"one", u"two"}));
  TMemoryStream out;
  l.SaveToStream(out);
  EXPECT_EQ(out.Size(), 10);
}

}  // namespace
}  // namespace xan
