// The xancolors unit: colour models, named colours and palettes.
// Each topic has its own header under xan/xancolors/.
#pragma once

#include "xan/stringl.h"
