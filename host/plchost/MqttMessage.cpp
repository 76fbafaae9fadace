#include "MqttMessage.h"

#include <algorithm>

#include "RecordFormat.h"
#include "RecordValues.h"

namespace plchost {

namespace {

std::string TopicLevel(std::string name) {
  std::replace_if(
      name.begin(), name.end(),
      [](char c) { return c == '+' || c == '#' || c == '/' || c == '\0'; }, '_');
  return name.empty() ? "_" : name;
}

}  // namespace

std::string MqttTopic(const std::string& prefix, const TDeliveredRecord& record) {
  return prefix + "/" + TopicLevel(SourceNameOf(record)) + "/" + TopicLevel(CaptionOf(record));
}

std::string MqttPayload(const TDeliveredRecord& record) {
  std::string values;
  for (const TNamedCell& value : ShownValues(record)) {
    values += (values.empty() ? "" : ",") + JsonString(value.Name) + ":" + JsonValue(value.Cell);
  }
  return "{\"time\":" + JsonString(TimeStampOf(record)) +
         ",\"source\":" + JsonString(SourceNameOf(record)) +
         ",\"request\":" + JsonString(CaptionOf(record)) + ",\"values\":{" + values + "}}";
}

}  // namespace plchost
