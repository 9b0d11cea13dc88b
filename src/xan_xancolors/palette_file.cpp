// TColorArray's palette files: the palette text format over the platform's open text file, and
// the two functions that open and close a named file around it.
#include <new>

#include "xan/platform/exceptions.h"
#include "xan/platform/textfile.h"
#include "xan/xancolors/color_array.h"
#include "xan_xancolors/palette_text.h"

namespace xan {

namespace {

// Runs a file operation, turning the errors of the platform and of the palette (a file that
// cannot be opened, read or written, storage that cannot be had) into a false result.
template <class F>
bool FalseOnError(F&& Operation) {
  try {
    return Operation();
  } catch (const Exception&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

bool TColorArray::WriteToOpenTextFile(TTextFile& TextFile, int32_t First, int32_t Last) const {
  return FalseOnError([&] {
    const bool written = detail::WritePaletteText(*this, First, Last, [&](StringView line) {
      TextFile.WriteLn(line);
      return true;
    });
    // Buffered output fails only when it reaches the host: make that happen while we can
    // still say so.
    TextFile.Flush();
    return written;
  });
}

bool TColorArray::ReadFromOpenTextFile(TTextFile& TextFile, bool AdjustSize) {
  return FalseOnError([&] {
    int32_t first = 0;
    int32_t last = 0;
    if (!detail::ParsePaletteHeader(TextFile.ReadLn(), first, last)) return false;
    // A read error among the colour lines ends reading like the end of the file does, so that
    // the colours read so far are announced by Changed; it still makes the result false.
    bool readFailed = false;
    const bool read = detail::ReadPaletteText(*this, first, last, AdjustSize, [&](String& line) {
      bool atEnd = false;
      readFailed = !FalseOnError([&] {
        atEnd = TextFile.Eof();
        if (!atEnd) line = TextFile.ReadLn();
        return true;
      });
      return !atEnd && !readFailed;
    });
    return read && !readFailed;
  });
}

bool TColorArray::StoreOnFile(int32_t FirstElem, int32_t LastElem, StringView FileName) const {
  return FalseOnError([&] {
    TTextFile file(FileName, tfmRewrite);
    if (!WriteToOpenTextFile(file, FirstElem, LastElem)) return false;
    file.Close();
    return true;
  });
}

bool TColorArray::LoadFromFile(StringView FileName, bool AdjustSize) {
  return FalseOnError([&] {
    TTextFile file(FileName, tfmRead);
    return ReadFromOpenTextFile(file, AdjustSize);
  });
}

}  // namespace xan
