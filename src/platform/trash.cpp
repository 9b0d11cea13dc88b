// The user's trash: the host's way of moving an entry there comes from the included host file
// (POSIX: the freedesktop.org trash directories).
#include "xan/platform/trash.h"

#if defined(_WIN32)
#include "win32/trash.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/trash.inc"
#else
#error "xan: the trash has no implementation for this host yet"
#endif
