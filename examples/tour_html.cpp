// Tour section: filling an HTML template through a tag callback, counting words outside tags,
// escaping text for HTML and coding URLs.
#include <iostream>

#include "tour.h"
#include "xan/htmlsupport.h"

void tour::Html() {
  using namespace xan;
  Heading("HTML: templates, words, references and URLs");

  // Each "<#name parameters>" of the template is handed to the callback, which says what goes in
  // its place; a tag it leaves alone stays as it is.
  THtmlProducer page;
  page.SetTemplate(u"<h1><#Title></h1><p>Hello <#user upper>, today is <#date>.</p><#unknown>");
  page.SetOnHTMLTag([](TObject*, String TagName, String Params, String& Replacement) {
    if (TagName == u"title") Replacement = MakeStringHTMLCompatible(u"Caf\u00e9 & more");
    if (TagName == u"user") Replacement = Params == u"upper" ? u"ALICE" : u"Alice";
    if (TagName == u"date") Replacement = u"Monday";
  });
  Show("Convert", page.Convert());

  Show("ConvertHTMLBodyToText", ConvertHTMLBodyToText(page.ConvertedHTML(), false));

  // Words outside tags; the in-tag state carries over from one line to the next.
  bool intag = false;
  const int32_t first = CountWordsHTML(u"<p class=", false, intag);
  const int32_t second = CountWordsHTML(u"\"note\">Hello <b>big</b> world</p>", false, intag);
  std::cout << "  CountWordsHTML over two lines => " << first + second << " words\n";

  Show("MakeStringHTMLCompatible(\"x < 5 & \u00e9\")", MakeStringHTMLCompatible(u"x < 5 & \u00e9"));
  Show("ResolveHTMLEntities(\"x &lt; 5 &amp; &eacute;\")",
       ResolveHTMLEntities(u"x &lt; 5 &amp; &eacute;"));

  Show("URLEncode(\"a b/c?d=1\")", URLEncode(u"a b/c?d=1"));
  Show("URLDecode(\"a%20b%2Fc\")", URLDecode(u"a%20b%2Fc"));
  Show("ExtractHTTPPath(\"http://server/dir/page.html\")",
       ExtractHTTPPath(u"http://server/dir/page.html"));
}
