// Path text in both styles: the split into path and name parts.
#include "xan/filesys/paths.h"

#include <gtest/gtest.h>

namespace xan {
namespace {

TEST(PathSplit, PathAndNamePartsInBothStyles) {
  const struct {
    const char16_t* text;
    TPathStyle style;
    const char16_t* path;
    const char16_t* name;
  } cases[] = {
      {u"c:\\a\\b.txt", psWindows, u"c:\\a\\", u"b.txt"},
      {u"c:b.txt", psWindows, u"c:", u"b.txt"},
      {u"c:\\a\\", psWindows, u"c:\\a\\", u""},
      {u"a/b", psWindows, u"", u"a/b"},
      {u"", psWindows, u"", u""},
      {u"/a/b.txt", psPosix, u"/a/", u"b.txt"},
      {u"/a/", psPosix, u"/a/", u""},
      {u"a\\b:c", psPosix, u"", u"a\\b:c"},
      {u"/", psPosix, u"/", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.text, c.style), c.path) << ToUtf8(c.text);
    EXPECT_EQ(ExtractFileName(c.text, c.style), c.name) << ToUtf8(c.text);
    EXPECT_EQ(ExtractFilePath(c.text, c.style) + ExtractFileName(c.text, c.style), c.text);
  }
  EXPECT_EQ(EnsureTrailingPathDelim(u"c:\\dir", psWindows), u"c:\\dir\\");
  EXPECT_EQ(EnsureTrailingPathDelim(u"/tmp", psPosix), u"/tmp/");
  EXPECT_EQ(EnsureTrailingPathDelim(u"/", psPosix), u"/");
  EXPECT_EQ(EnsureTrailingPathDelim(u"", psPosix), u"");
}

}  // namespace
}  // namespace xan
