#pragma once

#include <vector>

#include "LinePersonality.h"
#include "S7Pdu.h"

namespace plcsim {

// An MPI PC adapter with one PLC behind it on the bus, at the telegram level (the
// serial framing is the personalities' business): adapter telegrams 01 cmd 02 ...
// configure it, bus telegrams reach the PLC at the configured address. Telegrams for
// any other address go unanswered, as on a bus where no such station is.
class MpiAdapter {
 public:
  // The short header (00 0C d s) routes by connection references, the long one
  // (04 8x 80 0C d s) names the PLC in every telegram.
  MpiAdapter(const PersonalitySettings& settings, bool shortHeader);

  // One telegram from the PC; what the adapter and the PLC send back, in order.
  std::vector<Bytes> OnTelegram(const Bytes& telegram);

 private:
  std::vector<Bytes> OnAdapterTelegram(const Bytes& telegram);
  std::vector<Bytes> OnBusTelegram(const Bytes& telegram);
  bool ForOurPlc(const Bytes& telegram) const;
  std::vector<Bytes> OnFunction(uint8_t function, uint8_t sourceRef, const Bytes& telegram,
                                size_t body);
  // A telegram from the PLC to the PC: header, function, body.
  Bytes FromPlc(uint8_t function, const Bytes& body) const;
  Bytes ConnectResponse() const;

  const PlcMemory& memory_;
  uint8_t plc_;
  bool shortHeader_;
  bool configured_ = false;
  bool connected_ = false;
  uint8_t pcRef_ = 0;
  uint8_t plcNumber_ = 0;  // of the PLC's next data telegram
  PduLimits limits_{kMinPduSize, kMinPduSize};
};

}  // namespace plcsim
