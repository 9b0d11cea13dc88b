// The export macro of libxan: marks the public interface, everything else stays hidden.
// XAN_STATIC is defined for static builds (by CMake and pkg-config); XAN_BUILDING while building.
#pragma once

#if defined(XAN_STATIC)
#define XAN_EXPORT
#elif defined(_WIN32)
#if defined(XAN_BUILDING)
#define XAN_EXPORT __declspec(dllexport)
#else
#define XAN_EXPORT __declspec(dllimport)
#endif
#else
#define XAN_EXPORT __attribute__((visibility("default")))
#endif
