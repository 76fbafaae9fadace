#pragma once

// The floor of a read benchmark: the bare minimum one exchange costs on this
// machine in the same run. A request of the read's size crosses a plain
// loopback TCP connection to a server thread that answers at once with an
// answer of the read's size. A read benchmark reports its time as a ratio to
// that floor (counter "ratio_to_floor"). Native (POSIX sockets) only, like every
// benchmark.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace loopback_floor {

constexpr int kFloorExchanges = 2000;

// Bytes that crossed one TCP connection so far, each way, from the kernel's
// own count (for reads whose frames the benchmark does not see).
struct TSocketBytes {
  uint64_t Sent = 0;
  uint64_t Received = 0;
};

inline TSocketBytes SocketBytes(int socket) {
  tcp_info info{};
  socklen_t size = sizeof(info);
  if (getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0) return {};
  return {info.tcpi_bytes_acked, info.tcpi_bytes_received};
}

namespace detail {

inline bool SendAll(int socket, const uint8_t* data, size_t length) {
  while (length > 0) {
    const ssize_t sent = send(socket, data, length, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    data += sent;
    length -= static_cast<size_t>(sent);
  }
  return true;
}

inline bool ReceiveAll(int socket, uint8_t* data, size_t length) {
  while (length > 0) {
    const ssize_t got = recv(socket, data, length, 0);
    if (got <= 0) return false;
    data += got;
    length -= static_cast<size_t>(got);
  }
  return true;
}

inline void NoDelay(int socket) {
  const int on = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
}

}  // namespace detail

// Mean seconds of one exchange of `requestSize` bytes out and `answerSize` bytes
// back over loopback, over `exchanges` exchanges; 0 when the sockets fail.
inline double FloorSeconds(size_t requestSize, size_t answerSize, int exchanges = kFloorExchanges) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t addressSize = sizeof(address);
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), addressSize) != 0 ||
      listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &addressSize) != 0) {
    if (listener >= 0) close(listener);
    return 0;
  }
  // The server answers every request at once until the client closes.
  std::thread server([listener, requestSize, answerSize] {
    const int peer = accept(listener, nullptr, nullptr);
    if (peer < 0) return;
    detail::NoDelay(peer);
    std::vector<uint8_t> request(requestSize);
    const std::vector<uint8_t> answer(answerSize, 0x5A);
    while (detail::ReceiveAll(peer, request.data(), request.size()) &&
           detail::SendAll(peer, answer.data(), answer.size())) {
    }
    close(peer);
  });
  const int client = socket(AF_INET, SOCK_STREAM, 0);
  double seconds = 0;
  if (client >= 0 && connect(client, reinterpret_cast<sockaddr*>(&address), addressSize) == 0) {
    detail::NoDelay(client);
    const std::vector<uint8_t> request(requestSize, 0xA5);
    std::vector<uint8_t> answer(answerSize);
    const auto start = std::chrono::steady_clock::now();
    int done = 0;
    while (done < exchanges && detail::SendAll(client, request.data(), request.size()) &&
           detail::ReceiveAll(client, answer.data(), answer.size())) {
      ++done;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    seconds = done == exchanges ? elapsed.count() / exchanges : 0;
  }
  if (client >= 0) close(client);
  shutdown(listener, SHUT_RDWR);  // ends an accept that never got the client
  server.join();
  close(listener);
  return seconds;
}

// Sets the floor counters of a read benchmark whose reads took `secondsPerRead`
// each and moved `requestBytes` out and `answerBytes` back per read.
inline void ReportFloor(benchmark::State& state, double secondsPerRead, double requestBytes,
                        double answerBytes) {
  const double floor =
      FloorSeconds(static_cast<size_t>(requestBytes + 0.5), static_cast<size_t>(answerBytes + 0.5));
  state.counters["request_bytes"] = requestBytes;
  state.counters["answer_bytes"] = answerBytes;
  state.counters["floor_us"] = floor * 1e6;
  state.counters["read_us"] = secondsPerRead * 1e6;
  if (floor > 0) state.counters["ratio_to_floor"] = secondsPerRead / floor;
}

}  // namespace loopback_floor
