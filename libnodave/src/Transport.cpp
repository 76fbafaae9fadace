#include "Transport.h"

#include "IbhPpiTransport.h"
#include "IbhTransport.h"
#include "IsoTransport.h"
#include "NetLinkTransport.h"

namespace nodave {

int32_t Transport::InitAdapter(daveInterface* /*di*/) const { return daveResOK; }

void Transport::Disconnect(daveConnection* /*dc*/) const {}

void Transport::DisconnectAdapter(daveInterface* /*di*/) const {}

const Transport* TransportFor(int32_t protocol) {
  static const IsoTransport iso;
  static const IbhTransport ibh;
  static const IbhPpiTransport ibhPpi;
  static const NetLinkTransport netLink;
  switch (protocol) {
    case daveProtoISOTCP:
    case daveProtoISOTCP243:
      return &iso;
    case daveProtoIBH:
      return &ibh;
    case daveProtoIBH_PPI:
      return &ibhPpi;
    case daveProtoNLPro:
      return &netLink;
    default:
      return nullptr;
  }
}

Clock::time_point Deadline(const daveInterface* di) {
  return Clock::now() + std::chrono::microseconds(di->timeout);
}

}  // namespace nodave
