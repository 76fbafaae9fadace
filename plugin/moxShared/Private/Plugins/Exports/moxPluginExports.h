#pragma once

#include "moxShared/Private/Plugins/moxPluginRecords.h"

// The library's exports are the only names it shows: natively they are made
// visible one by one; on Windows a module-definition file names them without
// stdcall decoration.
#if defined(_WIN32)
#define MOX_PLUGIN_EXPORT
#else
#define MOX_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif
