#pragma once

#include <cstddef>
#include <string>

namespace plchost {

// --mqtt and its companions: where records are published.
struct TMqttOptions {
  std::string Host;  // empty: no publishing
  int Port = 1883;
  std::string TopicPrefix = "plchost";
  int Qos = 0;
  std::string Username;
  std::string PasswordFile;
  size_t BufferRecords = 1000;  // records kept while the broker is slow or away
};

// Whether this build publishes over MQTT (the Windows builds have no MQTT library).
bool MqttAvailable();

}  // namespace plchost
