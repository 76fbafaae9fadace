#include "ScriptServer.h"

namespace {

constexpr int kWaitMs = 5000;

}  // namespace

ScriptServer::ScriptServer(std::vector<Step> steps)
    : steps_(std::move(steps)), listener_(testsocket::Listen(port_)) {
  thread_ = std::thread([this] { Run(); });
}

ScriptServer::~ScriptServer() { Finish(); }

void ScriptServer::Finish() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

std::vector<Bytes> ScriptServer::Received() {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

bool ScriptServer::ReceivePacket(testsocket::Handle client, Bytes& packet) {
  packet.assign(4, 0);
  if (!testsocket::ReceiveExact(client, packet.data(), 4, kWaitMs)) {
    return false;
  }
  const size_t length = size_t{packet[2]} << 8 | packet[3];
  if (length < 4) {
    return false;
  }
  packet.resize(length);
  return testsocket::ReceiveExact(client, packet.data() + 4, length - 4, kWaitMs);
}

void ScriptServer::Run() {
  const testsocket::Handle client = testsocket::Accept(listener_, kWaitMs);
  testsocket::Close(listener_);
  if (client == testsocket::kNone) {
    return;
  }
  bool open = true;
  for (const Step& step : steps_) {
    Bytes packet;
    if (!ReceivePacket(client, packet)) {
      open = false;
      break;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.push_back(packet);
    }
    const Reply reply = step(packet);
    testsocket::SendAll(client, reply.bytes.data(), reply.bytes.size());
    if (reply.close) {
      open = false;
      break;
    }
  }
  // Record whatever else the client sends until it closes.
  Bytes packet;
  while (open && ReceivePacket(client, packet)) {
    std::lock_guard<std::mutex> lock(mutex_);
    received_.push_back(packet);
  }
  testsocket::Close(client);
}
