// Every unit of the library in one include.
#pragma once

#include "xan/cpuid.h"
#include "xan/dstruct.h"
#include "xan/filesys.h"
#include "xan/htmlsupport.h"
#include "xan/streams.h"
#include "xan/stringl.h"
#include "xan/univconst.h"
#include "xan/xanbase.h"
#include "xan/xancolors.h"
