// Fuzz target: THtmlProducer filling any template (read from text and from a stream of UTF-16
// units), and the HTML text functions. A producer whose callback leaves every tag as it is
// gives the template back; escaping a text and resolving it again gives the text back.
#include "fuzz_support.h"
#include "xan/htmlsupport/html_producer.h"
#include "xan/htmlsupport/html_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  xan::THtmlProducer producer;
  producer.SetTemplate(xan::AnsiToString(bytes));
  FUZZ_CHECK(producer.Convert() == producer.Template(), "without a callback the text changes");
  producer.SetOnHTMLTag([](xan::TObject*, xan::String name, xan::String params, xan::String& text) {
    FUZZ_CHECK(text.starts_with(u"<#"), "a tag text that does not begin with <#");
    FUZZ_CHECK(params.empty() || (params.front() != u' ' && params.back() != u' '),
               "parameters with blanks at their ends");
    for (const xan::Char c : name) FUZZ_CHECK(c < u'A' || c > u'Z', "a name not in lower case");
  });
  FUZZ_CHECK(producer.Convert() == producer.Template(), "tags left alone change the text");
  producer.SetOnHTMLTag([](xan::TObject*, xan::String name, xan::String params, xan::String& text) {
    text = u"[" + name + u"|" + params + u"]";
  });
  producer.Convert();
  const std::string_view out = producer.ConvertedHTMLAsStream()->ByteString();
  FUZZ_CHECK(out == xan::StringToAnsi(producer.ConvertedHTML()), "the stream holds other bytes");

  xan::TStringStream units(bytes);
  producer.ReadTemplateFromStream(units);
  FUZZ_CHECK(producer.Template().size() == size / 2, "a unit for every two bytes");
  producer.Convert();

  const xan::String& text = producer.Template();
  FUZZ_CHECK(xan::ResolveHTMLEntities(xan::MakeStringHTMLCompatible(text)) == text,
             "escaped text does not resolve to itself");
  xan::ResolveHTMLEntities(xan::AnsiToString(bytes));
  xan::HTMLEntityToAnsi(xan::AnsiToString(bytes.substr(0, 16)));
  xan::ConvertHTMLBodyToText(xan::AnsiToString(bytes), true);
  xan::ConvertHTMLBodyToText(text, false);
  bool intag = false;
  xan::CountWordsHTML(xan::AnsiToString(bytes), true, intag);
  return 0;
}
