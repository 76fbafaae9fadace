// daveStrerror: what a result code means and, where the cause is known, what to do.
#include <cstdio>

#include "S7onlineErrors.h"
#include "nodave.h"

namespace {

struct ErrorText {
  int32_t code;
  const char* text;
};

constexpr char kAccessRefused[] =
    "access refused by the CPU: allow PUT/GET communication in the CPU's protection settings, "
    "turn off optimized block access for the data block, then download to the CPU";
constexpr char kBlockMissing[] =
    "the block does not exist in the CPU: check the data block number, or download the block";

const ErrorText kTexts[] = {
    {daveResOK, "ok"},
    {daveResNoPeripheralAtAddress, "no I/O module answers at this address: check the address"},
    {daveResItemNotAvailable200,
     "the CPU refused access to the item (object access not allowed; on an S7-200: item not "
     "available): allow PUT/GET communication and turn off optimized block access for the data "
     "block, then download to the CPU"},
    {daveAddressOutOfRange,
     "address out of range: the block or area is shorter than offset plus size; check offset "
     "and size against the block's length (an optimized data block also answers so: turn off "
     "optimized block access)"},
    {daveResMultipleBitsNotSupported, "the CPU does not support this data type or bit count"},
    {daveWriteDataSizeMismatch, "data type inconsistent: the data size does not match the item"},
    {daveResItemNotAvailable, kBlockMissing},
    {daveResConnectionRefused,
     "connection refused by the PLC: check rack and slot, or the CPU's connections are used up "
     "(close other connections or configure more)"},
    {daveResCannotEvaluatePDU, "the PLC's answer is malformed and could not be understood"},
    {daveResCPUNoData, "the PLC's answer carries less data than asked for"},
    {daveResUnexpectedFunc, "the PLC answered with another function than was asked for"},
    {daveResUnknownDataUnitSize, "the PLC's answer uses an unknown data unit size"},
    {daveResNoBuffer, "no buffer given for the data"},
    {daveResInvalidLength, "invalid length: a read needs at least one byte"},
    {daveResInvalidParam,
     "invalid parameter: unknown area, negative or too large number or address, rack or slot "
     "out of range, or a record that is not (or no longer) valid"},
    {daveResShortPacket, "the PLC's answer is shorter than its minimum size"},
    {daveResTimeout,
     "no answer from the PLC within the time-out: check the connection and the PLC (over "
     "ISO on TCP: its IP address, port 102, rack and slot; on a "
     "serial line: the cable, the adapter's power, baud rate, parity and the PLC's address), "
     "through an Ethernet gateway its IP address and port (IBH-Link 1099, NetLink-PRO 7777) "
     "and the PLC's bus address, or raise the time-out"},
    {daveResConnectionLost, "the connection to the PLC was closed or broke: connect again"},
    {daveResReadTooLarge,
     "read too large for one request: it must be split into pieces of at most the PDU length "
     "minus 18 bytes"},
    {daveResNotConnected, "not connected: connect to the PLC first"},
    {daveResWriteFailed,
     "the bytes could not be sent: the serial port or the host's channel is closed or not "
     "ready"},
    {daveResWrongAddress,
     "an answer came from another station than the PLC: check the PLC's (remote) address and "
     "the local address"},
    {daveResLineErrors,
     "the line delivers corrupted frames (checksum or framing errors, or refusals): check the "
     "cable, baud rate and parity"},
    {daveResAdapterRefused,
     "the adapter refused its configuration: check the local address (it must be free on the "
     "bus and not above the highest station address) and the bus speed"},
    {daveResAnswerNotReady,
     "the PLC accepted the request but had no answer ready within the time-out: raise the "
     "time-out, and check that no other master (an operator panel or a programming device) "
     "works on the PPI line"},
    {daveResBadStationAddress,
     "the PLC's (remote) or the local address is no PPI station address (0 to 126), or both "
     "are the same: check the addresses"},
    {daveResNoPlcAtAddress,
     "no PLC answers at the remote (MPI/PPI) address: check the PLC's address, that the "
     "adapter or gateway is connected to the PLC's MPI/PPI port or bus and the PLC is "
     "powered, and the bus speed"},
    {daveResBusSpeedRefused,
     "the adapter refused the bus speed: check the bus speed, it must be the speed of the PLC's "
     "MPI bus (187.5 kbit/s unless changed in the PLC's hardware configuration)"},
    {daveResAdapterVariant,
     "the device on the serial port does not answer as an MPI adapter of this protocol: "
     "check the protocol (\"MPI protocol\" for the serial PC Adapter, \"MPI protocol (Step 7 "
     "version)\" for adapters that speak the Step 7 link), the port, baud rate and parity"},
    {daveNotAvailableInS5,
     "not available in an S5: an S5 has inputs, outputs, flags, timers, counters and data "
     "blocks 0 to 255; choose one of these areas"},
    {daveResS5BlockMissing,
     "the data block does not exist in the S5 PLC (or is not valid): check the data block "
     "number, or load the block into the PLC"},
    {daveResS5ReadPastBlock,
     "read past the end of the data block: the S5 data block is shorter than offset plus size; "
     "check offset and size against the block's length"},
    {daveResS5Refused,
     "the PLC refused the request (DLE NAK): check that the address range exists in this S5 "
     "CPU; on a noisy line check the cable"},
    {daveResS5BadAnswer,
     "the S5 PLC's answer does not fit the request: check that an S5 CPU's programming port "
     "(AS511) is at the other end of the line"},
    {daveResS5AddressRange,
     "the range lies beyond the S5's 64 KiB address space: check offset and size"},
    {daveResGatewayRefused,
     "the gateway refused with an error telegram: check the gateway's bus settings (local "
     "address, bus speed, highest station address) against the bus"},
    {daveResGatewayNoFreeId,
     "the gateway has no free connection: close other programs' connections through the "
     "gateway, or restart the gateway"},
    {daveResPlcConnectionsUsedUp,
     "the PLC refused the connection through the gateway: its connection resources are used "
     "up (close other PG/OP connections or reserve more in the CPU's properties), or the "
     "remote address is not a CPU"},
    {daveResGatewayConnectionEnded,
     "the gateway reports that the PLC ended the connection (PLC switched off, bus cable "
     "pulled, or the connection taken over): connect again"},
    {daveResGatewayBusSpeed,
     "the gateway refused the bus speed: set the speed the MPI/PPI bus runs at"},
    {daveResGatewayLocalAddress,
     "the gateway refused its local address: choose one that is free on the bus and not "
     "above the highest station address"},
    {daveResProtocolNotSupported,
     "unknown protocol code: use one of 0 to 3 (MPI), 10 (PPI), 20 (S5 AS511), 50 (S7 "
     "online), 122 and 123 (ISO over TCP), 223 and 224 (IBH-Link), 230 (NetLink-PRO)"},
    {0x8000, "the function is already in use"},
    {0x8001, "the function is not allowed in the CPU's current operating state"},
    {0x8101, "hardware fault in the CPU"},
    {0x8103, kAccessRefused},
    {0x8104,
     "the CPU does not support this service, or PUT/GET communication is not allowed: allow "
     "PUT/GET communication in the CPU's protection settings, then download to the CPU"},
    {0x8105, "invalid address"},
    {0x8106, "data type not supported"},
    {0x8107, "data type inconsistent"},
    {0x810A, kBlockMissing},
    {0x8301, "not enough memory in the CPU"},
    {0x8402, "the CPU is already in RUN or already in STOP"},
    {0x8404, "severe error in the CPU"},
    {0x8500, "incorrect PDU size: the request does not fit the CPU's PDU; read fewer bytes"},
    {0x8702, "invalid address"},
    {0xD002, "illegal command variant"},
    {0xD004, "the CPU's state does not allow this command"},
    {0xD0A1, "not allowed at the CPU's current protection level: enter the password"},
    {0xD201, "syntax error in the block name"},
    {0xD202, "syntax error in a function parameter"},
    {0xD203, "syntax error in the block type"},
    {0xD204, "no linked block in the storage medium"},
    {0xD205, "the object already exists"},
    {0xD206, "the object already exists"},
    {0xD207, "the block exists in the EPROM"},
    {0xD209, kBlockMissing},
    {0xD20E, "no block present"},
    {0xD210, "block number too large"},
    {0xD240, "coordination rules violated"},
    {0xD241, kAccessRefused},
    {0xD242, "protection violation while processing F-blocks: a password is needed"},
    {0xD401, "invalid system status list id"},
    {0xD402, "invalid system status list index"},
    {0xD406, "diagnosis: the information is not available"},
    {0xD409, "diagnosis: DP error"},
    {0xDC01, "invalid BCD or time format"},
};

// Texts made for unknown codes live until the thread's next call.
thread_local char unknownText[64];

}  // namespace

extern "C" DAVE_API const char* DAVE_CALL daveStrerror(int32_t code) {
  if (const char* s7online = nodave::S7onlineErrorText(code)) {
    return s7online;
  }
  for (const ErrorText& entry : kTexts) {
    if (entry.code == code) {
      return entry.text;
    }
  }
  if (code > 0 && code <= 0xFF) {
    std::snprintf(unknownText, sizeof unknownText, "unknown item error 0x%02X",
                  static_cast<unsigned>(code));
  } else if (code > 0xFF && code <= 0xFFFF) {
    std::snprintf(unknownText, sizeof unknownText, "unknown PLC error 0x%04X",
                  static_cast<unsigned>(code));
  } else {
    std::snprintf(unknownText, sizeof unknownText, "unknown error %d", static_cast<int>(code));
  }
  return unknownText;
}
