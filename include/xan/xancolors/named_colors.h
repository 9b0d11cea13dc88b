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

}  // namespace xan
