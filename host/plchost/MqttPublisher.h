#pragma once

#include <memory>

#include "MqttOptions.h"
#include "RecordSink.h"

namespace plchost {

// A sink that publishes every record to the broker of the options (topic
// MqttTopic, message MqttPayload), one message at a time in record order, so
// that with QoS 1 each record arrives once and in order. It connects on a
// thread of its own and reconnects when the broker goes; a record never waits
// for the broker: while it is slow or away at most BufferRecords records are
// kept and the oldest are dropped (a message and a count in the summary).
// std::runtime_error when it cannot start (password file unreadable).
std::unique_ptr<IRecordSink> MakeMqttPublisher(const TMqttOptions& options);

}  // namespace plchost
