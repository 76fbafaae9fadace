#pragma once

#include "Bytes.h"
#include "Socket.h"
#include "nodave.h"

// What a protocol family keeps per interface or per connection: the adapter's state,
// sequence numbers, connection references. Freed with its record.
struct daveTransportState {
  virtual ~daveTransportState() = default;
};

namespace nodave {

// One protocol family's way of carrying S7 PDUs between the library and a PLC. The
// S7 layer above (setup communication, Read Var) is the same for every family; a
// transport is stateless itself and keeps its state in the records.
class Transport {
 public:
  virtual ~Transport() = default;

  // Prepares the adapter between the PC and the bus (a serial MPI adapter's
  // configuration, say); most transports have nothing to do.
  virtual int32_t InitAdapter(daveInterface* di) const;
  // Opens the way to the PLC up to where S7 PDUs can be exchanged.
  virtual int32_t Connect(daveConnection* dc) const = 0;
  // Hands one S7 job PDU to the PLC. `deadline` is the exchange's, one time-out from
  // its start; the transports over a serial line go by their own instead, as their
  // protocols time each wait on its own.
  virtual int32_t SendPdu(daveConnection* dc, const Bytes& pdu,
                          Clock::time_point deadline) const = 0;
  // Receives the PLC's next S7 PDU; `deadline` as for SendPdu.
  virtual int32_t ReceivePdu(daveConnection* dc, Clock::time_point deadline, Bytes& pdu) const = 0;
  // Ends the connection to the PLC; the PLC's answer, if any, is not waited for long.
  virtual void Disconnect(daveConnection* dc) const;
  virtual void DisconnectAdapter(daveInterface* di) const;
  // The PDU length to ask for in setup communication.
  virtual uint16_t RequestedPdu() const = 0;

  // What daveConnectPLC and daveReadBytes do: the S7 layer over this transport. A
  // family that carries no S7 (the S5 programming port) has its own.
  virtual int32_t ConnectPlc(daveConnection* dc) const;
  virtual int32_t ReadBytes(daveConnection* dc, int32_t area, int32_t db, int32_t start,
                            int32_t length, uint8_t* buffer) const;
};

// The transport of a protocol code, or nullptr for a code not supported.
const Transport* TransportFor(int32_t protocol);

// The interface's time-out from now: the bound of one wait for the peer; on the
// network transports, of a library call's exchange.
Clock::time_point Deadline(const daveInterface* di);

// The state a transport keeps in a record, created on first use.
template <typename State>
State& StateOf(daveTransportState*& slot) {
  auto* state = dynamic_cast<State*>(slot);
  if (state == nullptr) {
    delete slot;
    state = new State();
    slot = state;
  }
  return *state;
}

}  // namespace nodave
