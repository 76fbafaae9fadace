#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "InfluxLine.h"
#include "MqttMessage.h"
#include "ReadableTable.h"
#include "RecordFormat.h"
#include "RecordSink.h"
#include "ValueText.h"

// What the readable table, the InfluxDB lines and the MQTT messages make of records.

namespace {

using plchost::TDeliveredRecord;
using plchost::TPlannedRequest;

// 2023-03-15 12:00:00.000 as a date value.
constexpr double kNoon = 45000.5;
constexpr double kMsPerDay = 86400000;

host::TDataRecord Record(const std::string& source, int8_t area, int32_t block, double time,
                         std::vector<std::pair<std::string, TVariant>> values) {
  host::TDataRecord record;
  record.Values = {{"FULL_DATA_PACKET", TVariant::OfAnsi("\x01")},
                   {"DATE_TIME_STAMP", TVariant::OfDate(time)},
                   {"DATA_SOURCE_ID", TVariant::OfUI4(1)},
                   {"DATA_SOURCE_FULL_NAME", TVariant::OfAnsi(source + " line")},
                   {"DATA_SOURCE_NAME", TVariant::OfAnsi(source)},
                   {"LOCAL_ADDRESS", TVariant::OfI4(0)},
                   {"REMOTE_ADDRESS", TVariant::OfI4(2)},
                   {"AREA", TVariant::OfI1(area)},
                   {"DATABLOCK", TVariant::OfI4(block)}};
  for (auto& [name, value] : values) record.Values.push_back({name, std::move(value)});
  record.Values.push_back({"$NEW_ROW$", TVariant(), true});
  return record;
}

TPlannedRequest Request(const std::string& name, std::vector<plchost::TShownValue> shown = {}) {
  TPlannedRequest request;
  request.Name = name;
  request.Shown = std::move(shown);
  return request;
}

TDeliveredRecord Delivered(const host::TDataRecord& record, const TPlannedRequest* request) {
  TDeliveredRecord delivered;
  delivered.Record = &record;
  delivered.Request = request;
  delivered.UnixNs = 1678881600123456789;
  return delivered;
}

TEST(PlchostRecordViews, TheTableShowsEachRecordsOwnValuesAlignedPerRequest) {
  const TPlannedRequest process = Request("Process");
  const TPlannedRequest bits = Request("DB1 #2", {{"DB1.DBX0.1", "RUN"}, {"DB1.DBX0.3", "STOP"}});
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::pair<host::TDataRecord, const TPlannedRequest*>> records = {
      {Record("PLC", 7, 1, kNoon, {{"COUNT", TVariant::OfI4(5)}, {"TEMP", TVariant::OfR8(21.5)}}),
       &process},
      {Record("PLC", 7, 1, kNoon + 250 / kMsPerDay,
              {{"COUNT", TVariant::OfI4(123456)}, {"TEMP", TVariant::OfR8(nan)}}),
       &process},
      {Record("PLC", 7, 1, kNoon + 500 / kMsPerDay,
              {{"DB1.DBX0.0", TVariant::OfBool(false)},
               {"DB1.DBX0.1", TVariant::OfBool(true)},
               {"DB1.DBX0.2", TVariant::OfBool(false)},
               {"DB1.DBX0.3", TVariant::OfBool(false)}}),
       &bits},
      {Record("PLC", 7, 1, kNoon + 750 / kMsPerDay,
              {{"COUNT", TVariant::OfI4(7)},
               {"TEMP", TVariant::OfR8(-std::numeric_limits<double>::infinity())}}),
       &process},
      {Record("PLC", 7, 1, kNoon + 1000 / kMsPerDay,
              {{"COUNT", TVariant::OfI4(8)}, {"TEMP", TVariant::OfR4(33.820553f)}}),
       &process},
      {Record("PLC", 7, 1, kNoon + 1250 / kMsPerDay,
              {{"COUNT", TVariant::OfI4(9)}, {"TEMP", TVariant::OfR8(0.1)}}),
       &process},
      {Record("PLC", 7, 1, kNoon + 1375 / kMsPerDay,
              {{"COUNT", TVariant::OfI4(10)}, {"TEMP", TVariant::OfR8(0.2)}}),
       &process},
      {Record("PLC", 4, 0, kNoon + 1500 / kMsPerDay, {{"MW0", TVariant::OfUI2(3)}}), nullptr},
  };
  std::ostringstream out;
  plchost::TReadableTable table(out, 2);
  for (const auto& [record, request] : records) table.Write(Delivered(record, request));
  // A header on every change of request, when a column widens, and after two
  // rows; a REAL shows as the single it is.
  EXPECT_EQ(out.str(),
            "time          request  COUNT  TEMP\n"
            "12:00:00.000  Process      5  21.5\n"
            "time          request   COUNT  TEMP\n"
            "12:00:00.250  Process  123456   nan\n"
            "time          request  RUN   STOP\n"
            "12:00:00.500  DB1 #2   true  false\n"
            "time          request   COUNT  TEMP\n"
            "12:00:00.750  Process       7  -inf\n"
            "time          request   COUNT       TEMP\n"
            "12:00:01.000  Process       8  33.820553\n"
            "12:00:01.250  Process       9        0.1\n"
            "time          request   COUNT       TEMP\n"
            "12:00:01.375  Process      10        0.2\n"
            "time          request  MW0\n"
            "12:00:01.500  ?          3\n");
}

// One InfluxDB line, checked against the line protocol's grammar: measurement,
// tag set, field set with typed values, time stamp; backslash escapes.
struct TInfluxLine {
  std::string Measurement;
  std::map<std::string, std::string> Tags;
  std::map<std::string, std::pair<char, std::string>> Fields;  // type i, f, b or s; value
  std::string Timestamp;
};

class TInfluxParser {
 public:
  explicit TInfluxParser(std::string line) : FLine(std::move(line)) {}

