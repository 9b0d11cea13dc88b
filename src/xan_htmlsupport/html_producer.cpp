// THtmlProducer: the template scan of Convert, and the template and result moved between the
// producer, files and streams.
#include "xan/htmlsupport/html_producer.h"

#include "xan/platform/textfile.h"
#include "xan/streams/primitives.h"
#include "xan/stringl/char_funcs.h"
#include "xan_stringl/simple_case.h"

namespace xan {

THtmlProducer::THtmlProducer(TComponent* AOwner) : TComponent(AOwner) {}

THtmlProducer::~THtmlProducer() = default;

void THtmlProducer::SetTemplate(StringView text) {
  FTemplate.assign(text);
}

const String& THtmlProducer::Convert() {
  // A callback may set a new template or callback, or convert again: this scan keeps to its own
  // copies and builds its own result, in the storage of the last one.
  const String source = FTemplate;
  const TOnHTMLTagEvent callback = FOnHTMLTag;
  const StringView t = source;
  String out;
  out.swap(FConvertedHTML);
  out.clear();
  out.reserve(t.size());
  String replacement;  // one buffer for all tags, so that its storage is reused
  size_t p = 0;
  while (p < t.size()) {
    const size_t tag = t.find(u"<#", p);
    if (tag == StringView::npos) {
      out.append(t.substr(p));
      break;
    }
    out.append(t.substr(p, tag - p));
    FSPos = static_cast<int64_t>(tag) + 1;
    // Without ">" the tag runs to the end of the template, its last character included.
    const size_t close = t.find(u'>', tag + 2);
    const size_t bodyEnd = close == StringView::npos ? t.size() : close;
    const size_t tagEnd = close == StringView::npos ? t.size() : close + 1;
    const StringView body = t.substr(tag + 2, bodyEnd - tag - 2);
    const size_t blank = body.find(u' ');
    replacement.assign(t.substr(tag, tagEnd - tag));
    if (callback) {
      String params;
      if (blank != StringView::npos) params = StripLTBlanks(body.substr(blank + 1));
      callback(this, SimpleLowerText(body.substr(0, blank)), std::move(params), replacement);
    }
    out += replacement;
    p = tagEnd;
  }
  FSPos = static_cast<int64_t>(t.size()) + 1;
  FConvertedHTML = std::move(out);
  return FConvertedHTML;
}

void THtmlProducer::ReadTemplateFromFile(StringView FName) {
  TTextFile file(FName, tfmRead);
  FTemplate.clear();
  while (!file.Eof()) {
    FTemplate += file.ReadLn();
    FTemplate += u"\r\n";
  }
}

void THtmlProducer::ReadTemplateFromStream(TStream& InStream) {
  InStream.SetPosition(0);
  FTemplate = StreamAsString(InStream);
}

TStringStream* THtmlProducer::ConvertedHTMLAsStream() {
  FStrStream.reset();
  FStrStream = std::make_unique<TStringStream>(std::string_view(StringToAnsi(FConvertedHTML)));
  return FStrStream.get();
}

void THtmlProducer::WriteConvertedHTMLToFile(StringView FName) {
  TTextFile file(FName, tfmRewrite);
  file.Write(FConvertedHTML);
  file.Close();
}

}  // namespace xan
