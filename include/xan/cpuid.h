// The cpuid unit: processor identification.
// Each topic has its own header under xan/cpuid/.
#pragma once

#include "xan/cpuid/identification.h"
#include "xan/stringl.h"
