// The dstruct unit: containers, checksums, encodings and combinatorics.
// Each topic has its own header under xan/dstruct/.
#pragma once

#include "xan/stringl.h"

#include "xan/dstruct/checksums.h"
