#include "S7Session.h"

#include <string>

#include "Debug.h"
#include "Transport.h"

namespace nodave {
namespace {

// Answers received for one job, at most: ours after four late ones to earlier jobs.
// Bounds an exchange on a serial line too, whose waits each have a time-out of
// their own.
constexpr int kMostAnswers = 5;

const Transport& TransportOf(const daveConnection* dc) {
  return *TransportFor(dc->iface->protocol);
}

// Sends a job with the next reference and waits for its answer; answers to earlier
// jobs are skipped.
int32_t Exchange(daveConnection* dc, const Bytes& parameters, Answer& answer) {
  const Transport& transport = TransportOf(dc);
  const Clock::time_point deadline = Deadline(dc->iface);
  dc->PDUnumber = (dc->PDUnumber + 1) & 0xFFFF;
  const auto reference = static_cast<uint16_t>(dc->PDUnumber);
  const Bytes job = BuildJob(reference, parameters);
  DebugBytes(dc->iface, daveDebugPDU, "PDU sent", job.data(), job.size());
  int32_t result = transport.SendPdu(dc, job, deadline);
  for (int received = 0; result == daveResOK && received < kMostAnswers; ++received) {
    Bytes pdu;
    result = transport.ReceivePdu(dc, deadline, pdu);
    if (result == daveResOK) {
      DebugBytes(dc->iface, daveDebugPDU, "PDU received", pdu.data(), pdu.size());
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
  return result == daveResOK ? daveResTimeout : result;
}

int32_t NegotiatePdu(daveConnection* dc) {
  const uint16_t asked = TransportOf(dc).RequestedPdu();
  Answer answer;
  const int32_t result = Exchange(dc, SetupCommunication(asked), answer);
  return result == daveResOK ? GrantedPduLength(answer, asked, dc->maxPDUlength) : result;
}

void Trace(daveConnection* dc, const std::string& text) {
  DebugLine(dc->iface, daveDebugConnect, text);
}

}  // namespace

int32_t ConnectS7(daveConnection* dc) {
  dc->connected = 0;
  Trace(dc, "connecting to the PLC at address " + std::to_string(dc->MPIAdr) + ", rack " +
                std::to_string(dc->rack) + " slot " + std::to_string(dc->slot));
  int32_t result = TransportOf(dc).Connect(dc);
  if (result == daveResOK) {
    result = NegotiatePdu(dc);
    // The transport's connection stands: end it, or the PLC's connection resource
    // (and a gateway's connection ID) stays taken until the gateway restarts.
    if (result != daveResOK) {
      TransportOf(dc).Disconnect(dc);
    }
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

int32_t ReadS7(daveConnection* dc, const ReadItem& item, uint8_t* buffer) {
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
