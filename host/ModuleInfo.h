#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "moxShared/Private/Plugins/moxPluginRecords.h"

namespace host {

// What GetModuleInfo tells about a module, its texts copied out of the buffer.
struct TModuleInfo {
  uint32_t TypeFlags = 0;
  uint32_t InterfaceVersion = 0;
  float ModuleVersion = 0;
  uint8_t InfoFlag = 0;
  std::string Description;     // UTF-8
  std::string CustomCommands;  // UTF-8
};

class EModuleInfo : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Asks twice, as the host does: first without a buffer for the size, then
// with a buffer of that size. EModuleInfo when the plug-in refuses either call
// or reports texts that lie outside the buffer.
TModuleInfo QueryModuleInfo(TGetModuleInfo getModuleInfo, TPluginCallRec& record);

}  // namespace host
