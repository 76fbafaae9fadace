#include "GatewayServer.h"

namespace {

constexpr int kPollMs = 20;
constexpr auto kCloseWait = std::chrono::seconds(5);

}  // namespace

GatewayServer::GatewayServer(plcsim::PersonalityFactory make, const plcsim::PlcMemory& memory)
    : make_(make), memory_(memory), listener_(testsocket::Listen(port_)) {
  acceptor_ = std::thread([this] { Accept(); });
}

GatewayServer::~GatewayServer() {
  stop_ = true;
  acceptor_.join();
  for (std::thread& client : clients_) {
    client.join();
  }
  testsocket::Close(listener_);
}

void GatewayServer::SetFault(Fault fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  fault_ = std::move(fault);
}

GatewayServer::Bytes GatewayServer::Received() {
  std::unique_lock<std::mutex> lock(mutex_);
  closed_.wait_for(lock, kCloseWait, [this] { return serving_ == 0; });
  return received_;
}

void GatewayServer::Accept() {
  while (!stop_) {
    const testsocket::Handle client = testsocket::Accept(listener_, kPollMs);
    if (client != testsocket::kNone) {
      std::lock_guard<std::mutex> lock(mutex_);
      ++serving_;
      clients_.emplace_back([this, client] { Serve(client); });
    }
  }
}

bool GatewayServer::Pass(Bytes& answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  return !fault_ || fault_(answer);
}

void GatewayServer::Serve(testsocket::Handle client) {
  const auto personality = make_(plcsim::PersonalitySettings{&memory_, 2});
  uint8_t buffer[512];
  while (!stop_) {
    const int got = testsocket::ReceiveSome(client, buffer, sizeof buffer, kPollMs);
    if (got < 0) {
      break;
    }
    if (got == 0) {
      continue;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.insert(received_.end(), buffer, buffer + got);
    }
    Bytes answer = personality->OnBytes(buffer, static_cast<size_t>(got));
    if (answer.empty()) {
      continue;
    }
    const bool keep = Pass(answer);
    testsocket::SendAll(client, answer.data(), answer.size());
    if (!keep) {
      break;
    }
  }
  testsocket::Close(client);
  std::lock_guard<std::mutex> lock(mutex_);
  --serving_;
  closed_.notify_all();
}
