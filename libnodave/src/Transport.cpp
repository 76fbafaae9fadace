#include "Transport.h"

#include "IsoTransport.h"

namespace nodave {

int32_t Transport::InitAdapter(daveInterface* /*di*/) const { return daveResOK; }

void Transport::Disconnect(daveConnection* /*dc*/) const {}

void Transport::DisconnectAdapter(daveInterface* /*di*/) const {}

const Transport* TransportFor(int32_t protocol) {
  static const IsoTransport iso;
  switch (protocol) {
    case daveProtoISOTCP:
    case daveProtoISOTCP243:
      return &iso;
    default:
      return nullptr;
  }
}

Clock::time_point Deadline(const daveInterface* di) {
  return Clock::now() + std::chrono::microseconds(di->timeout);
}

}  // namespace nodave
