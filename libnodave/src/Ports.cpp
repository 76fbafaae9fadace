// Opening and closing the ports the protocols run on. The close calls close only
// handles the library opened itself: a caller's own handle (a callback transport's
// dummy 1, say) must never close a descriptor of the process.
#include <string>

#include "Debug.h"
#include "LiveSet.h"
#include "Socket.h"

namespace nodave {
namespace {

LiveSet<int32_t>& OpenSockets() {
  static LiveSet<int32_t> set;
  return set;
}

}  // namespace
}  // namespace nodave

extern "C" {

// Serial ports are not supported yet.
DAVE_API int32_t DAVE_CALL setPort(const char* name, const char* /*baud*/, char /*parity*/) {
  nodave::DebugLine(nullptr, daveDebugOpen,
                    std::string("setPort ") + (name != nullptr ? name : "") +
                        ": serial ports are not supported yet");
  return 0;
}

DAVE_API int32_t DAVE_CALL closePort(int32_t /*handle*/) { return daveResInvalidParam; }

DAVE_API int32_t DAVE_CALL openSocket(int32_t port, const char* host) {
  const int32_t handle = nodave::SocketConnect(port, host);
  nodave::DebugLine(nullptr, daveDebugOpen,
                    std::string("openSocket ") + (host != nullptr ? host : "") + ":" +
                        std::to_string(port) + (handle > 0 ? " connected" : " failed"));
  if (handle > 0) {
    nodave::OpenSockets().Add(handle);
  }
  return handle;
}

DAVE_API int32_t DAVE_CALL closeSocket(int32_t handle) {
  if (!nodave::OpenSockets().Remove(handle)) {
    return daveResInvalidParam;
  }
  nodave::SocketClose(handle);
  return daveResOK;
}

DAVE_API int32_t DAVE_CALL openS7online(const char* /*accessPoint*/, void* /*windowHandle*/) {
  nodave::DebugLine(nullptr, daveDebugOpen, "openS7online: not supported yet");
  return -1;
}

DAVE_API int32_t DAVE_CALL closeS7online(int32_t /*handle*/) { return daveResInvalidParam; }
}
