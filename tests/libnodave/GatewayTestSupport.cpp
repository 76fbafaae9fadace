#include "GatewayTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Description.h"
#include "MemoryLoader.h"

namespace {

constexpr uint8_t kGuard = 0xEE;
constexpr size_t kGuards = 8;

}  // namespace

const Gateway kIbh{"ibh", daveProtoIBH, plcsim::MakeIbhGateway};
const Gateway kIbhPpi{"ibhppi", daveProtoIBH_PPI, plcsim::MakeIbhPpiGateway};
const Gateway kNetLink{"nlpro", daveProtoNLPro, plcsim::MakeNetLinkAdapter};

const plcsim::PlcMemory& Memory() {
  static const auto* memory = [] {
    auto* loaded = new plcsim::PlcMemory();
    plcsim::LoadMemory(plcsim::ParseDescription(plcsim::kDefaultDescription), *loaded);
    return loaded;
  }();
  return *memory;
}

Bytes FromMemory(plcsim::Area area, uint16_t block, size_t offset, size_t length) {
  Bytes bytes(length);
  Memory().Read(plcsim::BlockId{area, block}, offset, length, bytes.data());
  return bytes;
}

Client::Client(int port, const Gateway& gateway, int32_t plc, int32_t local, int32_t timeoutUs) {
  socket_ = openSocket(port, "127.0.0.1");
  di_ = daveNewInterface(daveOSserialType{socket_, socket_}, "IF1", local, gateway.protocol,
                         daveSpeed187k);
  di_->timeout = timeoutUs;
  dc_ = daveNewConnection(di_, plc, 0, 2);
}

Client::~Client() {
  daveDisconnectPLC(dc_);
  daveFree(dc_);
  daveDisconnectAdapter(di_);
  daveFree(di_);
  closeSocket(socket_);
}

int32_t Client::Connect() {
  const int32_t result = daveInitAdapter(di_);
  return result == daveResOK ? daveConnectPLC(dc_) : result;
}

int32_t Client::Read(int32_t area, int32_t db, int32_t start, int32_t length, Bytes& data) {
  Bytes buffer(static_cast<size_t>(length) + kGuards, kGuard);
  const int32_t result = daveReadBytes(dc_, area, db, start, length, buffer.data());
  EXPECT_TRUE(
      std::all_of(buffer.end() - kGuards, buffer.end(), [](uint8_t b) { return b == kGuard; }));
  data.assign(buffer.begin(), buffer.end() - kGuards);
  return result;
}

void ExpectReadsMatchMemory(Client& client) {
  const struct {
    int32_t area;
    int32_t db;
    plcsim::Area memoryArea;
    int32_t start;
    int32_t length;
  } reads[] = {
      {daveDB, 1, plcsim::Area::kDataBlocks, 34, 18},
      {daveDB, 2, plcsim::Area::kDataBlocks, 0, 220},
      {daveDB, 2, plcsim::Area::kDataBlocks, 300, 200},
      {daveFlags, 0, plcsim::Area::kFlags, 10, 7},
      {daveInputs, 0, plcsim::Area::kInputs, 1, 31},
  };
  for (const auto& read : reads) {
    Bytes data;
    ASSERT_EQ(client.Read(read.area, read.db, read.start, read.length, data), daveResOK)
        << "area " << read.area << " at " << read.start;
    EXPECT_EQ(data, FromMemory(read.memoryArea, static_cast<uint16_t>(read.db),
                               static_cast<size_t>(read.start), static_cast<size_t>(read.length)));
  }
}