  TInfluxLine Parse() {
    TInfluxLine parsed;
    if (FLine.empty() || FLine[0] == '#') Fail("no measurement");
    parsed.Measurement = Name(",  ", false);
    while (Take(',')) {
      const std::string key = Name(",= ", true);
      Expect('=');
      parsed.Tags[key] = Name(",= ", true);
    }
    Expect(' ');
    do {
      const std::string key = Name(",= ", true);
      Expect('=');
      parsed.Fields[key] = Value();
    } while (Take(','));
    Expect(' ');
    const size_t start = FAt;
    if (Take('-')) {
    }
    while (FAt < FLine.size() && std::isdigit(static_cast<unsigned char>(FLine[FAt]))) ++FAt;
    parsed.Timestamp = FLine.substr(start, FAt - start);
    if (parsed.Timestamp.empty() || FAt != FLine.size()) Fail("bad time stamp");
    return parsed;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why + " at " + std::to_string(FAt) + " in: " + FLine);
  }
  bool Take(char c) {
    if (FAt >= FLine.size() || FLine[FAt] != c) return false;
    ++FAt;
    return true;
  }
  void Expect(char c) {
    if (!Take(c)) Fail(std::string("expected '") + c + "'");
  }
  // Characters up to an unescaped one of `stops`; "\\x" stands for x.
  std::string Name(const char* stops, bool equalsStops) {
    std::string name;
    while (FAt < FLine.size()) {
      const char c = FLine[FAt];
      if (c == '\\' && FAt + 1 < FLine.size() &&
          std::string(stops).find(FLine[FAt + 1]) != std::string::npos) {
        name += FLine[FAt + 1];
        FAt += 2;
        continue;
      }
      if (c == ',' || c == ' ' || (equalsStops && c == '=')) break;
      if (c == '\n' || c == '\r') Fail("line break");
      name += c;
      ++FAt;
    }
    if (name.empty()) Fail("empty name");
    return name;
  }
  std::pair<char, std::string> Value() {
    if (Take('"')) {
      std::string text;
      while (!Take('"')) {
        if (FAt >= FLine.size()) Fail("open string");
        if (FLine[FAt] == '\\' && FAt + 1 < FLine.size() &&
            (FLine[FAt + 1] == '"' || FLine[FAt + 1] == '\\')) {
          ++FAt;
        }
        text += FLine[FAt++];
      }
      return {'s', text};
    }
    const size_t start = FAt;
    while (FAt < FLine.size() && FLine[FAt] != ',' && FLine[FAt] != ' ') ++FAt;
    const std::string text = FLine.substr(start, FAt - start);
    for (const char* boolean :
         {"t", "T", "true", "True", "TRUE", "f", "F", "false", "False", "FALSE"}) {
      if (text == boolean) return {'b', text};
    }
    if (!text.empty() && text.back() == 'i') {
      const std::string digits =
          text.substr(text[0] == '-' ? 1 : 0, text.size() - 1 - (text[0] == '-' ? 1 : 0));
      if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit)) {
        Fail("bad integer");
      }
      return {'i', text.substr(0, text.size() - 1)};
    }
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() ||
        text.find_first_of("nN") != std::string::npos) {
      Fail("bad float \"" + text + "\"");
    }
    return {'f', text};
  }

  std::string FLine;
  size_t FAt = 0;
};

