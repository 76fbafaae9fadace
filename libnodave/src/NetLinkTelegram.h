#pragma once

#include "Bytes.h"

namespace nodave {

// The MPI adapter's telegrams as the NetLink-PRO carries them over TCP: the bus
// telegrams' functions and connect body are the serial adapters' (MpiTelegram.h);
// the header's first byte, the configuration and the error answers are its own.
// Pure functions over bytes.

// The first byte of a bus telegram: control telegrams (connect, confirm, disconnect)
// and telegrams carrying an S7 PDU.
constexpr uint8_t kBusControl = 0x04;
constexpr uint8_t kBusPdu = 0x14;
// The fourth: the service of the connect request, and of every other telegram.
constexpr uint8_t kBusServiceConnect = 0x0D;
constexpr uint8_t kBusServiceOther = 0x0C;
constexpr size_t kBusHeaderSize = 6;

// The PC's own connection reference.
constexpr uint8_t kBusLocalReference = 0x14;

// The 6-byte header: kind, 0x80 | station address, 0x80, service, destination and
// source connection reference.
Bytes BusHeader(uint8_t kind, uint8_t address, uint8_t service, uint8_t destination,
                uint8_t source);

// True for a well-formed header of a telegram from or for another station than
// `address` and `localAddress`; headers of unknown layout are not foreign.
bool IsForeignBusTelegram(const Bytes& telegram, uint8_t address, uint8_t localAddress);

// The adapter's configuration telegram (01 03 02 ...) with the bus parameters of a
// speed code and the adapter's own address on the bus.
Bytes NetLinkConfiguration(int32_t speed, int32_t localAddress);

// The result of the adapter's answer to one of its commands (01 cmd 20 ...): an error
// answer "E=xxxx" maps to the result code of its error number; anything else is
// daveResOK.
int32_t NetLinkAnswerResult(const Bytes& answer);

}  // namespace nodave
