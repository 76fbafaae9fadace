#pragma once

#include "Bytes.h"
#include "nodave.h"

namespace nodave {

// The telegrams a PC exchanges with an MPI adapter, without the line's framing: adapter
// telegrams (01 cmd 02 / 01 cmd 20 ...) that configure the adapter, and bus telegrams
// that it carries to and from a PLC on the MPI bus. The same telegrams travel in 3964R
// blocks, in the Step 7 link's numbered frames, and through Ethernet gateways.

// The largest telegram any of the links carries.
constexpr size_t kMaxMpiTelegram = 255;

// How a variant of the adapter protocol writes its telegrams.
struct MpiFormat {
  bool shortHeader;        // 00 0C d s instead of 04 8x 80 0C d s; the PLC address
                           // then travels in the connection request only
  uint8_t rotationTime;    // configuration: target rotation time (TTR), low byte
  uint8_t highestStation;  // configuration: highest station address on the bus
  uint8_t retryLimit;      // configuration: the adapter's retries on the bus
  uint8_t localRef;        // our connection reference
  uint8_t requestStation;  // byte 2 of the long header in connection and disconnect
                           // requests (80, or 00 as the Step 7 link writes it)
};

// Bus telegram functions.
constexpr uint8_t kMpiConnectRequest = 0xE0;
constexpr uint8_t kMpiConnectResponse = 0xD0;
constexpr uint8_t kMpiConnectConfirm = 0x05;
constexpr uint8_t kMpiData = 0xF1;
constexpr uint8_t kMpiDataFragment = 0xF0;  // more of the PDU follows
constexpr uint8_t kMpiDataAck = 0xB0;
constexpr uint8_t kMpiDisconnectRequest = 0x80;
constexpr uint8_t kMpiDisconnectConfirm = 0xC0;

// Adapter commands.
constexpr uint8_t kAdapterIdentify = 0x0D;
constexpr uint8_t kAdapterConfigure = 0x03;
constexpr uint8_t kAdapterDisconnect = 0x04;
constexpr uint8_t kAdapterBusParameters = 0x08;

// 01 cmd 02: an adapter command without data.
Bytes AdapterRequest(uint8_t command);
// The 23-byte configuration: bus speed code and our (local) MPI address.
Bytes ConfigureRequest(const MpiFormat& format, int32_t speed, int32_t localMpi);
// True when the telegram is the adapter's answer to the command (01 cmd 20 ...).
bool IsAdapterAnswer(const Bytes& telegram, uint8_t command);
// Adapter error numbers ("E=xxxx") whose cause is known.
constexpr unsigned kAdapterErrorBusSpeed = 0x0313;
constexpr unsigned kAdapterErrorLocalAddress = 0x0315;
constexpr unsigned kAdapterErrorNoStation = 0x031A;
constexpr unsigned kAdapterErrorVersion = 0x0330;
// True when the telegram is an adapter's error answer (01 cmd 20 'E' '=' and four hex
// digits); `number` is then its error number.
bool AdapterErrorNumber(const Bytes& answer, unsigned& number);
// The result an identify or configure answer means: daveResOK for a version string,
// the result code of an "E=03xx" error, daveResAdapterVariant for anything else.
int32_t AdapterAnswerResult(const Bytes& answer);

// The two ends of a connection on the bus.
struct MpiPeer {
  uint8_t plc = 0;     // the PLC's MPI address
  uint8_t plcRef = 0;  // the PLC's connection reference, from its connect response
};

// What follows the connection request's function in the long form: a PG connection,
// no routing, rack/slot byte 0. Gateways embed it too.
Bytes ConnectBody();
Bytes ConnectRequest(const MpiFormat& format, uint8_t plc);
// Header, function and body of a telegram to the PLC (connection confirm, data,
// acknowledgement, disconnect request).
Bytes BusTelegram(const MpiFormat& format, const MpiPeer& peer, uint8_t function,
                  const Bytes& body = {});
// An S7 PDU with its message number; daveResInvalidLength when it does not fit.
int32_t DataTelegram(const MpiFormat& format, const MpiPeer& peer, uint8_t number, const Bytes& pdu,
                     Bytes& telegram);
Bytes DataAck(const MpiFormat& format, const MpiPeer& peer, uint8_t number);

// A bus telegram from the PLC, split.
struct MpiBusView {
  uint8_t function = 0;
  bool fromPlc = false;  // the sender's address is the PLC's (always, for the short header)
  uint8_t destRef = 0;
  uint8_t sourceRef = 0;
  size_t body = 0;  // offset of the bytes after the function
};

// False for adapter telegrams and for telegrams too short for their header.
bool ParseBusTelegram(const MpiFormat& format, const Bytes& telegram, uint8_t plc,
                      MpiBusView& view);
// Checks a connect response (D0) and takes the PLC's reference from it:
// daveResOK, daveResWrongAddress when it names another station, or
// daveResCannotEvaluatePDU when it is malformed.
int32_t ParseConnectResponse(const MpiFormat& format, const Bytes& telegram, uint8_t plc,
                             uint8_t& plcRef);

// Message numbers run 0, 1, ..., 255, then 1, 2, ...: 0 only once.
uint8_t NextMessageNumber(uint8_t number);

}  // namespace nodave
