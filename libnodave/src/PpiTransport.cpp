#include "PpiTransport.h"

#include <string>
#include <utility>

#include "Debug.h"
#include "PpiLine.h"
#include "SerialLine.h"

namespace nodave {
namespace {

// Of one request, each waiting one time-out for the E5: the request takes three
// time-outs at most (plus the read each had started), and a silent PLC ends the call
// after three. The answer then gets one of its own (ReceivePdu).
constexpr int kTransmissions = 3;

struct Stations {
  uint8_t plc = 0;
  uint8_t local = 0;
};

int32_t StationsOf(const daveConnection* dc, Stations& stations) {
  const int32_t plc = dc->MPIAdr;
  const int32_t local = dc->iface->localMPI;
  if (plc < 0 || plc > kPpiLargestAddress || local < 0 || local > kPpiLargestAddress ||
      plc == local) {
    return daveResBadStationAddress;
  }
  stations.plc = static_cast<uint8_t>(plc);
  stations.local = static_cast<uint8_t>(local);
  return daveResOK;
}

// What the line brought instead of what was awaited: the result of a call that ends
// at its deadline without it.
struct Hearing {
  bool lineErrors = false;  // stray bytes or damaged telegrams
  bool foreign = false;     // telegrams from or for another station
  bool busy = false;        // the PLC had accepted the job but its answer was not ready

  int32_t Failure() const {
    if (lineErrors) {
      return daveResLineErrors;
    }
    if (foreign) {
      return daveResWrongAddress;
    }
    return busy ? daveResAnswerNotReady : daveResTimeout;
  }
};

bool FromPlcToUs(const PpiTelegram& telegram, const Stations& stations) {
  return telegram.start != kPpiShortAck && telegram.source == stations.plc &&
         telegram.destination == stations.local;
}

void NoteForeign(daveInterface* di, const PpiTelegram& telegram, Hearing& hearing) {
  hearing.foreign = true;
  DebugLine(di, daveDebugExchange,
            "PPI: passed over a telegram from station " + std::to_string(telegram.source) +
                " to station " + std::to_string(telegram.destination));
}

// Reads until the PLC's short acknowledge. An answer the PLC still had for an
// earlier poll is passed over.
int32_t AwaitAcknowledge(daveInterface* di, const Stations& stations, Clock::time_point deadline,
                         Hearing& hearing) {
  for (;;) {
    PpiTelegram telegram;
    const int32_t result = ReceivePpiTelegram(di, deadline, telegram, hearing.lineErrors);
    if (result == daveResLineErrors) {
      hearing.lineErrors = true;
      continue;
    }
    if (result != daveResOK || telegram.start == kPpiShortAck) {
      return result;
    }
    if (!FromPlcToUs(telegram, stations)) {
      NoteForeign(di, telegram, hearing);
    }
  }
}

// Reads the answer to a poll: daveResOK with the PDU; daveResAnswerNotReady when the
// PLC has none ready yet; daveResLineErrors when it came damaged; daveResTimeout.
int32_t AwaitAnswer(daveInterface* di, const Stations& stations, Clock::time_point deadline,
                    Hearing& hearing, Bytes& pdu) {
  for (;;) {
    PpiTelegram telegram;
    const int32_t result = ReceivePpiTelegram(di, deadline, telegram, hearing.lineErrors);
    if (result == daveResLineErrors) {
      hearing.lineErrors = true;
      DebugLine(di, daveDebugExchange, "PPI: the answer came damaged, polling again");
    }
    if (result != daveResOK) {
      return result;
    }
    if (telegram.start != kPpiShortAck && !FromPlcToUs(telegram, stations)) {
      NoteForeign(di, telegram, hearing);
      continue;
    }
    const bool response = (telegram.function & kPpiRequestBit) == 0;
    if (telegram.start == kPpiVariable && response && !telegram.data.empty()) {
      pdu = std::move(telegram.data);
      return daveResOK;
    }
    hearing.busy = true;  // E5, or a response without data
    return daveResAnswerNotReady;
  }
}

}  // namespace

int32_t PpiTransport::Connect(daveConnection* dc) const {
  Stations stations;
  const int32_t result = StationsOf(dc, stations);
  if (result == daveResOK) {
    DebugLine(dc->iface, daveDebugConnect,
              "PPI: station " + std::to_string(stations.local) + " to the PLC at station " +
                  std::to_string(stations.plc));
  }
  return result;
}

int32_t PpiTransport::SendPdu(daveConnection* dc, const Bytes& pdu,
                              Clock::time_point /*deadline*/) const {
  Stations stations;
  int32_t result = StationsOf(dc, stations);
  if (result != daveResOK) {
    return result;
  }
  if (pdu.size() > kPpiPduLength) {
    return daveResInvalidLength;
  }
  daveInterface* di = dc->iface;
  const Bytes request = PpiRequestTelegram(stations.plc, stations.local, pdu);
  Hearing hearing;
  Tries tries(di, kTransmissions);
  Clock::time_point deadline;
  while (tries.Next(deadline)) {
    result = LineWrite(di, request);
    if (result != daveResOK) {
      return result;
    }
    result = AwaitAcknowledge(di, stations, deadline, hearing);
    if (result == daveResOK) {
      return result;
    }
    DebugLine(di, daveDebugExchange, "PPI: no acknowledge to the request");
    tries.Failed(result);
  }
  return hearing.Failure();
}

int32_t PpiTransport::ReceivePdu(daveConnection* dc, Clock::time_point /*deadline*/,
                                 Bytes& pdu) const {
  Stations stations;
  int32_t result = StationsOf(dc, stations);
  if (result != daveResOK) {
    return result;
  }
  daveInterface* di = dc->iface;
  // The answer gets one time-out from the first poll. Polls after "not ready" or a
  // damaged answer go on until then; a poll met by silence ends it, as its read
  // waited the time-out.
  const Clock::time_point deadline = Deadline(di);
  Hearing hearing;
  uint8_t function = kPpiPoll;
  do {
    result = LineWrite(di, PpiPollTelegram(stations.plc, stations.local, function));
    if (result != daveResOK) {
      return result;
    }
    result = AwaitAnswer(di, stations, deadline, hearing, pdu);
    if (result == daveResOK) {
      return daveResOK;
    }
    // A new poll after "not ready" toggles the frame count bit; a poll repeated
    // because its answer was lost or damaged keeps it, asking for the same answer.
    if (result == daveResAnswerNotReady) {
      function ^= kPpiFrameCountBit;
    }
  } while (Clock::now() < deadline);
  return hearing.Failure();
}

uint16_t PpiTransport::RequestedPdu() const { return kPpiPduLength; }

int32_t PpiTransport::ReadBytes(daveConnection* dc, int32_t area, int32_t db, int32_t start,
                                int32_t length, uint8_t* buffer) const {
  if (area == daveV) {
    area = daveDB;
    db = 1;
  }
  return Transport::ReadBytes(dc, area, db, start, length, buffer);
}

}  // namespace nodave
