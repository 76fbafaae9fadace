#pragma once

#include <cstdint>
#include <vector>

#include "GatewayPersonalities.h"
#include "GatewayServer.h"
#include "PlcMemory.h"
#include "nodave.h"

// Our library's connections through the simulator's gateways.

using Bytes = std::vector<uint8_t>;

struct Gateway {
  const char* name;
  int32_t protocol;
  plcsim::PersonalityFactory make;
};

extern const Gateway kIbh;
extern const Gateway kIbhPpi;
extern const Gateway kNetLink;

// The simulator's default memory, loaded once and not animated.
const plcsim::PlcMemory& Memory();
Bytes FromMemory(plcsim::Area area, uint16_t block, size_t offset, size_t length);

// One connection of our library through the gateway, released as the plug-in does. The
// time-out is generous for a loaded machine; a case that expects no answer passes a
// short one.
class Client {
 public:
  static constexpr int32_t kAnswerTimeoutUs = 2000000;
  static constexpr int32_t kNoAnswerTimeoutUs = 300000;

  explicit Client(int port, const Gateway& gateway, int32_t plc = 2, int32_t local = 0,
                  int32_t timeoutUs = kAnswerTimeoutUs);
  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  // daveInitAdapter, then daveConnectPLC.
  int32_t Connect();
  // Reads into a buffer with guard bytes behind it and checks that they are intact.
  int32_t Read(int32_t area, int32_t db, int32_t start, int32_t length, Bytes& data);
  daveConnection* Connection() const { return dc_; }

 private:
  int32_t socket_ = 0;
  daveInterface* di_ = nullptr;
  daveConnection* dc_ = nullptr;
};

// Reads of several areas and sizes up to 220 bytes, each compared with the memory.
void ExpectReadsMatchMemory(Client& client);
