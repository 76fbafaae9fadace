#include "Transport.h"

#include "As511Transport.h"
#include "IbhPpiTransport.h"
#include "IbhTransport.h"
#include "IsoTransport.h"
#include "MpiTransport.h"
#include "NetLinkTransport.h"
#include "PpiTransport.h"
#include "S7Session.h"
#include "S7onlineTransport.h"

namespace nodave {

int32_t Transport::InitAdapter(daveInterface* /*di*/) const { return daveResOK; }

void Transport::Disconnect(daveConnection* /*dc*/) const {}

void Transport::DisconnectAdapter(daveInterface* /*di*/) const {}

int32_t Transport::ConnectPlc(daveConnection* dc) const { return ConnectS7(dc); }

int32_t Transport::ReadBytes(daveConnection* dc, int32_t area, int32_t db, int32_t start,
                             int32_t length, uint8_t* buffer) const {
  ReadItem item;
  const int32_t result = MakeReadItem(area, db, start, length, item);
  return result == daveResOK ? ReadS7(dc, item, buffer) : result;
}

const Transport* TransportFor(int32_t protocol) {
  static const IsoTransport iso;
  static const As511Transport as511;
  static const S7onlineTransport s7online;
  static const PpiTransport ppi;
  static const IbhTransport ibh;
  static const IbhPpiTransport ibhPpi;
  static const NetLinkTransport netLink;
  switch (protocol) {
    case daveProtoISOTCP:
    case daveProtoISOTCP243:
      return &iso;
    case daveProtoMPI:
    case daveProtoMPI2:
    case daveProtoMPI3:
    case daveProtoMPI4:
      return MpiTransportFor(protocol);
    case daveProtoPPI:
      return &ppi;
    case daveProtoAS511:
      return &as511;
    case daveProtoS7Online:
      return &s7online;
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
