// The xancolors unit: colour models, named colours and palettes.
// Each topic has its own header under xan/xancolors/.
#pragma once

#include "xan/stringl.h"
#include "xan/xancolors/color_array.h"
#include "xan/xancolors/color_models.h"
#include "xan/xancolors/color_tables.h"
#include "xan/xancolors/named_colors.h"
