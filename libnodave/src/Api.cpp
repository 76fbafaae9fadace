// The record and connection entry points; the S7 layer is in S7Session, each protocol
// family's transport behind Transport.
#include <cstring>

#include "Debug.h"
#include "Records.h"
#include "S7Read.h"
#include "S7Session.h"
#include "SerialLine.h"
#include "Transport.h"

namespace nodave {
namespace {

constexpr int32_t kDefaultTimeout = 1000000;  // microseconds, until the caller sets its own

// The transport of a live interface, or nullptr with the reason in `result`.
const Transport* TransportOf(const daveInterface* di, int32_t& result) {
  if (!IsLiveInterface(di)) {
    result = daveResInvalidParam;
    return nullptr;
  }
  const Transport* transport = TransportFor(di->protocol);
  result = transport != nullptr ? daveResOK : daveResProtocolNotSupported;
  return transport;
}

// Why a connection cannot be used for a connect or read, or daveResOK.
int32_t Usable(const daveConnection* dc) {
  if (!IsLiveConnection(dc)) {
    return daveResInvalidParam;
  }
  int32_t result;
  TransportOf(dc->iface, result);
  return result;
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
  di->readFn = PortRead;
  di->writeFn = PortWrite;
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
  int32_t result;
  const Transport* transport = TransportOf(di, result);
  return transport != nullptr ? transport->InitAdapter(di) : result;
}

DAVE_API int32_t DAVE_CALL daveConnectPLC(daveConnection* dc) {
  const int32_t usable = Usable(dc);
  return usable == daveResOK ? ConnectS7(dc) : usable;
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
    result = ReadS7(dc, item, static_cast<uint8_t*>(buffer));
  }
  if (result == daveResOK) {
    dc->AnswLen = len;
  } else {
    DebugLine(dc->iface, daveDebugPrintErrors, "read failed: " + std::string(daveStrerror(result)));
  }
  return result;
}

DAVE_API int32_t DAVE_CALL daveDisconnectPLC(daveConnection* dc) {
  const int32_t usable = Usable(dc);
  if (usable == daveResOK && dc->connected) {
    TransportFor(dc->iface->protocol)->Disconnect(dc);
  }
  if (IsLiveConnection(dc)) {
    dc->connected = 0;
  }
  return usable == daveResInvalidParam ? usable : daveResOK;
}

DAVE_API int32_t DAVE_CALL daveDisconnectAdapter(daveInterface* di) {
  int32_t result;
  const Transport* transport = TransportOf(di, result);
  if (transport != nullptr) {
    transport->DisconnectAdapter(di);
  }
  return result == daveResInvalidParam ? result : daveResOK;
}
}
