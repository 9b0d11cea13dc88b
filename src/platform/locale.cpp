// Locale case rules of the platform: character and text case mapping and case-insensitive
// comparison, from ICU on POSIX hosts and from the system's own NLS functions on Windows.
#include "xan/platform/locale.h"

#if defined(_WIN32)
#include "win32/locale.inc"
#elif defined(__unix__) || defined(__APPLE__)
#include "posix/locale.inc"
#else
#error "xan: the locale case rules have no implementation for this host yet"
#endif
