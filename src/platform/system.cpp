// Kernel queries of the host: processor count, tick count and the scheduling-priority raise.
// The host code is chosen here by inclusion; each host file implements everything in system.h.
#include "xan/platform/system.h"

#if defined(_WIN32)
#include "win32/system.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/system.inc"
#else
#error "xan: the system services have no implementation for this host yet"
#endif
