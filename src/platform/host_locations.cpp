// The host's drives, environment, standard directories, write probes, program associations and
// cryptographic random bytes; the host code is chosen here by inclusion.
#include "xan/platform/host_locations.h"

#if defined(_WIN32)
#include "win32/host_locations.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/host_locations.inc"
#else
#error "xan: the host locations have no implementation for this host yet"
#endif
