#include "Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include "ProtocolNames.h"
#include "ReadOptions.h"

namespace plchost {

const char* const kUsage =
    "usage: plchost CHANNEL [SETTINGS] [OUTPUT] [options]\n"
    "\n"
    "Channel (one of):\n"
    "  --plc HOST[:PORT]        TCP connection to the PLC or gateway (default port by\n"
    "                           protocol: 102 ISO, 1099 IBH-Link, 7777 NetLink-PRO)\n"
    "  --serial DEVICE          serial port (--baud N, default 9600;\n"
    "                           --parity odd|even|none, default even)\n"
    "  --serial-tcp HOST:PORT   serial line carried over TCP by a device server\n"
    "  (none for --protocol s7online: the vendor's S7onlinx.dll carries the bytes\n"
    "   through its access point S7ONLINE, set up in \"Set PG/PC interface\")\n"
    "\n"
    "Values (instead of a request tree):\n"
    "  --read ADDR[:TYPE][=NAME]  a value to read (repeatable): DB10.DBX4.3, DB10.DBW2,\n"
    "                           MW10, M0.1, IB0, QW0, PIW256, C5 ...; types bool, byte,\n"
    "                           int, word, dint, dword, real, lreal, char[N], string[N]\n"
    "  --interval T             how often they are read: 500ms, 1s, 2m ... (1s)\n"
    "  --print-tree             write their request tree (to keep or edit) and stop\n"
    "  --probe                  connect, report the PDU size, find the rack and slot\n"
    "                           that answer, and try the --read values\n"
    "\n"
    "Settings (written into the INI file; without --ini a temporary one):\n"
    "  --protocol NAME|INDEX    mpi, mpi2, mpi3, mpi4, ppi, isotcp, isotcp243, ibh,\n"
    "                           ibhppi, s7online, as511, nlpro, or 0..11\n"
    "  --rack N  --slot N  --local-address N  --remote-address N\n"
    "  --min-interval MS        minimal interval between data packets\n"
    "  --requests FILE          the request tree (XML)\n"
    "  --ini FILE               settings file: used as it stands, or written with\n"
    "                           the settings given\n"
    "  --section PREFIX         INI section prefix (section PREFIX.Common)\n"
    "  --registry PATH          settings used as they stand in this registry key\n"
    "\n"
    "Host:\n"
    "  --plugin PATH            the plug-in (default: beside plchost)\n"
    "  --source ID;NAME;FULL    a data source (repeatable; default 1;PLC;PLC)\n"
    "  --format table|wide|csv|json|influx  record output (default table: per\n"
    "                           record its time, request and values; wide: every\n"
    "                           column; influx: InfluxDB line protocol)\n"
    "  --output FILE            records into FILE instead of standard output\n"
    "  --packets                also print the raw packet fields\n"
    "  --log-level error|warning|info   plug-in log lines shown (default info)\n"
    "  --count N                stop after N records\n"
    "  --duration S             stop after S seconds\n"
    "  --connect-timeout S      give up when the first connection takes longer (10)\n"
    "  --answer-timeout S       give up when no record comes S seconds after\n"
    "                           connecting (60; 0 waits for ever)\n"
    "  --no-summary             no live summary on a terminal\n"
    "  --mqtt HOST[:PORT]       also publish each record as JSON to an MQTT broker\n"
    "                           (port 1883), topic PREFIX/SOURCE/REQUEST\n"
    "  --topic PREFIX           topic prefix (plchost)\n"
    "  --qos 0|1                MQTT quality of service (0)\n"
    "  --username U --password-file F   broker login (the password is the file's\n"
    "                           first line)\n"
    "  --mqtt-buffer N          records kept while the broker is away (1000); then\n"
    "                           the oldest are dropped\n"
    "  /debugnodave             the protocol library's trace in the plug-in's log\n"
    "  --help\n";

namespace {

constexpr char kDebugNoDaveSwitch[] = "/debugnodave";

using TValueHandler = std::function<void(TOptions&, const std::string&)>;

double ParseNumber(const std::string& option, const std::string& text, double min, double max) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE ||
      !std::isfinite(value)) {
    throw EUsage(option + ": \"" + text + "\" is not a number");
  }
  if (value < min || value > max) {
    throw EUsage(option + ": " + text + " is outside " + std::to_string(static_cast<int64_t>(min)) +
                 ".." + std::to_string(static_cast<int64_t>(max)));
  }
  return value;
}

int64_t ParseInteger(const std::string& option, const std::string& text, int64_t min, int64_t max) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE) {
    throw EUsage(option + ": \"" + text + "\" is not a whole number");
  }
  if (value < min || value > max) {
    throw EUsage(option + ": " + text + " is outside " + std::to_string(min) + ".." +
                 std::to_string(max));
  }
  return value;
}

