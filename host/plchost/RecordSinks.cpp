#include "RecordSinks.h"

#include "InfluxLine.h"
#include "MqttPublisher.h"
#include "ReadableTable.h"
#include "RecordColumns.h"
#include "RecordFormat.h"

namespace plchost {

namespace {

// Rows of a screen that the header leaves for values.
constexpr size_t kHeaderRows = 1;

// The formats with one column per value the plug-in lists.
class TColumnSink final : public IRecordSink {
 public:
  TColumnSink(TOutputFormat format, std::ostream& out, const std::string& parserItems, bool packets)
      : FColumns(parserItems, packets),
        FWriter(MakeRecordWriter(format, out, FColumns.Columns())) {}

  void Write(const TDeliveredRecord& record) override {
    FWriter->Write(FColumns.CellsOf(*record.Record));
  }

 private:
  TRecordColumns FColumns;
  std::unique_ptr<IRecordWriter> FWriter;
};

std::unique_ptr<IRecordSink> OutputSink(const TOptions& options, std::ostream& out,
                                        const std::string& parserItems, size_t screenRows) {
  switch (options.Format) {
    case TOutputFormat::Table:
      return std::make_unique<TReadableTable>(
          out, screenRows > kHeaderRows ? screenRows - kHeaderRows : 0);
    case TOutputFormat::Influx:
      return std::make_unique<TInfluxWriter>(out);
    default:
      return std::make_unique<TColumnSink>(options.Format, out, parserItems, options.Packets);
  }
}

}  // namespace

std::vector<std::unique_ptr<IRecordSink>> MakeRecordSinks(const TOptions& options,
                                                          std::ostream& out,
                                                          const std::string& parserItems,
                                                          size_t screenRows) {
  std::vector<std::unique_ptr<IRecordSink>> sinks;
  sinks.push_back(OutputSink(options, out, parserItems, screenRows));
  if (!options.Mqtt.Host.empty()) sinks.push_back(MakeMqttPublisher(options.Mqtt));
  return sinks;
}

}  // namespace plchost
