// The string library: number formatting, string functions, conversions, the scrambler and the
// regular-expression matcher. Each topic has its own header under xan/stringl/.
#pragma once

#include "xan/stringl/grep.h"
#include "xan/stringl/conversions.h"
#include "xan/stringl/number_format.h"
#include "xan/stringl/char_funcs.h"
#include "xan/stringl/string_parse.h"
#include "xan/stringl/string_search.h"