int ParsePort(const std::string& option, const std::string& text) {
  return static_cast<int>(ParseInteger(option, text, 1, 65535));
}

// HOST, HOST:PORT, [ADDRESS] or [ADDRESS]:PORT; a bare address with several
// colons is an IPv6 address without a port.
void ParseHostPort(const std::string& option, const std::string& text, bool portRequired,
                   TChannelOptions& channel) {
  std::string host = text;
  std::string port;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string::npos) throw EUsage(option + ": \"" + text + "\" lacks its ']'");
    host = text.substr(1, close - 1);
    if (close + 1 < text.size()) {
      if (text[close + 1] != ':') throw EUsage(option + ": \"" + text + "\" is no HOST:PORT");
      port = text.substr(close + 2);
    }
  } else if (const size_t colon = text.rfind(':');
             colon != std::string::npos && text.find(':') == colon) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (host.empty()) throw EUsage(option + ": the host is missing");
  if (port.empty() && portRequired) throw EUsage(option + ": the port is missing (HOST:PORT)");
  channel.Host = host;
  if (!port.empty()) channel.Port = ParsePort(option, port);
}

void SetChannel(TOptions& options, const std::string& option, TChannelKind kind) {
  if (options.Channel.Kind != TChannelKind::None) {
    throw EUsage(option + ": only one of --plc, --serial and --serial-tcp may be given");
  }
  options.Channel.Kind = kind;
}

TParity ParityOf(const std::string& text) {
  if (text == "odd") return TParity::Odd;
  if (text == "even") return TParity::Even;
  if (text == "none") return TParity::None;
  throw EUsage("--parity: \"" + text + "\" is not odd, even or none");
}

TOutputFormat FormatOf(const std::string& text) {
  if (text == "table") return TOutputFormat::Table;
  if (text == "wide") return TOutputFormat::Wide;
  if (text == "csv") return TOutputFormat::Csv;
  if (text == "json") return TOutputFormat::Json;
  if (text == "influx") return TOutputFormat::Influx;
  throw EUsage("--format: \"" + text + "\" is not table, wide, csv, json or influx");
}

int LogLevelOf(const std::string& text) {
  if (text == "error") return 0;
  if (text == "warning") return 1;
  if (text == "info") return 2;
  throw EUsage("--log-level: \"" + text + "\" is not error, warning or info");
}

int32_t ProtocolOf(const std::string& text) {
  const int32_t index = ProtocolIndexOf(text);
  if (index < 0) {
    throw EUsage("--protocol: unknown protocol \"" + text + "\"; known: " + ProtocolShortNames() +
                 " or 0..11");
  }
  return index;
}

// The fields of a data source line; its id must be a whole number from 0.
std::string CheckedSource(const std::string& text) {
  const size_t first = text.find(';');
  const std::string id = text.substr(0, first);
  ParseInteger("--source", id, 0, std::numeric_limits<int32_t>::max());
  if (first == std::string::npos || text.find(';', first + 1) == std::string::npos) {
    throw EUsage("--source: \"" + text + "\" is not ID;NAME;FULL NAME");
  }
  if (text.find_first_of("\r\n") != std::string::npos) {
    throw EUsage("--source: a data source is one line");
  }
  return text;
}

