// A thousand connects that fail, each as the plug-in's link makes it: a socket
// from openSocket, interface and connection records, a connect the PLC refuses
// (disconnect request), drops (closes at once) or does not answer, then the
// records freed and the socket closed. Every attempt must reach the PLC, fail
// with its own result code, and leave nothing behind: the leak checker of the
// sanitizer build sees any record or buffer not freed.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "IsoTestSupport.h"
#include "TestSocket.h"
#include "nodave.h"

namespace {

constexpr int kAttempts = 1000;
constexpr int kBoundMs = 5000;
// A silent PLC costs the whole time-out; a refusal ends the wait at once.
constexpr int32_t kSilenceTimeoutUs = 20000;
constexpr int32_t kRefusalTimeoutUs = 5000000;

enum class Refusal { kDisconnect, kClose, kSilence };

Refusal RefusalOf(int attempt) { return static_cast<Refusal>(attempt % 3); }

// Plays a PLC that takes every connection and refuses its connect in turn.
class RefusingPlc {
 public:
  RefusingPlc() : listener_(testsocket::Listen(port_)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~RefusingPlc() {
    thread_.join();
    testsocket::Close(listener_);
  }
  RefusingPlc(const RefusingPlc&) = delete;
  RefusingPlc& operator=(const RefusingPlc&) = delete;

  int Port() const { return port_; }
  int Requests() const { return requests_; }

 private:
  void Run() {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      const testsocket::Handle client = testsocket::Accept(listener_, kBoundMs);
      if (client == testsocket::kNone) return;
      uint8_t header[4];
      Bytes request;
      if (testsocket::ReceiveExact(client, header, sizeof header, kBoundMs)) {
        request.resize(static_cast<size_t>(header[2] << 8 | header[3]) - sizeof header);
        if (testsocket::ReceiveExact(client, request.data(), request.size(), kBoundMs)) ++requests_;
      }
      if (RefusalOf(attempt) == Refusal::kDisconnect) {
        const Bytes refusal = Tpkt({0x06, 0x80, 0x00, 0x01, 0x00, 0x01, 0x88});
        testsocket::SendAll(client, refusal.data(), refusal.size());
      }
      if (RefusalOf(attempt) == Refusal::kSilence) {
        uint8_t byte;  // until the client gives up and closes
        testsocket::ReceiveExact(client, &byte, 1, kBoundMs);
      }
      testsocket::Close(client);
    }
  }

  int port_ = 0;
  testsocket::Handle listener_;
  std::atomic<int> requests_{0};
  std::thread thread_;
};

TEST(FailedConnects, AThousandRefusedConnectsEachFailAndLeaveNothingBehind) {
  RefusingPlc plc;
  int refused = 0;
  int timedOut = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int32_t socket = openSocket(plc.Port(), "127.0.0.1");
    ASSERT_GT(socket, 0) << attempt;
    daveInterface* di = daveNewInterface(daveOSserialType{socket, socket}, "IF1", 0,
                                         daveProtoISOTCP, daveSpeed187k);
    di->timeout = RefusalOf(attempt) == Refusal::kSilence ? kSilenceTimeoutUs : kRefusalTimeoutUs;
    daveConnection* dc = daveNewConnection(di, 2, 0, 2);
    const int32_t result = daveConnectPLC(dc);
    refused += result == daveResConnectionRefused ? 1 : 0;
    timedOut += result == daveResTimeout ? 1 : 0;
    EXPECT_EQ(dc->connected, 0) << attempt;
    daveDisconnectPLC(dc);
    daveFree(dc);
    daveDisconnectAdapter(di);
    daveFree(di);
    closeSocket(socket);
  }
  EXPECT_EQ(plc.Requests(), kAttempts);
  EXPECT_EQ(refused, kAttempts - kAttempts / 3);  // refused and closed ones alike
  EXPECT_EQ(timedOut, kAttempts / 3);
}

}  // namespace
