// The palette text format of TColorArray: a header line "first last", then one line per position
// with the colour as 8 hexadecimal digits. Written and read here over line callbacks, so that
// the file operations only have to supply the lines of an open text file.
#pragma once

#include <cstdint>
#include <functional>

#include "xan/platform/strings.h"
#include "xan/platform/types.h"
#include "xan/xancolors/color_array.h"

namespace xan::detail {

// Sends one line; false when it could not be written.
using TPaletteLineWriter = std::function<bool(StringView line)>;
// Fetches the next line into `line`; false at the end of the text or on a read error.
using TPaletteLineReader = std::function<bool(String& line)>;

// The positions written for a request first..last on a palette of `size` colours: the bounds
// are exchanged when last < first, then first is raised to 1 and last lowered to `size`.
//   (5, 2, 10) => 2, 5;  (-3, 20, 10) => 1, 10;  (20, 30, 10) => 20, 10 (nothing to write)
void PaletteWriteRange(int32_t size, int32_t& first, int32_t& last) noexcept;

// Writes the header "first last" and the colours first..last (after PaletteWriteRange) as
// ColorToHexStr lines. Stops at the first line that cannot be written and returns false.
bool WritePaletteText(const TColorArray& palette, int32_t first, int32_t last,
                      const TPaletteLineWriter& writeLine);

// Reads a header line: two decimal integers (optional sign) separated by blanks or tabs, with
// blanks allowed around them; anything after the second number's separator is ignored.
// Returns false, leaving first and last unchanged, for any other text or a number beyond int32.
//   "2 5" => 2, 5;  " -1\t7 x" => -1, 7;  "2" => false;  "2x 5" => false
bool ParsePaletteHeader(StringView line, int32_t& first, int32_t& last) noexcept;

// Reads the colour lines first..last after the header: with adjustSize the palette is first
// resized to `last` entries. When the palette then holds at least `last` colours the result is
// true and each line that starts with a hexadecimal colour (blanks and one "$" skipped) is
// stored with SetColorElem at its position (positions outside the palette are skipped, lines
// without a digit leave their entry alone); reading ends early when the lines run out. A
// palette that is too small reads nothing and gives false. Changed() is called at the end in
// both cases. Raises EXANColArrayError when the resize cannot be allocated.
bool ReadPaletteText(TColorArray& palette, int32_t first, int32_t last, bool adjustSize,
                     const TPaletteLineReader& readLine);

}  // namespace xan::detail
