// The record and connection entry points; the protocol work is in IsoSession.
#include <cstring>

#include "Debug.h"
#include "IsoSession.h"
#include "Records.h"
#include "S7Read.h"

namespace nodave {
namespace {

constexpr int32_t kDefaultTimeout = 1000000;  // microseconds, until the caller sets its own
constexpr int32_t kLargestRack = 7;
constexpr int32_t kLargestSlot = 31;

bool SpeaksIsoTcp(const daveInterface* di) {
  return di->protocol == daveProtoISOTCP || di->protocol == daveProtoISOTCP243;
}

// Why a connection cannot be used for a connect or read, or daveResOK.
int32_t Usable(const daveConnection* dc) {
  if (!IsLiveConnection(dc)) {
    return daveResInvalidParam;
  }
  return SpeaksIsoTcp(dc->iface) ? daveResOK : daveResProtocolNotSupported;
}

}  // namespace
}  // namespace nodave

using namespace nodave;

extern "C" {

DAVE_API daveInterface* DAVE_CALL daveNewInterface(daveOSserialType fd, const char* name,
                                                   int32_t localMPI, int32_t protocol,
                                                   int32_t speed) {
  daveInterface* di = NewInterfaceRecord();
  di->timeout = kDefaultTimeout;
  di->fd = fd;
  di->localMPI = localMPI;
  di->speed = speed;
  di->protocol = protocol;
  if (name != nullptr) {
    std::strncpy(di->name, name, sizeof di->name - 1);
  }
  return di;
}

DAVE_API daveConnection* DAVE_CALL daveNewConnection(daveInterface* di, int32_t MPI, int32_t rack,
                                                     int32_t slot) {
  if (!IsLiveInterface(di)) {
    return nullptr;
  }
  daveConnection* dc = NewConnectionRecord();
  dc->iface = di;
  dc->MPIAdr = MPI;
  dc->rack = rack;
  dc->slot = slot;
  dc->maxPDUlength = daveRequestedPDU;
  return dc;
}

DAVE_API void DAVE_CALL daveFree(void* record) { FreeRecord(record); }

DAVE_API int32_t DAVE_CALL daveInitAdapter(daveInterface* di) {
  if (!IsLiveInterface(di)) {
    return daveResInvalidParam;
  }
  return SpeaksIsoTcp(di) ? daveResOK : daveResProtocolNotSupported;
}

DAVE_API int32_t DAVE_CALL daveConnectPLC(daveConnection* dc) {
  const int32_t usable = Usable(dc);
  if (usable != daveResOK) {
    return usable;
  }
  if (dc->rack < 0 || dc->rack > kLargestRack || dc->slot < 0 || dc->slot > kLargestSlot) {
    return daveResInvalidParam;
  }
  return ConnectIso(dc);
}

DAVE_API int32_t DAVE_CALL daveReadBytes(daveConnection* dc, int32_t area, int32_t DB,
                                         int32_t start, int32_t len, void* buffer) {
  int32_t result = Usable(dc);
  if (result != daveResOK) {
    return result;
  }
  dc->AnswLen = 0;
  if (!dc->connected) {
    return daveResNotConnected;
  }
  if (buffer == nullptr) {
    return daveResNoBuffer;
  }
  ReadItem item;
  result = MakeReadItem(area, DB, start, len, item);
  if (result == daveResOK) {
    result = ReadIso(dc, item, static_cast<uint8_t*>(buffer));
  }
  if (result == daveResOK) {
    dc->AnswLen = len;
  } else {
    DebugLine(dc->iface, daveDebugPrintErrors, "read failed: " + std::string(daveStrerror(result)));
  }
  return result;
}

// Nothing goes on the wire: the PLC ends its side when the socket is closed.
DAVE_API int32_t DAVE_CALL daveDisconnectPLC(daveConnection* dc) {
  if (!IsLiveConnection(dc)) {
    return daveResInvalidParam;
  }
  dc->connected = 0;
  return daveResOK;
}

DAVE_API int32_t DAVE_CALL daveDisconnectAdapter(daveInterface* di) {
  return IsLiveInterface(di) ? daveResOK : daveResInvalidParam;
}
}
