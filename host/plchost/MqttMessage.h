#pragma once

#include <string>

#include "RecordSink.h"

namespace plchost {

// The topic of a record: PREFIX/<data source>/<request caption>. "+", "#" and
// "/" within a name, which would change the topic's levels, become "_".
std::string MqttTopic(const std::string& prefix, const TDeliveredRecord& record);

// The message of a record: one JSON object with its "time" stamp, "source",
// "request" and "values" (name to value; null for a value that is missing,
// NaN or infinite).
std::string MqttPayload(const TDeliveredRecord& record);

}  // namespace plchost
