#include "PlcServer.h"

#include <utility>

#include "Connection.h"
#include "LineServer.h"

namespace plcsim {

PlcServer::PlcServer(const PlcMemory& memory, ServerOptions options, LogFunction log)
    : memory_(memory), options_(std::move(options)), log_(std::move(log)) {}

PlcServer::~PlcServer() { Stop(); }

void PlcServer::Start() {
  listener_ = TcpSocket::Listen(options_.address, options_.port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

void PlcServer::Stop() {
  if (!acceptThread_.joinable()) {
    return;
  }
  wake_.Raise();
  acceptThread_.join();
  listener_ = TcpSocket();  // refuses clients still waiting to be accepted
  std::list<std::unique_ptr<Client>> clients;
  {
    std::lock_guard<std::mutex> lock(clientsMutex_);
    clients.swap(clients_);
  }
  for (const auto& client : clients) {
    client->socket.Shutdown();
  }
  for (const auto& client : clients) {
    client->thread.join();
  }
}

std::string PlcServer::ListeningOn() const { return listener_.LocalAddress(); }

uint16_t PlcServer::Port() const { return listener_.LocalPort(); }

void PlcServer::AcceptLoop() {
  try {
    for (;;) {
      std::string peer;
      TcpSocket socket = listener_.Accept(wake_, &peer);
      if (!socket.IsOpen()) {
        return;
      }
      JoinFinished();
      Admit(std::move(socket), peer);
    }
  } catch (const SocketError& error) {
    Log(std::string("listener stopped: ") + error.what());
  }
}

void PlcServer::Admit(TcpSocket socket, const std::string& peer) {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  if (clients_.size() >= options_.maxClients) {
    Log(peer + " refused: " + std::to_string(options_.maxClients) + " clients connected");
    return;
  }
  auto client = std::make_unique<Client>();
  client->socket = std::move(socket);
  client->peer = peer;
  Client& admitted = *client;
  clients_.push_back(std::move(client));
  admitted.thread = std::thread([this, &admitted] { Serve(admitted); });
}

void PlcServer::Serve(Client& client) {
  Log(client.peer + " connected");
  const std::string reason = ServeClient(client.socket);
  // The socket itself is closed when the thread is joined; Stop may still shut it down.
  client.socket.Shutdown();
  Log(client.peer + " disconnected: " + reason);
  client.finished = true;
}

std::string PlcServer::ServeClient(TcpSocket& socket) {
  if (options_.personality == nullptr) {
    return ServeConnection(socket, memory_, options_.pdu);
  }
  const std::unique_ptr<LinePersonality> personality =
      options_.personality->make(PersonalitySettings{&memory_, options_.plcAddress});
  LinePacing pacing(options_.baud);
  return ServeLine(socket, *personality, pacing);
}

void PlcServer::JoinFinished() {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  for (auto client = clients_.begin(); client != clients_.end();) {
    if ((*client)->finished) {
      (*client)->thread.join();
      client = clients_.erase(client);
    } else {
      ++client;
    }
  }
}

void PlcServer::Log(const std::string& line) {
  if (log_) {
    std::lock_guard<std::mutex> lock(logMutex_);
    log_(line);
  }
}

}  // namespace plcsim
