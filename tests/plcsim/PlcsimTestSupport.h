#pragma once

// A simulator served in-process on a free port, and a client that speaks raw
// ISO-on-TCP frames to it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Description.h"
#include "IsoFrame.h"
#include "MemoryLoader.h"
#include "PlcMemory.h"
#include "PlcServer.h"
#include "SocketIo.h"

namespace plcsim_test {

using plcsim::Bytes;

constexpr std::chrono::seconds kReceiveBound(10);

class RunningServer {
 public:
  explicit RunningServer(const std::string& description = plcsim::kDefaultDescription,
                         uint16_t pdu = 960, size_t maxClients = 64)
      : server_(memory_, Options(pdu, maxClients), [this](const std::string& line) {
          std::lock_guard<std::mutex> lock(mutex_);
          log_.push_back(line);
        }) {
    plcsim::LoadMemory(plcsim::ParseDescription(description), memory_);
    server_.Start();
  }

  uint16_t Port() const { return server_.Port(); }
  plcsim::PlcMemory& Memory() { return memory_; }
  plcsim::PlcServer& Server() { return server_; }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }

 private:
  static plcsim::ServerOptions Options(uint16_t pdu, size_t maxClients) {
    plcsim::ServerOptions options;
    options.port = 0;
    options.pdu = pdu;
    options.maxClients = maxClients;
    return options;
  }

  plcsim::PlcMemory memory_;
  std::mutex mutex_;
  std::vector<std::string> log_;
  plcsim::PlcServer server_;
};

// One item of a Read Var job.
struct ReadItem {
  uint8_t transportSize = 0x02;
  uint16_t count = 1;
  uint16_t db = 0;
  uint8_t area = 0x84;
  uint32_t address = 0;  // bit address, or counter/timer number
};

// A byte-sized read of `count` bytes at byte `offset`.
inline ReadItem ByteRead(uint8_t area, uint16_t db, uint32_t offset, uint16_t count) {
  return ReadItem{0x02, count, db, area, offset * 8};
}

inline Bytes Tpkt(Bytes tpdu) {
  const size_t size = tpdu.size() + 4;
  tpdu.insert(tpdu.begin(), {3, 0, static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size)});
  return tpdu;
}

inline Bytes ConnectRequest(const Bytes& remoteTsap, const Bytes& parameters = {0xC0, 1, 0x0A}) {
  Bytes tpdu = {0, 0xE0, 0, 0, 0, 1, 0, 0xC1, 2, 1, 0, 0xC2, 2};
  tpdu.insert(tpdu.end(), remoteTsap.begin(), remoteTsap.end());
  tpdu.insert(tpdu.end(), parameters.begin(), parameters.end());
  tpdu[0] = static_cast<uint8_t>(tpdu.size() - 1);
  return Tpkt(tpdu);
}

inline Bytes DataPacket(const Bytes& pdu, bool last = true) {
  Bytes tpdu = {2, 0xF0, static_cast<uint8_t>(last ? 0x80 : 0)};
  tpdu.insert(tpdu.end(), pdu.begin(), pdu.end());
  return Tpkt(tpdu);
}

inline Bytes Job(const Bytes& parameters, uint16_t reference = 7) {
  Bytes pdu = {0x32,
               1,
               0,
               0,
               static_cast<uint8_t>(reference >> 8),
               static_cast<uint8_t>(reference),
               static_cast<uint8_t>(parameters.size() >> 8),
               static_cast<uint8_t>(parameters.size()),
               0,
               0};
  pdu.insert(pdu.end(), parameters.begin(), parameters.end());
  return pdu;
}

inline Bytes SetupJob(uint16_t pdu) {
  return Job({0xF0, 0, 0, 1, 0, 1, static_cast<uint8_t>(pdu >> 8), static_cast<uint8_t>(pdu)});
}

inline Bytes ReadJob(const std::vector<ReadItem>& items) {
  Bytes parameters = {0x04, static_cast<uint8_t>(items.size())};
  for (const ReadItem& item : items) {
    parameters.insert(
        parameters.end(),
        {0x12, 0x0A, 0x10, item.transportSize, static_cast<uint8_t>(item.count >> 8),
         static_cast<uint8_t>(item.count), static_cast<uint8_t>(item.db >> 8),
         static_cast<uint8_t>(item.db), item.area, static_cast<uint8_t>(item.address >> 16),
         static_cast<uint8_t>(item.address >> 8), static_cast<uint8_t>(item.address)});
  }
  return Job(parameters);
}

// An Ack_Data PDU taken apart.
struct Answer {
  uint16_t reference = 0;
  uint16_t error = 0;
  Bytes parameters;
  Bytes data;
};

// One item of a read answer.
struct ItemData {
  uint8_t result = 0;
  Bytes bytes;
};

