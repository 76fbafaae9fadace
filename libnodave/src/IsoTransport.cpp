#include "IsoTransport.h"

#include <string>

#include "Cotp.h"
#include "Debug.h"

namespace nodave {
namespace {

constexpr uint16_t kLocalTsap = 0x0100;
constexpr uint16_t kMicroWinTsap = 0x4D57;  // "MW", both ends of a CP 243 connection
constexpr uint8_t kProgrammingDevice = 0x01;
constexpr int32_t kLargestRack = 7;
constexpr int32_t kLargestSlot = 31;

Link LinkOf(const daveConnection* dc) { return Link{dc->iface->fd.rfd, dc->iface}; }

uint16_t RemoteTsap(const daveConnection* dc) {
  if (dc->iface->protocol == daveProtoISOTCP243) {
    return kMicroWinTsap;
  }
  return static_cast<uint16_t>(kProgrammingDevice << 8 | dc->rack << 5 | dc->slot);
}

uint16_t LocalTsap(const daveConnection* dc) {
  return dc->iface->protocol == daveProtoISOTCP243 ? kMicroWinTsap : kLocalTsap;
}

// Rack and slot make the remote TSAP, except for a CP 243, which ignores them.
bool AddressFitsTsap(const daveConnection* dc) {
  return dc->iface->protocol == daveProtoISOTCP243 ||
         (dc->rack >= 0 && dc->rack <= kLargestRack && dc->slot >= 0 && dc->slot <= kLargestSlot);
}

}  // namespace

int32_t IsoTransport::Connect(daveConnection* dc) const {
  if (!AddressFitsTsap(dc)) {
    return daveResInvalidParam;
  }
  const Link link = LinkOf(dc);
  int32_t result = SendPacket(link, ConnectRequest(LocalTsap(dc), RemoteTsap(dc)));
  Bytes confirm;
  if (result == daveResOK) {
    result = ReceivePacket(link, Deadline(dc->iface), confirm);
  }
  if (result == daveResConnectionLost) {
    return daveResConnectionRefused;  // a PLC refusing the TSAP may just close the connection
  }
  if (result == daveResOK) {
    result = ParseConnectConfirm(confirm, dc->TPDUsize);
  }
  if (result == daveResOK) {
    DebugLine(dc->iface, daveDebugConnect,
              "transport units of " + std::to_string(dc->TPDUsize) + " bytes");
  }
  return result;
}

int32_t IsoTransport::SendPdu(daveConnection* dc, const Bytes& pdu,
                              Clock::time_point /*deadline*/) const {
  return nodave::SendPdu(LinkOf(dc), pdu, dc->TPDUsize);
}

int32_t IsoTransport::ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const {
  return nodave::ReceivePdu(LinkOf(dc), deadline, pdu);
}

}  // namespace nodave
