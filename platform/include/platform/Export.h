#pragma once

// The POSIX stand-in is one shared library that a host and the plug-in both load,
// so that window handles and message queues mean the same on both sides.
#if defined(_WIN32)
#define MOX_PLATFORM_API
#else
#define MOX_PLATFORM_API __attribute__((visibility("default")))
#endif
