// Tour section: string functions — trimming and padding, search and replace, tokens, lines.
#include <iostream>

#include "tour.h"
#include "xan/stringl.h"

void tour::Strings() {
  using namespace xan;
  Heading("Strings: trim, pad, search, split");
  Show("StripLTBlanks(\"  key  \")", StripLTBlanks(u"  key  "));
  Show("CenterString(\"ab\", 7)", CenterString(u"ab", 7));
  Show("ExpandDiphthongs(\"Stra\u00dfe \u00c4pfel\")", ExpandDiphthongs(u"Stra\u00dfe \u00c4pfel"));
  Show("CapitalizeString(\"hello world-wide\")", CapitalizeString(u"hello world-wide"));
  Show("ReplaceStringInString(\"Hello\", \"L\", \"x\", ignorecase)",
       ReplaceStringInString(u"Hello", u"L", u"x", true));
  std::cout << "  NumberedPos(\"bc\", \"abcabc\", 1, 2nd) => "
            << NumberedPos(u"bc", u"abcabc", 1, 2, false) << "\n";
  std::cout << "  CountWords(\"one, two and three.\") => " << CountWords(u"one, two and three.")
            << "\n";

  TOpenStringArray tokens;
  const int32_t n = Tokenize(u"a\\;b;c;", u";", u'\\', tokens);
  std::cout << "  Tokenize(\"a\\;b;c;\", \";\", escape '\\') => " << n << " tokens:";
  for (const String& t : tokens) std::cout << " \"" << ToUtf8(t) << "\"";
  std::cout << "\n";

  Show("ExtractSubString(\"a,b,,c\", 3, \",\")", ExtractSubString(u"a,b,,c", 3, u","));
  Show("ExtractParam(\"plot(x, f(1, 2), 3)\", 1, '(', ')', \",\")",
       ExtractParam(u"plot(x, f(1, 2), 3)", 1, u'(', u')', u","));

  const String text = u"first\r\nsecond";
  int32_t pos = 1;
  bool eot = false;
  while (!eot) {
    const String line = ReadLnString(text, pos, eot, 4);
    Show("ReadLnString(mode 4)", line);
  }
  Show("UUEncodeStr(\"Cat\"), line ends as |",
       ReplaceStringInString(UUEncodeStr(u"Cat"), u"\r\n", u"|", false));
}
