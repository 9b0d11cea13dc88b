// Named colours: the constant tables of named colours, X11 colours, predefined colour constants
// and palettes, and the lookup of a colour's name.
#pragma once

#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"
#include "xan/xancolors/color_tables.h"

namespace xan {

// The name of the first entry of AllXANColors equal to c (all 32 bits compared), or, when none
// is, ColorToHexStr(c).
//   $00FFFF => "Yellow",  $FFFF00 => "Aqua" (never "Cyan"),  $654321 => "00654321",
//   $FF000000 => "FF000000"
XAN_EXPORT String ObtainColorName(TColor c);

// The colour of a name: the value of the first entry of AllXANColorNames (which holds the X11
// names too) equal to Name, letters compared without regard to case (A-Z only). found tells
// whether there is one; an unknown name gives found false and 0. TColor is $00BBGGRR: red in
// the low byte.
//   "Orange" => 0x00A5FF (red FF, green A5, blue 00),  "cyan" and "AQUA" => 0xFFFF00,
//   "grAY" => 0x808080,  "Grey" => found false (the table spells it "Gray"),  "" => found false
XAN_EXPORT TColor ColorFromName(StringView Name, bool& found);

}  // namespace xan
