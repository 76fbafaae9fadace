// daveStrerror: what a result code means and, where the cause is known, what to do.
#include <cstdio>

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
     "no answer from the PLC within the time-out: check the connection and the PLC (on a "
     "serial line: the cable, the adapter's power, baud rate, parity and the PLC's address), "
     "or raise the time-out"},
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
    {daveResProtocolNotSupported,
     "protocol not supported yet: use ISO over TCP (122) or ISO over TCP for CP 243 (123)"},
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
