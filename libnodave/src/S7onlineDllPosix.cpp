// The vendor's access DLL exists for Windows only.
#include "S7onlineDll.h"
#include "nodave.h"

namespace nodave {

int32_t LoadS7onlineDll(const ScpFunctions*& functions, std::string& detail) {
  functions = nullptr;
  detail.clear();
  return daveResS7onlineNotAvailable;
}

}  // namespace nodave
