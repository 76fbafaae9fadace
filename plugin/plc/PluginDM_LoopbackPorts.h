#pragma once

// The loopback ports of the request engines on 127.0.0.1: one per live engine of
// the process, never one for two. Ports stay known after their engine is gone
// and are handed out again only once every other port has been used.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

constexpr int32_t kFirstLoopbackPort = 45001;
constexpr int32_t kLastLoopbackPort = 45101;

class TLoopbackPorts {
 public:
  struct TClaim {
    int32_t Port = 0;             // 0: every port is held by a live engine or refused
    bool FirstOfProcess = false;  // no port had been handed out before this claim
  };
  // Whether the claimant can use a port (its listener could bind it).
  using TPortUsable = std::function<bool(int32_t port)>;

  explicit TLoopbackPorts(int32_t first = kFirstLoopbackPort, int32_t last = kLastLoopbackPort);

  // The first port that `usable` accepts, taken for the caller: ports never
  // handed out first, then ports whose engine is gone, each in ascending order.
  // A port that `usable` refuses is held outside the registry; it counts as gone.
  TClaim Claim(const TPortUsable& usable);
  // The engine that held `port` is gone.
  void Release(int32_t port);

 private:
  enum class TPortState : uint8_t { Unused, Live, Gone };

  bool TakeFirst(TPortState state, const TPortUsable& usable, TClaim& claim);

  std::mutex lock_;
  const int32_t first_;
  std::vector<TPortState> states_;
};

// The registry of the process.
TLoopbackPorts& LoopbackPorts();
