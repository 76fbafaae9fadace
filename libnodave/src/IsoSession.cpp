#include "IsoSession.h"

#include <string>

#include "Cotp.h"
#include "Debug.h"

namespace nodave {
namespace {

constexpr uint16_t kLocalTsap = 0x0100;
constexpr uint16_t kMicroWinTsap = 0x4D57;  // "MW", both ends of a CP 243 connection
constexpr uint8_t kProgrammingDevice = 0x01;

Link LinkOf(const daveConnection* dc) { return Link{dc->iface->fd.rfd, dc->iface}; }

// The interface's time-out from now.
Clock::time_point Deadline(const daveConnection* dc) {
  return Clock::now() + std::chrono::microseconds(dc->iface->timeout);
}

uint16_t RemoteTsap(const daveConnection* dc) {
  if (dc->iface->protocol == daveProtoISOTCP243) {
    return kMicroWinTsap;
  }
  return static_cast<uint16_t>(kProgrammingDevice << 8 | dc->rack << 5 | dc->slot);
}

uint16_t LocalTsap(const daveConnection* dc) {
  return dc->iface->protocol == daveProtoISOTCP243 ? kMicroWinTsap : kLocalTsap;
}

int32_t OpenTransport(daveConnection* dc) {
  const Link link = LinkOf(dc);
  int32_t result = SendPacket(link, ConnectRequest(LocalTsap(dc), RemoteTsap(dc)));
  Bytes confirm;
  if (result == daveResOK) {
    result = ReceivePacket(link, Deadline(dc), confirm);
  }
  if (result == daveResConnectionLost) {
    return daveResConnectionRefused;  // a PLC refusing the TSAP may just close the connection
  }
  return result == daveResOK ? ParseConnectConfirm(confirm, dc->TPDUsize) : result;
}

// Sends a job with the next reference and waits for its answer; answers to earlier
// jobs (late after a time-out) are skipped.
int32_t Exchange(daveConnection* dc, const Bytes& parameters, Answer& answer) {
  const Link link = LinkOf(dc);
  dc->PDUnumber = (dc->PDUnumber + 1) & 0xFFFF;
  const auto reference = static_cast<uint16_t>(dc->PDUnumber);
  const Bytes job = BuildJob(reference, parameters);
  DebugBytes(dc->iface, daveDebugPDU, "PDU sent", job.data(), job.size());
  int32_t result = SendPdu(link, job, dc->TPDUsize);
  const Clock::time_point deadline = Deadline(dc);
  while (result == daveResOK) {
    Bytes pdu;
    result = ReceivePdu(link, deadline, pdu);
    if (result == daveResOK) {
      result = ParseAnswer(pdu, answer);
    }
    if (result == daveResOK && answer.reference == reference) {
      return daveResOK;
    }
    if (result == daveResOK) {
      DebugLine(dc->iface, daveDebugPrintErrors,
                "skipped an answer to job " + std::to_string(answer.reference));
    }
  }
  return result;
}

int32_t NegotiatePdu(daveConnection* dc) {
  Answer answer;
  const int32_t result = Exchange(dc, SetupCommunication(daveRequestedPDU), answer);
  return result == daveResOK ? GrantedPduLength(answer, daveRequestedPDU, dc->maxPDUlength)
                             : result;
}

void Trace(daveConnection* dc, const std::string& text) {
  DebugLine(dc->iface, daveDebugConnect, text);
}

}  // namespace

int32_t ConnectIso(daveConnection* dc) {
  dc->connected = 0;
  Trace(dc, "connecting to rack " + std::to_string(dc->rack) + " slot " + std::to_string(dc->slot));
  int32_t result = OpenTransport(dc);
  if (result == daveResOK) {
    Trace(dc, "transport units of " + std::to_string(dc->TPDUsize) + " bytes");
    result = NegotiatePdu(dc);
  }
  if (result != daveResOK) {
    DebugLine(dc->iface, daveDebugPrintErrors,
              "connect failed: " + std::string(daveStrerror(result)));
    return result;
  }
  Trace(dc, "connected, PDU length " + std::to_string(dc->maxPDUlength));
  dc->connected = 1;
  return daveResOK;
}

int32_t ReadIso(daveConnection* dc, const ReadItem& item, uint8_t* buffer) {
  if (AnswerBytes(item) > dc->maxPDUlength - kReadOverhead) {
    return daveResReadTooLarge;
  }
  Answer answer;
  int32_t result = Exchange(dc, ReadVar(item), answer);
  if (result == daveResOK) {
    result = CopyReadData(answer, item, buffer);
  }
  return result;
}

}  // namespace nodave