const std::map<std::string, TValueHandler>& ValueOptions() {
  static const std::map<std::string, TValueHandler> handlers = {
      {"--plc",
       [](TOptions& o, const std::string& v) {
         SetChannel(o, "--plc", TChannelKind::Tcp);
         ParseHostPort("--plc", v, false, o.Channel);
       }},
      {"--serial",
       [](TOptions& o, const std::string& v) {
         SetChannel(o, "--serial", TChannelKind::Serial);
         if (v.empty()) throw EUsage("--serial: the device is missing");
         o.Channel.Device = v;
       }},
      {"--serial-tcp",
       [](TOptions& o, const std::string& v) {
         SetChannel(o, "--serial-tcp", TChannelKind::SerialTcp);
         ParseHostPort("--serial-tcp", v, true, o.Channel);
       }},
      {"--baud",
       [](TOptions& o, const std::string& v) {
         o.Channel.Baud = static_cast<int>(ParseInteger("--baud", v, 50, 4000000));
       }},
      {"--parity", [](TOptions& o, const std::string& v) { o.Channel.Parity = ParityOf(v); }},
      {"--protocol",
       [](TOptions& o, const std::string& v) { o.Settings.Protocol = ProtocolOf(v); }},
      {"--rack",
       [](TOptions& o, const std::string& v) {
         o.Settings.CPURack = ParseNumber("--rack", v, 0, 255);
       }},
      {"--slot",
       [](TOptions& o, const std::string& v) {
         o.Settings.CPUSlot = ParseNumber("--slot", v, 0, 32);
       }},
      {"--local-address",
       [](TOptions& o, const std::string& v) {
         o.Settings.LocalAddress = ParseNumber("--local-address", v, 0, 65535);
       }},
      {"--remote-address",
       [](TOptions& o, const std::string& v) {
         o.Settings.RemoteAddress = ParseNumber("--remote-address", v, 0, 65535);
       }},
      {"--min-interval",
       [](TOptions& o, const std::string& v) {
         o.Settings.MinInterval = ParseNumber("--min-interval", v, 0, 65535);
       }},
      {"--requests",
       [](TOptions& o, const std::string& v) {
         if (v.empty()) throw EUsage("--requests: the file name is missing");
         o.Settings.RequestTreeFile = v;
       }},
      {"--ini", [](TOptions& o, const std::string& v) { o.IniFile = v; }},
      {"--section", [](TOptions& o, const std::string& v) { o.IniSectionPrefix = v; }},
      {"--registry", [](TOptions& o, const std::string& v) { o.RegistryPath = v; }},
      {"--plugin", [](TOptions& o, const std::string& v) { o.PluginPath = v; }},
      {"--source",
       [](TOptions& o, const std::string& v) { o.DataSources.push_back(CheckedSource(v)); }},
      {"--format", [](TOptions& o, const std::string& v) { o.Format = FormatOf(v); }},
      {"--output", [](TOptions& o, const std::string& v) { o.OutputFile = v; }},
      {"--log-level", [](TOptions& o, const std::string& v) { o.LogLevel = LogLevelOf(v); }},
      {"--count",
       [](TOptions& o, const std::string& v) {
         o.Count = ParseInteger("--count", v, 1, std::numeric_limits<int64_t>::max());
       }},
      {"--duration",
       [](TOptions& o, const std::string& v) {
         o.Duration = ParseNumber("--duration", v, 0.001, 1e9);
       }},
      {"--connect-timeout",
       [](TOptions& o, const std::string& v) {
         o.ConnectTimeout = ParseNumber("--connect-timeout", v, 0.001, 1e9);
       }},
      {"--read",
       [](TOptions& o, const std::string& v) {
         try {
           o.Reads.push_back(ParseReadValue(v));
         } catch (const EAddress& error) {
           throw EUsage(error.what());
         }
       }},
      {"--interval", [](TOptions& o, const std::string& v) { o.IntervalMs = ParseInterval(v); }},
      {"--mqtt",
       [](TOptions& o, const std::string& v) {
         TChannelOptions broker;
         broker.Port = o.Mqtt.Port;
         ParseHostPort("--mqtt", v, false, broker);
         o.Mqtt.Host = broker.Host;
         o.Mqtt.Port = broker.Port;
       }},
      {"--topic",
       [](TOptions& o, const std::string& v) {
         if (v.empty() || v.find_first_of("+#") != std::string::npos) {
           throw EUsage("--topic: \"" + v + "\" is no topic prefix (not empty, no + or #)");
         }
         o.Mqtt.TopicPrefix = v;
       }},
      {"--qos",
       [](TOptions& o, const std::string& v) {
         o.Mqtt.Qos = static_cast<int>(ParseInteger("--qos", v, 0, 1));
       }},
      {"--username", [](TOptions& o, const std::string& v) { o.Mqtt.Username = v; }},
      {"--password-file", [](TOptions& o, const std::string& v) { o.Mqtt.PasswordFile = v; }},
      {"--mqtt-buffer",
       [](TOptions& o, const std::string& v) {
         o.Mqtt.BufferRecords = static_cast<size_t>(ParseInteger("--mqtt-buffer", v, 2, 1000000));
       }},
      {"--answer-timeout",
       [](TOptions& o, const std::string& v) {
         o.AnswerTimeout = ParseNumber("--answer-timeout", v, 0, 1e9);
       }},
  };
  return handlers;
}

const std::map<std::string, std::function<void(TOptions&)>>& FlagOptions() {
  static const std::map<std::string, std::function<void(TOptions&)>> flags = {
      {"--help", [](TOptions& o) { o.Help = true; }},
      {"-h", [](TOptions& o) { o.Help = true; }},
      {"--packets", [](TOptions& o) { o.Packets = true; }},
      {"--no-summary", [](TOptions& o) { o.Summary = false; }},
      {"--print-tree", [](TOptions& o) { o.PrintTree = true; }},
      {"--probe", [](TOptions& o) { o.Probe = true; }},
  };
  return flags;
}