class RawClient {
 public:
  explicit RawClient(uint16_t port) : socket_(plcsim::TcpSocket::Connect("127.0.0.1", port)) {
    socket_.SetReceiveTimeout(kReceiveBound);
  }

  void Send(const Bytes& bytes) { ASSERT_TRUE(socket_.WriteAll(bytes.data(), bytes.size())); }

  // One TPKT packet; nothing when the connection closed or nothing came in time.
  std::optional<Bytes> ReceivePacket() {
    Bytes packet(4);
    if (!socket_.ReadExact(packet.data(), 4)) {
      return std::nullopt;
    }
    packet.resize(size_t{packet[2]} << 8 | packet[3]);
    if (packet.size() < 4 || !socket_.ReadExact(packet.data() + 4, packet.size() - 4)) {
      return std::nullopt;
    }
    return packet;
  }

  // One S7 PDU, reassembled from its DT TPDUs; counts them in `tpdus`.
  std::optional<Bytes> ReceivePdu(int* tpdus = nullptr) {
    Bytes pdu;
    for (int count = 1;; ++count) {
      const std::optional<Bytes> packet = ReceivePacket();
      if (!packet || packet->size() < 7 || (*packet)[5] != 0xF0) {
        return std::nullopt;
      }
      pdu.insert(pdu.end(), packet->begin() + 7, packet->end());
      if (((*packet)[6] & 0x80) != 0) {
        if (tpdus != nullptr) {
          *tpdus = count;
        }
        return pdu;
      }
    }
  }

  std::optional<Answer> Exchange(const Bytes& job) {
    Send(DataPacket(job));
    const std::optional<Bytes> pdu = ReceivePdu();
    if (!pdu || pdu->size() < 12 || (*pdu)[0] != 0x32 || (*pdu)[1] != 3) {
      return std::nullopt;
    }
    const Bytes& p = *pdu;
    Answer answer;
    answer.reference = static_cast<uint16_t>(p[4] << 8 | p[5]);
    const size_t parameters = size_t{p[6]} << 8 | p[7];
    const size_t data = size_t{p[8]} << 8 | p[9];
    answer.error = static_cast<uint16_t>(p[10] << 8 | p[11]);
    EXPECT_EQ(p.size(), 12 + parameters + data);
    if (p.size() != 12 + parameters + data) {
      return std::nullopt;
    }
    answer.parameters.assign(p.begin() + 12, p.begin() + 12 + static_cast<ptrdiff_t>(parameters));
    answer.data.assign(p.begin() + 12 + static_cast<ptrdiff_t>(parameters), p.end());
    return answer;
  }

  // Connection request and setup communication; the PDU size granted.
  uint16_t Connect(uint16_t pdu = 960) {
    Send(ConnectRequest({1, 2}));
    const std::optional<Bytes> confirm = ReceivePacket();
    EXPECT_TRUE(confirm && confirm->size() > 5 && (*confirm)[5] == 0xD0);
    const std::optional<Answer> answer = Exchange(SetupJob(pdu));
    EXPECT_TRUE(answer && answer->error == 0 && answer->parameters.size() == 8);
    if (!answer || answer->parameters.size() != 8) {
      return 0;
    }
    return static_cast<uint16_t>(answer->parameters[6] << 8 | answer->parameters[7]);
  }

  // The items of a read answer; fill bytes skipped, a failed item is 4 bytes.
  std::vector<ItemData> Read(const std::vector<ReadItem>& items) {
    std::vector<ItemData> result;
    const std::optional<Answer> answer = Exchange(ReadJob(items));
    EXPECT_TRUE(answer && answer->error == 0);
    if (!answer || answer->error != 0) {
      return result;
    }
    EXPECT_EQ(answer->parameters, (Bytes{0x04, static_cast<uint8_t>(items.size())}));
    const Bytes& data = answer->data;
    for (size_t at = 0; at + 4 <= data.size();) {
      ItemData item{data[at], {}};
      size_t length = 0;
      if (item.result == 0xFF) {
        const size_t announced = size_t{data[at + 2]} << 8 | data[at + 3];
        length = (data[at + 1] == 0x04 || data[at + 1] == 0x05) ? announced / 8 : announced;
        item.bytes.assign(
            data.begin() + static_cast<ptrdiff_t>(at + 4),
            data.begin() + static_cast<ptrdiff_t>(std::min(at + 4 + length, data.size())));
      }
      at += 4 + length + (length % 2 != 0 && at + 4 + length < data.size() ? 1 : 0);
      result.push_back(item);
    }
    EXPECT_EQ(result.size(), items.size());
    return result;
  }

  ItemData ReadOne(const ReadItem& item) {
    std::vector<ItemData> items = Read({item});
    return items.empty() ? ItemData{} : items[0];
  }

  bool WaitForClose() { return socket_.WaitForClose(); }

 private:
  plcsim::TcpSocket socket_;
};

}  // namespace plcsim_test