TEST(PlchostRecordViews, InfluxLinesFollowTheLineProtocol) {
  const TPlannedRequest request = Request("Oven, zone=1");
  const host::TDataRecord record =
      Record("Press \"A\",1", 7, 10, kNoon,
             {{"COUNT", TVariant::OfI4(-42)},
              {"BIG", TVariant::OfUI4(4000000000u)},
              {"TEMP", TVariant::OfR4(21.5f)},
              {"RATIO", TVariant::OfR8(1e-20)},
              {"NAN", TVariant::OfR8(std::numeric_limits<double>::quiet_NaN())},
              {"INF", TVariant::OfR8(std::numeric_limits<double>::infinity())},
              {"RUN", TVariant::OfBool(true)},
              {"MSG", TVariant::OfAnsi("say \"hi\" \\ bye,=x\ny")},
              {"A KEY,WITH=SIGNS", TVariant::OfI2(1)},
              {"MISSING", TVariant::Null()}});
  const std::string line = plchost::InfluxLine(Delivered(record, &request));
  const TInfluxLine parsed = TInfluxParser(line).Parse();
  EXPECT_EQ(parsed.Measurement, "Oven, zone=1");
  EXPECT_EQ(parsed.Tags, (std::map<std::string, std::string>{
                             {"source", "Press \"A\",1"}, {"area", "DB"}, {"block", "10"}}));
  const std::map<std::string, std::pair<char, std::string>> fields = {
      {"COUNT", {'i', "-42"}},         {"BIG", {'i', "4000000000"}},
      {"TEMP", {'f', "21.5"}},         {"RATIO", {'f', "1e-20"}},
      {"RUN", {'b', "true"}},          {"MSG", {'s', "say \"hi\" \\ bye,=x y"}},
      {"A KEY,WITH=SIGNS", {'i', "1"}}};
  EXPECT_EQ(parsed.Fields, fields) << line;
  EXPECT_EQ(parsed.Timestamp, "1678881600123456789");

  // Flags carry no block; a record without a value that the protocol takes has no line.
  const host::TDataRecord flags = Record("PLC", 6, 0, kNoon, {{"MW0", TVariant::OfUI2(3)}});
  EXPECT_EQ(TInfluxParser(plchost::InfluxLine(Delivered(flags, nullptr))).Parse().Tags,
            (std::map<std::string, std::string>{{"source", "PLC"}, {"area", "M"}}));
  const host::TDataRecord empty = Record(
      "PLC", 7, 1, kNoon, {{"NAN", TVariant::OfR8(std::numeric_limits<double>::quiet_NaN())}});
  EXPECT_EQ(plchost::InfluxLine(Delivered(empty, &request)), "");
}

TEST(PlchostRecordViews, MqttMessagesCarryTheShownValuesUnderTheirTopic) {
  const TPlannedRequest request = Request("DB1/#2+", {{"DB1.DBX0.1", "RUN"}, {"T", "TEMP"}});
  const host::TDataRecord record =
      Record("Press/1", 7, 1, kNoon,
             {{"DB1.DBX0.0", TVariant::OfBool(false)},
              {"DB1.DBX0.1", TVariant::OfBool(true)},
              {"T", TVariant::OfR8(std::numeric_limits<double>::infinity())}});
  const TDeliveredRecord delivered = Delivered(record, &request);
  EXPECT_EQ(plchost::MqttTopic("plant/line", delivered), "plant/line/Press_1/DB1__2_");
  EXPECT_EQ(plchost::MqttPayload(delivered),
            "{\"time\":\"2023-03-15 12:00:00.000\",\"source\":\"Press/1\",\"request\":\"DB1/#2+\","
            "\"values\":{\"RUN\":true,\"TEMP\":null}}");
}

TEST(PlchostRecordViews, NonFiniteNumbersAreNanOrInfInTextAndNullInJson) {
  using plchost::CellOf;
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(CellOf(TVariant::OfR8(std::numeric_limits<double>::quiet_NaN())).Text, "nan");
  EXPECT_EQ(CellOf(TVariant::OfR8(inf)).Text, "inf");
  EXPECT_EQ(CellOf(TVariant::OfR4(-static_cast<float>(inf))).Text, "-inf");
  EXPECT_EQ(plchost::JsonValue(CellOf(TVariant::OfR8(inf))), "null");
  EXPECT_EQ(plchost::JsonValue(CellOf(TVariant::OfR8(2.5))), "2.5");
  const std::vector<plchost::TColumn> columns = {{"V", "V", false}};
  std::ostringstream csv;
  plchost::MakeRecordWriter(plchost::TOutputFormat::Csv, csv, columns)
      ->Write({CellOf(TVariant::OfR8(-inf))});
  EXPECT_EQ(csv.str(), "V\n-inf\n");
}

}  // namespace