// Takes one option (with its value from "=" or the next argument); returns
// the index of the next argument.
size_t TakeOption(const std::vector<std::string>& arguments, size_t index, TOptions& options) {
  const std::string& argument = arguments[index];
  const size_t equals = argument.find('=');
  const std::string name = argument.substr(0, equals);
  if (const auto flag = FlagOptions().find(name); flag != FlagOptions().end()) {
    if (equals != std::string::npos) throw EUsage(name + " takes no value");
    flag->second(options);
    return index + 1;
  }
  const auto handler = ValueOptions().find(name);
  if (handler == ValueOptions().end()) throw EUsage("unknown option \"" + argument + "\"");
  if (equals != std::string::npos) {
    handler->second(options, argument.substr(equals + 1));
    return index + 1;
  }
  if (index + 1 >= arguments.size()) throw EUsage(name + " needs a value");
  handler->second(options, arguments[index + 1]);
  return index + 2;
}

void CheckReadCombination(const TOptions& options) {
  if (!options.Reads.empty() && !options.Settings.RequestTreeFile.empty()) {
    throw EUsage("--read and --requests exclude each other");
  }
  if (options.PrintTree && options.Reads.empty()) throw EUsage("--print-tree needs --read");
  if (options.Probe && options.Channel.Kind != TChannelKind::Tcp) {
    throw EUsage("--probe tries a TCP connection: give --plc HOST");
  }
}

void CheckMqttCombination(const TMqttOptions& mqtt) {
  if (mqtt.Host.empty()) {
    if (!mqtt.Username.empty() || !mqtt.PasswordFile.empty()) {
      throw EUsage("--username and --password-file belong to --mqtt");
    }
    return;
  }
  if (!MqttAvailable()) throw EUsage("--mqtt: MQTT is not available in this build");
  if (!mqtt.PasswordFile.empty() && mqtt.Username.empty()) {
    throw EUsage("--password-file needs --username");
  }
}

void CheckCombination(const TOptions& options) {
  CheckReadCombination(options);
  CheckMqttCombination(options.Mqtt);
  if (options.PrintTree || options.Probe) return;
  if (options.Channel.Kind == TChannelKind::None &&
      !(options.Settings.Protocol && NeedsNoChannel(*options.Settings.Protocol))) {
    throw EUsage("no channel: give --plc, --serial or --serial-tcp");
  }
  if (!options.RegistryPath.empty() && !options.IniFile.empty()) {
    throw EUsage("--registry and --ini exclude each other");
  }
  if (!options.RegistryPath.empty() && options.Settings.Any()) {
    throw EUsage("--registry uses the settings as they stand; settings are written only to --ini");
  }
  if (options.RegistryPath.empty() && options.IniFile.empty() &&
      options.Settings.RequestTreeFile.empty() && options.Reads.empty()) {
    throw EUsage("no values: give --read ADDR, --requests FILE, --ini FILE or --registry PATH");
  }
  if (options.Channel.Kind == TChannelKind::Serial && options.DataSources.size() > 1) {
    throw EUsage("a serial port carries one data source only");
  }
  std::set<int32_t> ids;
  for (const std::string& line : options.DataSources) {
    if (!ids.insert(DataSourceId(line)).second) {
      throw EUsage("--source: the id of \"" + line + "\" is given twice");
    }
  }
}

}  // namespace

bool TSettingsValues::Any() const {
  return Protocol || CPURack || CPUSlot || LocalAddress || RemoteAddress || MinInterval ||
         !RequestTreeFile.empty() || !RequestTreeText.empty();
}

TOptions ParseOptions(const std::vector<std::string>& arguments) {
  TOptions options;
  for (size_t index = 0; index < arguments.size();) {
    // The plug-in reads this switch from the process's command line itself.
    if (arguments[index] == kDebugNoDaveSwitch) {
      ++index;
      continue;
    }
    if (arguments[index].rfind('-', 0) != 0) {
      throw EUsage("unexpected argument \"" + arguments[index] + "\"");
    }
    index = TakeOption(arguments, index, options);
  }
  if (!options.Help) {
    PlanReads(options);
    CheckCombination(options);
  }
  return options;
}

std::vector<std::string> DataSourcesOf(const TOptions& options) {
  if (options.DataSources.empty()) return {"1;PLC;PLC"};
  return options.DataSources;
}

int32_t DataSourceId(const std::string& line) {
  return static_cast<int32_t>(std::strtol(line.c_str(), nullptr, 10));
}

}  // namespace plchost
