// The Snap7 test peer: Snap7's S7 server on 127.0.0.1, serving the areas of
// PeerMemory.h. Usage: snap7_server PORT
// Prints "ready PORT" once it listens, then serves until it is killed or its
// standard input closes (so it ends with the script that started it).

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "peers/PeerArguments.h"
#include "peers/PeerMemory.h"
#include "snap7.h"

namespace {

// Snap7's own id for the area with this S7 code.
int ServerAreaCode(int s7Code) {
  switch (s7Code) {
    case peers::kS7Inputs:
      return srvAreaPE;
    case peers::kS7Outputs:
      return srvAreaPA;
    case peers::kS7Flags:
      return srvAreaMK;
    case peers::kS7Counters:
      return srvAreaCT;
    case peers::kS7Timers:
      return srvAreaTM;
    default:
      return srvAreaDB;
  }
}

// Fills and registers every peer area; `memory` owns the bytes while the server runs.
int RegisterAreas(S7Object server, std::vector<std::vector<uint8_t>>& memory) {
  memory.reserve(std::size(peers::kPeerAreas));
  for (const peers::PeerArea& area : peers::kPeerAreas) {
    std::vector<uint8_t>& bytes = memory.emplace_back(area.Size);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = peers::PeerByte(area.Seed, i);
    const int error = Srv_RegisterArea(server, ServerAreaCode(area.S7Code),
                                       static_cast<word>(area.DBNumber), bytes.data(), area.Size);
    if (error != 0) return error;
  }
  return 0;
}

// The local port can only be set while the server is stopped; the default is 102.
int Start(S7Object server, uint16_t port, std::vector<std::vector<uint8_t>>& memory) {
  int error = Srv_SetParam(server, p_u16_LocalPort, &port);
  if (error == 0) error = RegisterAreas(server, memory);
  if (error == 0) error = Srv_StartTo(server, "127.0.0.1");
  return error;
}

std::string ErrorText(int error) {
  char text[256] = {};
  Srv_ErrorText(error, text, sizeof text);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  long port = 0;
  if (argc != 2 || !peers::ParseNumber(argv[1], 1, 65535, port)) {
    std::fprintf(stderr, "usage: snap7_server PORT (1..65535)\n");
    return 2;
  }
  S7Object server = Srv_Create();
  std::vector<std::vector<uint8_t>> memory;
  const int error = Start(server, static_cast<uint16_t>(port), memory);
  if (error != 0) {
    std::fprintf(stderr, "snap7_server: cannot serve on 127.0.0.1:%ld: %s\n", port,
                 ErrorText(error).c_str());
    Srv_Destroy(&server);
    return 1;
  }
  std::printf("ready %ld\n", port);
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  Srv_Stop(server);
  Srv_Destroy(&server);
  return 0;
}
