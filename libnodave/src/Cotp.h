#pragma once

#include "Bytes.h"
#include "Tpkt.h"

namespace nodave {

// ISO 8073 class 0 transport units (COTP) as S7 uses them.

// The largest S7 PDU accepted from the PLC; more is a malformed answer.
constexpr size_t kMaxPduSize = 8192;

// Connection request with the calling (local) and called (remote) TSAP, asking for
// 1024-byte transport units.
Bytes ConnectRequest(uint16_t localTsap, uint16_t remoteTsap);

// Checks the answer to a connection request. daveResOK with the granted transport unit
// size; daveResConnectionRefused for a disconnect request; a result code otherwise.
int32_t ParseConnectConfirm(const Bytes& tpdu, int32_t& tpduSize);

// Sends an S7 PDU in data units of at most tpduSize bytes, the last one marked.
int32_t SendPdu(const Link& link, const Bytes& pdu, int32_t tpduSize);

// Receives data units until the one marked last and returns their joined payload.
// Data units without payload are skipped; a disconnect request is daveResConnectionLost.
int32_t ReceivePdu(const Link& link, Clock::time_point deadline, Bytes& pdu);

}  // namespace nodave
