// Every unit of the library in one include.
#pragma once

#include "xan/stringl.h"
#include "xan/univconst.h"
#include "xan/xanbase.h"
