#pragma once

#include "MpiLink.h"
#include "MpiTelegram.h"
#include "Transport.h"

namespace nodave {

// A PLC on the MPI bus behind a PC adapter on the serial line (protocol codes 0 to 3):
// the adapter is configured with our MPI address and the bus speed, then carries the
// connection's telegrams to and from the PLC. The variants differ in their telegram
// format and in the link that carries the telegrams over the serial line. The link
// times each wait on its own; what bounds a call is the link's tries and the count of
// telegrams read while waiting for one (kMostTelegrams).
class MpiTransport : public Transport {
 public:
  struct Variant {
    MpiFormat format;
    bool identify;       // asks for the adapter's version before configuring it
    bool busParameters;  // asks for the bus parameters after configuring
    const MpiLink& link;
  };

  explicit MpiTransport(const Variant& variant) : variant_(variant) {}

  int32_t InitAdapter(daveInterface* di) const override;
  int32_t Connect(daveConnection* dc) const override;
  int32_t SendPdu(daveConnection* dc, const Bytes& pdu, Clock::time_point deadline) const override;
  int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const override;
  void Disconnect(daveConnection* dc) const override;
  void DisconnectAdapter(daveInterface* di) const override;
  // Answers are never split into fragments up to this size.
  uint16_t RequestedPdu() const override { return kMpiRequestedPdu; }

  static constexpr uint16_t kMpiRequestedPdu = 240;

 private:
  int32_t AdapterExchange(daveInterface* di, uint8_t command, const Bytes& request,
                          Bytes& answer) const;
  // Waits for the PLC's telegram with the function (data: with a PDU); acknowledges
  // data on the way.
  int32_t AwaitFunction(daveConnection* dc, uint8_t function, Bytes& telegram, size_t& body) const;

  Variant variant_;
};

// The transport of an MPI protocol code, or nullptr.
const Transport* MpiTransportFor(int32_t protocol);

}  // namespace nodave
