#pragma once

#include <cstdint>

// The PLC link's settings as the protocol library knows them: protocols, memory
// areas, bus speeds, serial speeds and debug options, with the codes the library
// expects for each.

// The transport protocols, in the link's order.
enum TNoDaveProtocol {
  daveProtoMPI,
  daveProtoMPI2,
  daveProtoMPI3,
  daveProtoMPI4,
  daveProtoPPI,
  daveProtoISOTCP,
  daveProtoISOTCP243,
  daveProtoIBH,
  daveProtoIBH_PPI,
  daveProtoS7Online,
  daveProtoAS511,
  daveProtoNLPro
};

// The PLC memory areas.
enum TNoDaveArea {
  daveSysInfo,
  daveSysFlags,
  daveAnaIn,
  daveAnaOut,
  daveInputs,
  daveOutputs,
  daveFlags,
  daveDB,
  daveDI,
  daveLocal,
  daveV,
  daveCounter,
  daveTimer,
  daveP
};

// Bus speeds of the MPI and PPI adapters; the ordinal is the library's code.
enum TNoDaveSpeed {
  daveSpeed9k,
  daveSpeed19k,
  daveSpeed187k,
  daveSpeed500k,
  daveSpeed1500k,
  daveSpeed45k,
  daveSpeed93k
};

// Baud rates of the serial port.
enum TNoDaveComSpeed {
  daveComSpeed9_6k,
  daveComSpeed19_2k,
  daveComSpeed38_4k,
  daveComSpeed57_6k,
  daveComSpeed115_2k
};

// Trace options of the library; option i is flag bit 2^i.
enum TNoDaveDebugOption {
  daveDebugRawRead,
  daveDebugSpecialChars,
  daveDebugRawWrite,
  daveDebugListReachables,
  daveDebugInitAdapter,
  daveDebugConnect,
  daveDebugPacket,
  daveDebugByte,
  daveDebugCompare,
  daveDebugExchange,
  daveDebugPDU,
  daveDebugUpload,
  daveDebugMPI,
  daveDebugPrintErrors,
  daveDebugPassive
};

// A set of debug options as the library's flag word.
using TNoDaveDebugOptions = int32_t;

constexpr TNoDaveDebugOptions DebugFlag(TNoDaveDebugOption option) {
  return TNoDaveDebugOptions{1} << option;
}

// How the link reaches the PLC for a protocol: a serial port, a TCP socket, or
// the vendor's S7 online access point.
enum class TNoDavePortKind { Serial, Socket, S7Online };

TNoDavePortKind PortKindOf(TNoDaveProtocol protocol);
// Protocols that address the PLC by MPI address (local and remote).
bool UsesMPIAddresses(TNoDaveProtocol protocol);
// The TCP port a protocol uses by default; 0 for those without one.
int32_t DefaultIPPort(TNoDaveProtocol protocol);

int32_t ProtocolCode(TNoDaveProtocol protocol);
int32_t AreaCode(TNoDaveArea area);
// The baud rate as decimal text; "38400" for a value outside the set.
const char* BaudText(TNoDaveComSpeed speed);
// Areas that are addressed by a block number (a data block, instance or local data).
bool AreaHasBlockNumber(TNoDaveArea area);
