#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "MqttOptions.h"
#include "ReadAddress.h"
#include "ReadPlan.h"

namespace plchost {

// A command line that cannot be taken; the message names the option.
class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TChannelKind { None, Tcp, Serial, SerialTcp };
enum class TParity { None, Odd, Even };
enum class TOutputFormat { Table, Wide, Csv, Json, Influx };

// The channel to the PLC that the host owns.
struct TChannelOptions {
  TChannelKind Kind = TChannelKind::None;
  std::string Host;    // Tcp, SerialTcp
  int Port = 0;        // Tcp: 0 for the protocol's own port (ResolvedChannel)
  std::string Device;  // Serial
  int Baud = 9600;
  TParity Parity = TParity::Even;
};

// Settings the host writes for the plug-in; what is not given keeps the value
// already stored (or the plug-in's default).
struct TSettingsValues {
  std::optional<int32_t> Protocol;  // index into the protocol list
  std::optional<double> CPURack;
  std::optional<double> CPUSlot;
  std::optional<double> LocalAddress;
  std::optional<double> RemoteAddress;
  std::optional<double> MinInterval;
  std::string RequestTreeFile;  // empty: keep the stored tree
  std::string RequestTreeText;  // the tree built from --read (UTF-8); empty: none

  bool Any() const;
};

struct TOptions {
  bool Help = false;
  std::string PluginPath;  // empty: beside the program
  TChannelOptions Channel;
  TSettingsValues Settings;
  std::string IniFile;  // the settings file to use or to write
  std::string IniSectionPrefix;
  std::string RegistryPath;  // settings used as they stand in the registry
  // "ID;NAME;FULL NAME" lines; one default source when none is given.
  std::vector<std::string> DataSources;
  TOutputFormat Format = TOutputFormat::Table;
  std::string OutputFile;      // empty: standard output
  bool Packets = false;        // also print the raw packet fields
  int LogLevel = 2;            // the highest level printed: 0 error, 1 warning, 2 information
  int64_t Count = 0;           // stop after this many records; 0: no limit
  double Duration = 0;         // stop after this many seconds; 0: no limit
  double ConnectTimeout = 10;  // seconds the first connection may take
  double AnswerTimeout = 60;   // seconds the first record may take once connected; 0: wait
  bool Summary = true;
  std::vector<TReadValue> Reads;       // --read, in order
  int64_t IntervalMs = 1000;           // --interval of the --read values
  std::vector<TReadRequest> ReadPlan;  // the --read values packed into requests
  bool PrintTree = false;              // write the tree of --read and stop
  bool Probe = false;                  // try the connection instead of collecting
  TMqttOptions Mqtt;
};

extern const char* const kUsage;

// `arguments` without the program name; EUsage for anything it does not take.
TOptions ParseOptions(const std::vector<std::string>& arguments);

// The data sources given, or the default one "1;PLC;PLC".
std::vector<std::string> DataSourcesOf(const TOptions& options);

// The id of a data source line (its first field).
int32_t DataSourceId(const std::string& line);

}  // namespace plchost
