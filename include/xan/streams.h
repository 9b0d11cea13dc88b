// The streams unit: stream primitives, the mixed file stream and the tag scanners.
// Each topic has its own header under xan/streams/.
#pragma once

#include "xan/streams/mixed_fstream.h"
#include "xan/streams/primitives.h"
#include "xan/streams/tags.h"
#include "xan/stringl.h"
