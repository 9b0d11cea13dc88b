// Tour section: the regular-expression matcher TGrep, its syntax and what a search reports.
#include <iostream>

#include "tour.h"
#include "xan/stringl.h"

void tour::Grep() {
  using namespace xan;
  Heading("Regular expressions: TGrep");
  TGrep grep;
  grep.SetName(u"Grep1");

  const auto find = [&grep](StringView pattern, StringView text) {
    grep.SetRegExp(pattern);
    int32_t pos = 0;
    const bool found = grep.MatchString(text, pos);
    std::cout << "  \"" << ToUtf8(pattern) << "\" in \"" << ToUtf8(text) << "\" => ";
    if (found) {
      std::cout << "found at " << pos << ".." << grep.MatchEndPos() << " (\""
                << ToUtf8(text.substr(pos - 1, grep.MatchEndPos() - pos + 1)) << "\")\n";
    } else {
      std::cout << "not found\n";
    }
  };
  find(u"b+", u"aabbb");
  find(u"(ab)+c", u"xxababcx");
  find(u"[0-9]+$", u"order 66");
  find(u"^ab", u"xab");
  find(u"a.*b", u"a1b2b");  // quantifiers inside the pattern take as little as they can

  grep.SetIgnoreCase(true);
  find(u"hello", u"Say HELLO");

  // A faulty pattern raises, naming the component; LastError keeps the code.
  try {
    grep.SetRegExp(u"a$b");
  } catch (const EXANStringlError& e) {
    std::cout << "  " << e.what() << " (code " << grep.LastError() << ")\n";
  }
}
