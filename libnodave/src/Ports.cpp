// Opening and closing the ports the protocols run on. The close calls close only
// handles the library opened itself: a caller's own handle (a callback transport's
// dummy 1, say) must never close a descriptor of the process.
#include "Ports.h"

#include <cstdlib>
#include <string>

#include "Debug.h"
#include "LiveSet.h"
#include "SerialPort.h"
#include "Socket.h"

namespace nodave {
namespace {

LiveSet<int32_t>& OpenSockets() {
  static LiveSet<int32_t> set;
  return set;
}

LiveSet<int32_t>& OpenPorts() {
  static LiveSet<int32_t> set;
  return set;
}

// The baud rate of its decimal text, or 0.
int32_t BaudOf(const char* text) {
  if (text == nullptr || *text == '\0') {
    return 0;
  }
  char* end = nullptr;
  const long baud = std::strtol(text, &end, 10);
  return *end == '\0' && baud > 0 && baud <= 4000000 ? static_cast<int32_t>(baud) : 0;
}

std::string Text(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

bool IsOpenPort(int32_t handle) { return OpenPorts().Contains(handle); }

}  // namespace nodave

extern "C" {

DAVE_API int32_t DAVE_CALL setPort(const char* name, const char* baud, char parity) {
  const int32_t handle =
      name != nullptr ? nodave::SerialOpen(name, nodave::BaudOf(baud), parity) : 0;
  nodave::DebugLine(nullptr, daveDebugOpen,
                    "setPort " + nodave::Text(name) + " " + nodave::Text(baud) + " " +
                        std::string(1, parity) + (handle > 0 ? " opened" : " failed"));
  if (handle > 0) {
    nodave::OpenPorts().Add(handle);
  }
  return handle;
}

DAVE_API int32_t DAVE_CALL closePort(int32_t handle) {
  if (!nodave::OpenPorts().Remove(handle)) {
    return daveResInvalidParam;
  }
  nodave::SerialClose(handle);
  return daveResOK;
}

DAVE_API int32_t DAVE_CALL openSocket(int32_t port, const char* host) {
  const int32_t handle = nodave::SocketConnect(port, host);
  nodave::DebugLine(nullptr, daveDebugOpen,
                    "openSocket " + nodave::Text(host) + ":" + std::to_string(port) +
                        (handle > 0 ? " connected" : " failed"));
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
