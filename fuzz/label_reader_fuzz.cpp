// Fuzz target: the text label's reader of its element in an open text file, searched by any
// identifier. A label that reads is written, read back and written again: both writes must be
// the same bytes, and what the writing keeps must come back from the first one.
#include "fuzz_support.h"
#include "xan/platform/textfile.h"
#include "xan/xanbase/labels.h"

namespace {

using xan::TCustomTextLabel;

// The values a written label keeps: all but the attachment mode, font and mode, colours in their
// low 24 bits.
bool SameWritten(const TCustomTextLabel& a, const TCustomTextLabel& b) {
  return a.Caption() == b.Caption() && a.Layer() == b.Layer() && a.XShadow() == b.XShadow() &&
         a.YShadow() == b.YShadow() && a.TransPar() == b.TransPar() && a.Visible() == b.Visible() &&
         a.Alignment() == b.Alignment() && a.VertAlign() == b.VertAlign() &&
         ((a.ColorBrd() ^ b.ColorBrd()) & 0xFFFFFF) == 0 &&
         ((a.ColorBkg() ^ b.ColorBkg()) & 0xFFFFFF) == 0 &&
         ((a.ColorShadow() ^ b.ColorShadow()) & 0xFFFFFF) == 0;
}

void Write(const TCustomTextLabel& label, const xanfuzz::TempFile& file, int32_t indent) {
  file.Write({});  // a new, empty file: the text file then has nothing to cut away
  xan::TTextFile f(file.Name(), xan::tfmRewrite);
  label.WriteToOpenXMLFile(f, true, u"fuzz", indent);
  f.Close();
}

bool Read(TCustomTextLabel& label, const xanfuzz::TempFile& file) {
  xan::TTextFile f(file.Name(), xan::tfmRead);
  return label.ReadFromOpenXMLFile(f, u"fuzz");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first line is the identifier searched for (empty: the first label), the rest the file.
  xanfuzz::Choices choices(data, size);
  const int32_t indent = choices.Byte() % 8;
  const xan::String id = xan::BytesToString(choices.Until('\n', 32));
  static const xanfuzz::TempFile in("label_in"), first("label_a"), second("label_b");
  in.Write(choices.Rest());
  TCustomTextLabel label;
  int changes = 0;
  label.SetOnChange([&](xan::TObject*) { ++changes; });
  {
    xan::TTextFile f(in.Name(), xan::tfmRead);
    const bool found = label.ReadFromOpenXMLFile(f, id);
    FUZZ_CHECK(changes == (found ? 1 : 0), "a read that is not told exactly once");
    // The reader goes on from where the first stopped, as for a file of several labels.
    TCustomTextLabel next;
    next.ReadFromOpenXMLFile(f, u"");
    if (!found) return 0;
  }
  Write(label, first, indent);
  TCustomTextLabel again;
  FUZZ_CHECK(Read(again, first), "a written label is not found again");
  FUZZ_CHECK(SameWritten(label, again), "a written label reads back with other values");
  Write(again, second, indent);
  FUZZ_CHECK(first.Read() == second.Read(), "writing what was read from a written label differs");
  return 0;
}
