// The filesys unit: paths, directory trees, text files, system locations, the save dialog.
// Each topic has its own header under xan/filesys/.
#pragma once

#include "xan/filesys/paths.h"
#include "xan/filesys/savedialog.h"
#include "xan/filesys/system_locations.h"
#include "xan/filesys/textfiles.h"
#include "xan/filesys/trees.h"
#include "xan/stringl.h"
