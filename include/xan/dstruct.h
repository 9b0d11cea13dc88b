// The dstruct unit: containers, checksums, encodings and combinatorics.
// Each topic has its own header under xan/dstruct/.
#pragma once

#include "xan/dstruct/assocarray.h"
#include "xan/dstruct/bitfield.h"
#include "xan/dstruct/checksums.h"
#include "xan/dstruct/combinatorics.h"
#include "xan/dstruct/encodings.h"
#include "xan/dstruct/featurematrix.h"
#include "xan/dstruct/fifo.h"
#include "xan/dstruct/rlencoder.h"
#include "xan/dstruct/stringaccu.h"
#include "xan/dstruct/stringarray.h"
#include "xan/streams.h"
#include "xan/stringl.h"
