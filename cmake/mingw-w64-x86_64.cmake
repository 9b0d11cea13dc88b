# Cross build for 64-bit Windows with mingw-w64 (POSIX threads variant) from a Linux host.
# Tests run under Wine: ctest starts each test program through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(XAN_MINGW_PREFIX x86_64-w64-mingw32)
# The -posix compilers link winpthreads, which std::thread and std::mutex need.
set(CMAKE_C_COMPILER ${XAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${XAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${XAN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${XAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime of the compiler goes into each program and into xan.dll, so that Wine needs no
# copies of libstdc++-6.dll, libgcc_s_seh-1.dll and libwinpthread-1.dll beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# Debian installs wine64 under /usr/lib/wine with /usr/bin/wine as its launcher.
find_program(XAN_WINE64 NAMES wine64 wine PATHS /usr/lib/wine)
if(XAN_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${XAN_WINE64})
endif()
