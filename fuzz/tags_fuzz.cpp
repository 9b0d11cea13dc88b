// Fuzz target: the tag and attribute scanners over streams, open text files and strings.
#include <array>

#include "fuzz_support.h"
#include "xan/platform/textfile.h"
#include "xan/streams/tags.h"
#include "xan/stringl/string_parse.h"

namespace {

const std::array<xan::String, 6> kTags = {u"item", u"b", u"/item", u"br", u"?xml", u""};

// Every tag of the stream in turn; each call must move on or reach the end.
void WalkStream(std::string_view bytes) {
  xan::TStringStream s(bytes);
  xan::String attributes, content;
  while (s.Position() < s.Size()) {
    const int64_t before = s.Position();
    const int32_t ix = xan::ReadNextTagInStream(s, kTags, attributes, content);
    FUZZ_CHECK(ix >= -1 && ix < static_cast<int32_t>(kTags.size()), "a tag index out of range");
    FUZZ_CHECK(s.Position() > before, "ReadNextTagInStream does not move on");
    // Attribute values of what was found.
    xan::ScanForXMLAttrib(attributes, u"id");
    xan::ScanForXMLAttrib(attributes, attributes.substr(0, attributes.find(u'=')));
  }
}

void WalkTextFile(std::string_view bytes) {
  static const xanfuzz::TempFile file("tags");
  file.Write(bytes);
  xan::TTextFile f(file.Name(), xan::tfmRead);
  xan::String attributes, content;
  for (int guard = 0; !f.Eof() && guard <= static_cast<int>(bytes.size()); ++guard) {
    const int32_t ix = xan::ReadNextTagInTextFile(f, kTags, attributes, content);
    FUZZ_CHECK(ix >= -1 && ix < static_cast<int32_t>(kTags.size()), "a tag index out of range");
  }
  FUZZ_CHECK(f.Eof(), "ReadNextTagInTextFile does not move on");
}

// The string scanners, tag by tag; each found tag lies at or after the position asked for and
// the position moves past it.
void WalkString(const xan::String& text) {
  xan::String tag, content;
  bool found = false;
  for (int32_t pos = 1;;) {
    int32_t at = pos, end = 0;
    const int32_t ix = xan::DetectNextTagInString(text, at, end, kTags, tag, found);
    if (ix < 0) break;
    FUZZ_CHECK(found && at >= pos && end > at && end <= static_cast<int32_t>(text.size()),
               "DetectNextTagInString places a tag outside the text");
    pos = end + 1;
  }
  for (int32_t pos = 1;;) {
    const int32_t before = pos;
    if (xan::ReadNextTagInString(text, pos, kTags, tag, content) < 0) break;
    FUZZ_CHECK(pos > before && pos <= static_cast<int32_t>(text.size()) + 1,
               "ReadNextTagInString does not move on");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  WalkStream(bytes);
  WalkTextFile(bytes);
  WalkString(xan::BytesToString(bytes));
  {
    xan::TStringStream s(bytes);
    xan::String attributes, content;
    xan::ScanStreamForXMLTag(s, u"B", attributes, content);
  }
  {
    xan::TStringStream s(bytes);
    int32_t index = 0;
    for (int guard = 0; guard <= static_cast<int>(size) && s.Position() < s.Size(); ++guard) {
      xan::ReadStreamUntilTagList(s, kTags, index);
      if (index < 0) break;
    }
  }
  xan::ScanForXMLAttrib(xan::BytesToString(bytes), u"a");
  return 0;
}
