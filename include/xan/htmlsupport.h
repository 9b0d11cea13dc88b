// The htmlsupport unit: HTML templates, word counting and URL coding.
// Each topic has its own header under xan/htmlsupport/.
#pragma once

#include "xan/stringl.h"
