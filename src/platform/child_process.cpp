// Child processes started from an argument vector, with their output piped back and their run
// bounded in time; the host code is chosen here by inclusion.
#include "child_process.h"

#if defined(_WIN32)
#include "win32/child_process.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/child_process.inc"
#else
#error "xan: child processes have no implementation for this host yet"
#endif
