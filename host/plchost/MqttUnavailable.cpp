// Builds without an MQTT library: --mqtt is refused when the options are read.
#include <stdexcept>

#include "MqttPublisher.h"

namespace plchost {

bool MqttAvailable() { return false; }

std::unique_ptr<IRecordSink> MakeMqttPublisher(const TMqttOptions& /*options*/) {
  throw std::runtime_error("MQTT is not available in this build");
}

}  // namespace plchost
