// Tour section: value conversions, variants, parameter lists and the scrambler.
#include <iostream>

#include "tour.h"
#include "xan/stringl.h"

void tour::Conversions() {
  using namespace xan;
  Heading("Conversions: booleans, variants, parameter lists, scrambling");
  Show("BoolToStr(true, 2)", BoolToStr(true, 2));
  Show("TriStateToStr(StrToTriState(\"  YES \"), 1)", TriStateToStr(StrToTriState(u"  YES "), 1));
  std::cout << "  StringIx(\"B\", false, {\"a\", \"b\"}) => " << StringIx(u"B", false, {u"a", u"b"})
            << "\n";
  Show("CreateParList({1, 2, 3}, maxitems 2, brackets)", CreateParList({1, 2, 3}, false, 2, true));
  Show("CreateParList({true, false}, brackets)", CreateParList({true, false}, false, 0, true));

  // A two-level variant array: two columns of three values each.
  Variant table = Variant::Array(0, 1);
  table[0] = Variant::Array(0, {Variant(1), Variant(2), Variant(3)});
  table[1] = Variant::Array(0, {Variant(u"a"), Variant(true), Variant::Null()});
  std::cout << "  ConvertVariant(2 x 3 array) =>\n" << ToUtf8(ConvertVariant(table));

  const String secret = Scramble(u"Hello");
  Show("DeScramble(Scramble(\"Hello\"))", DeScramble(secret));
}
