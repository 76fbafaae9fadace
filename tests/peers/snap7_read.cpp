// Reads from an S7 server with Snap7's client: an independent reference for
// comparing our simulator and our own client.
// Usage: snap7_read HOST:PORT AREA DB START SIZE
//   HOST is a dotted IPv4 address; AREA is PE, PA, MK, DB, CT, TM or an S7 area
//   code such as 0x85. DB is ignored outside data blocks. For CT and TM, START is
//   the first counter/timer number and SIZE their count; otherwise both are bytes.
// Prints "result 0x<code> <Snap7's text>" and, after a successful read, the
// bytes in hex on one line. Exit status: 0 read, 1 failed, 2 bad arguments.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "peers/PeerArguments.h"
#include "peers/PeerMemory.h"
#include "snap7.h"

namespace {

struct ReadRequest {
  std::string Host;
  uint16_t Port = 0;
  int Area = 0;
  int DBNumber = 0;
  int Start = 0;
  int Amount = 0;
};

struct AreaName {
  const char* Name;
  int S7Code;
};

constexpr AreaName kAreaNames[] = {
    {"PE", peers::kS7Inputs},    {"PA", peers::kS7Outputs},  {"MK", peers::kS7Flags},
    {"DB", peers::kS7DataBlock}, {"CT", peers::kS7Counters}, {"TM", peers::kS7Timers},
};

bool ParseArea(const char* text, int& area) {
  for (const AreaName& name : kAreaNames) {
    if (std::strcmp(text, name.Name) == 0) {
      area = name.S7Code;
      return true;
    }
  }
  long code = 0;
  const bool parsed = peers::ParseNumber(text, 0, 0xFF, code);
  area = static_cast<int>(code);
  return parsed;
}

bool ParseAddress(const std::string& text, ReadRequest& request) {
  const size_t colon = text.rfind(':');
  long port = 0;
  if (colon == std::string::npos || colon == 0 ||
      !peers::ParseNumber(text.c_str() + colon + 1, 1, 65535, port)) {
    return false;
  }
  request.Host = text.substr(0, colon);
  request.Port = static_cast<uint16_t>(port);
  return true;
}

bool ParseRequest(char** argv, ReadRequest& request) {
  long db = 0;
  long start = 0;
  long amount = 0;
  const bool parsed = ParseAddress(argv[1], request) && ParseArea(argv[2], request.Area) &&
                      peers::ParseNumber(argv[3], 0, 65535, db) &&
                      peers::ParseNumber(argv[4], 0, 0xFFFFFF, start) &&
                      peers::ParseNumber(argv[5], 1, 65535, amount);
  request.DBNumber = static_cast<int>(db);
  request.Start = static_cast<int>(start);
  request.Amount = static_cast<int>(amount);
  return parsed;
}

// Counters and timers are read as such (2 bytes each), everything else as bytes.
int WordLength(int area) {
  if (area == peers::kS7Counters) return S7WLCounter;
  if (area == peers::kS7Timers) return S7WLTimer;
  return S7WLByte;
}

int Read(const ReadRequest& request, std::vector<uint8_t>& data) {
  const int wordLength = WordLength(request.Area);
  data.assign(static_cast<size_t>(request.Amount) * (wordLength == S7WLByte ? 1 : 2), 0);
  S7Object client = Cli_Create();
  uint16_t port = request.Port;
  int error = Cli_SetParam(client, p_u16_RemotePort, &port);
  if (error == 0) error = Cli_ConnectTo(client, request.Host.c_str(), 0, 2);
  if (error == 0) {
    error = Cli_ReadArea(client, request.Area, request.DBNumber, request.Start, request.Amount,
                         wordLength, data.data());
  }
  Cli_Disconnect(client);
  Cli_Destroy(&client);
  return error;
}

void Print(int error, const std::vector<uint8_t>& data) {
  char text[256] = {};
  Cli_ErrorText(error, text, sizeof text);
  std::printf("result 0x%08X %s\n", static_cast<unsigned>(error), text);
  if (error != 0) return;
  for (size_t i = 0; i < data.size(); ++i) std::printf(i == 0 ? "%02X" : " %02X", data[i]);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  ReadRequest request;
  if (argc != 6 || !ParseRequest(argv, request)) {
    std::fprintf(stderr,
                 "usage: snap7_read HOST:PORT AREA DB START SIZE\n"
                 "  AREA: PE, PA, MK, DB, CT, TM or an S7 area code (0x00..0xFF)\n");
    return 2;
  }
  std::vector<uint8_t> data;
  const int error = Read(request, data);
  Print(error, data);
  return error == 0 ? 0 : 1;
}
