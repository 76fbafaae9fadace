#pragma once

#include "Bytes.h"
#include "Socket.h"
#include "nodave.h"

namespace nodave {

// Frames of the IBH-Link gateway: an 8-byte header (two channel bytes, the body
// length, a packet number, two little-endian flag words), then at most 255 body
// bytes. Frames to the PLC carry a 7-byte MPI header, frames from it a 9-byte one.

constexpr size_t kIbhHeaderSize = 8;
constexpr size_t kIbhLargestBody = 255;
constexpr size_t kIbhMpiHeaderOut = 7;  // our ID, gateway's ID, PLC, local, length, function
constexpr size_t kIbhMpiHeaderIn = 9;   // two IDs, PLC, 00 00 22, length, function, number

// Frame types (flag word 2 of a request; flag word 1 of the gateway's command answers).
constexpr uint8_t kIbhMpiFrame = 0x82;
constexpr uint8_t kIbhIdCheck = 0x97;

// What a frame from the gateway is.
enum class IbhKind {
  kTransportAck,  // the gateway took one of our frames
  kPlcFrame,      // an MPI frame from the PLC's side
  kIdAnswer,      // answer to a connection-ID check
  kOther,         // anything else: skipped
};

IbhKind IbhKindOf(const Bytes& frame);

// A request frame: channel 07 FF, the body's length, packet number, type.
Bytes IbhFrame(uint8_t packet, uint8_t type, const Bytes& body);

// Who a connection's MPI frames go to.
struct IbhRoute {
  uint8_t ownId = 0;
  uint8_t gatewayId = 0;
  uint8_t plc = 0;
};

// An MPI frame to the PLC: the route, the function and what follows it.
Bytes IbhMpiFrame(uint8_t packet, const IbhRoute& route, uint8_t function, const Bytes& data);

// An MPI frame from the PLC's side, split up.
struct IbhPlcFrame {
  uint8_t gatewayId = 0;  // the ID the gateway wants in our frames to it
  uint8_t plc = 0;        // the station it comes from
  uint8_t function = 0;
  uint8_t number = 0;  // the PLC's sequence number (data frames)
  Bytes pdu;           // the S7 PDU of a data frame
};

// Splits a kPlcFrame; daveResShortPacket when it ends inside its MPI header,
// daveResCannotEvaluatePDU when its MPI length disagrees with the frame.
int32_t ParseIbhPlcFrame(const Bytes& frame, IbhPlcFrame& parsed);

// The gateway's answer to a connection-ID check: true when the ID is free.
bool IbhIdFree(const Bytes& frame);

// The acknowledgement of a transport ack that speeds the gateway up: its first 13 bytes
// with body length 5 and the closing bytes 01 09; empty for a frame shorter than that.
Bytes IbhNetAck(const Bytes& transportAck);

// Receives one whole frame (header, then the body its length byte names).
int32_t ReceiveIbhFrame(daveInterface* di, Clock::time_point deadline, Bytes& frame);

}  // namespace nodave
