#include "nodave/NoDaveTypes.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::array<int32_t, 12> kProtocolCodes = {0,   1,   2,   3,  10, 122,
                                                    123, 223, 224, 50, 20, 230};
constexpr std::array<int32_t, 14> kAreaCodes = {3,   5,   6,   7,   129, 130, 131,
                                                132, 133, 134, 135, 28,  29,  128};
constexpr std::array<const char*, 5> kBaudTexts = {"9600", "19200", "38400", "57600", "115200"};

template <class Table>
auto Lookup(const Table& table, int index, typename Table::value_type fallback) {
  return index >= 0 && static_cast<std::size_t>(index) < table.size() ? table[index] : fallback;
}

}  // namespace

TNoDavePortKind PortKindOf(TNoDaveProtocol protocol) {
  switch (protocol) {
    case daveProtoISOTCP:
    case daveProtoISOTCP243:
    case daveProtoIBH:
    case daveProtoIBH_PPI:
    case daveProtoNLPro:
      return TNoDavePortKind::Socket;
    case daveProtoS7Online:
      return TNoDavePortKind::S7Online;
    default:
      return TNoDavePortKind::Serial;
  }
}

bool UsesMPIAddresses(TNoDaveProtocol protocol) {
  switch (protocol) {
    case daveProtoMPI:
    case daveProtoMPI2:
    case daveProtoMPI3:
    case daveProtoMPI4:
    case daveProtoPPI:
    case daveProtoIBH:
    case daveProtoIBH_PPI:
    case daveProtoNLPro:
      return true;
    default:
      return false;
  }
}

int32_t DefaultIPPort(TNoDaveProtocol protocol) {
  switch (protocol) {
    case daveProtoISOTCP:
    case daveProtoISOTCP243:
      return 102;
    case daveProtoIBH:
    case daveProtoIBH_PPI:
      return 1099;
    case daveProtoNLPro:
      return 7777;
    default:
      return 0;
  }
}

int32_t ProtocolCode(TNoDaveProtocol protocol) {
  return Lookup(kProtocolCodes, protocol, kProtocolCodes[daveProtoMPI]);
}

int32_t AreaCode(TNoDaveArea area) { return Lookup(kAreaCodes, area, kAreaCodes[daveDB]); }

const char* BaudText(TNoDaveComSpeed speed) {
  return Lookup(kBaudTexts, speed, kBaudTexts[daveComSpeed38_4k]);
}

bool AreaHasBlockNumber(TNoDaveArea area) {
  return area == daveDB || area == daveDI || area == daveLocal;
}
