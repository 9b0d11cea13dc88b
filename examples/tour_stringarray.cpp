// Tour section: the string table, a grid of short strings sorted through a row index, searched
// and read as numbers.
#include <iostream>

#include "tour.h"
#include "xan/dstruct.h"

void tour::StringTable() {
  using namespace xan;
  Heading("String table: cells in a shared pool, sorting by index, searching");
  TStringArray t;
  t.Resize(2, 4);  // columns 0..2, rows 1..4; column 0 is a row header
  const char16_t* names[] = {u"pear", u"Apple", u"fig", u"banana"};
  const char16_t* prices[] = {u"2,40", u"1.10", u"3.5", u" 0.95 "};
  for (int32_t r = 1; r <= 4; ++r) {
    t.SetString(0, r, u"#" + String(1, static_cast<Char>(u'0' + r)));
    t.SetString(1, r, names[r - 1]);
    t.SetString(2, r, prices[r - 1]);
  }
  t.Sort(1, 0, true);  // only the row index moves; A-Z compare as a-z
  for (int32_t r = 1; r <= 4; ++r) {
    std::cout << "  row " << r << " (stored " << t.GetSortOrder(r)
              << "): " << ToUtf8(t.GetString(0, r).ToString()) << " "
              << ToUtf8(t.GetString(1, r).ToString()) << " costs " << t.GetAsNumber(2, r) << "\n";
  }
  int32_t col = 0;
  int32_t row = 0;
  if (t.FindCell(u"AN", false, 1, 1, -1, -1, col, row)) {
    std::cout << "  FindCell(\"AN\", ignoring case) => column " << col << ", row " << row << "\n";
  }
  std::cout << "  GetAsInteger of \"2,40\" => " << t.GetAsInteger(2, 4) << ", pool blocks => "
            << t.NumBuffers() << "\n";
  try {
    t.SetString(2, 1, u"n/a");
    t.GetAsNumber(2, 1);
  } catch (const EXANDStructError& e) {
    std::cout << "  GetAsNumber of \"n/a\" raises: " << e.what() << "\n";
  }
}
