#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "HostSetup.h"
#include "Options.h"
#include "ProtocolNames.h"
#include "ReadOptions.h"

namespace {

using plchost::EUsage;
using plchost::ParseOptions;
using plchost::TOptions;

// The message of the usage error the arguments give; empty when they parse.
std::string UsageError(const std::vector<std::string>& arguments) {
  try {
    ParseOptions(arguments);
    return {};
  } catch (const EUsage& error) {
    return error.what();
  }
}

TEST(PlchostOptions, TakesAFullCommandLine) {
  const TOptions options = ParseOptions(
      {"--plc",        "10.0.0.5",   "--protocol",  "isotcp",      "--rack=0",
       "--slot",       "2",          "--requests",  "tree.xml",    "--ini",
       "s.ini",        "--section",  "M1",          "--source",    "7;Press;Press line 7",
       "--format",     "json",       "--output",    "out.jsonl",   "--count",
       "20",           "--duration", "1.5",         "--log-level", "warning",
       "--no-summary", "--packets",  "/debugnodave"});
  EXPECT_EQ(options.Channel.Kind, plchost::TChannelKind::Tcp);
  EXPECT_EQ(options.Channel.Host, "10.0.0.5");
  EXPECT_EQ(options.Channel.Port, 0);  // the protocol's own port
  EXPECT_EQ(options.Settings.Protocol, 5);
  EXPECT_EQ(options.Settings.CPURack, 0.0);
  EXPECT_EQ(options.Settings.CPUSlot, 2.0);
  EXPECT_EQ(options.Settings.RequestTreeFile, "tree.xml");
  EXPECT_EQ(options.IniFile, "s.ini");
  EXPECT_EQ(options.IniSectionPrefix, "M1");
  ASSERT_EQ(plchost::DataSourcesOf(options).size(), 1u);
  EXPECT_EQ(plchost::DataSourceId(plchost::DataSourcesOf(options)[0]), 7);
  EXPECT_EQ(options.Format, plchost::TOutputFormat::Json);
  EXPECT_EQ(options.Count, 20);
  EXPECT_EQ(options.Duration, 1.5);
  EXPECT_EQ(options.LogLevel, 1);
  EXPECT_FALSE(options.Summary);
  EXPECT_TRUE(options.Packets);
}

TEST(PlchostOptions, ReadsHostsPortsAndSerialLines) {
  EXPECT_EQ(ParseOptions({"--plc", "plc:1102", "--ini", "a"}).Channel.Port, 1102);
  const TOptions v6 = ParseOptions({"--plc", "[::1]:2000", "--ini", "a"});
  EXPECT_EQ(v6.Channel.Host, "::1");
  EXPECT_EQ(v6.Channel.Port, 2000);
  EXPECT_EQ(ParseOptions({"--plc", "fe80::1", "--ini", "a"}).Channel.Host, "fe80::1");
  const TOptions serial =
      ParseOptions({"--serial", "/dev/ttyS0", "--baud", "38400", "--parity", "odd", "--ini", "a"});
  EXPECT_EQ(serial.Channel.Device, "/dev/ttyS0");
  EXPECT_EQ(serial.Channel.Baud, 38400);
  EXPECT_EQ(serial.Channel.Parity, plchost::TParity::Odd);
  const TOptions overTcp = ParseOptions({"--serial-tcp", "moxa:4001", "--ini", "a"});
  EXPECT_EQ(overTcp.Channel.Kind, plchost::TChannelKind::SerialTcp);
  EXPECT_EQ(overTcp.Channel.Port, 4001);
  EXPECT_EQ(plchost::DataSourcesOf(overTcp), std::vector<std::string>{"1;PLC;PLC"});
}

TEST(PlchostOptions, RefusesBadInputWithAClearMessage) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--plc"}, "--plc needs a value"},
      {{"--plc", "h", "--ini", "a", "--bogus"}, "unknown option \"--bogus\""},
      {{"--plc", "h", "--ini", "a", "stray"}, "unexpected argument \"stray\""},
      {{"--plc", "h:99999", "--ini", "a"}, "--plc: 99999 is outside 1..65535"},
      {{"--plc", ":102", "--ini", "a"}, "--plc: the host is missing"},
      {{"--plc", "[::1", "--ini", "a"}, "--plc: \"[::1\" lacks its ']'"},
      {{"--serial-tcp", "moxa", "--ini", "a"}, "--serial-tcp: the port is missing (HOST:PORT)"},
      {{"--serial", "x", "--baud", "fast", "--ini", "a"}, "--baud: \"fast\" is not a whole number"},
      {{"--serial", "x", "--parity", "mark", "--ini", "a"},
       "--parity: \"mark\" is not odd, even or none"},
      {{"--plc", "h", "--requests", "t", "--slot", "2x"}, "--slot: \"2x\" is not a number"},
      {{"--plc", "h", "--requests", "t", "--rack", "nan"}, "--rack: \"nan\" is not a number"},
      {{"--plc", "h", "--requests", "t", "--rack", "256"}, "--rack: 256 is outside 0..255"},
      {{"--plc", "h", "--ini", "a", "--count", "0"}, "--count: 0 is outside 1.."},
      {{"--plc", "h", "--ini", "a", "--format", "xml"},
       "--format: \"xml\" is not table, wide, csv, json or influx"},
      {{"--plc", "h", "--ini", "a", "--source", "x;A;B"}, "--source: \"x\" is not a whole number"},
      {{"--plc", "h", "--ini", "a", "--source", "3;A"},
       "--source: \"3;A\" is not ID;NAME;FULL NAME"},
      {{"--plc", "h", "--ini", "a", "--source", "3;A;B", "--source", "3;C;D"},
       "--source: the id of \"3;C;D\" is given twice"},
      {{"--ini", "a"}, "no channel: give --plc, --serial or --serial-tcp"},
      {{"--requests", "t", "--protocol", "as511"}, "no channel"},
      {{"--plc", "h", "--serial", "x", "--ini", "a"}, "--serial: only one of"},
      {{"--plc", "h"}, "no values: give --read ADDR, --requests FILE"},
      {{"--plc", "h", "--read", "DB1.DBW"}, "--read \"DB1.DBW\": the byte address is missing"},
      {{"--plc", "h", "--read", "T1"}, "--read \"T1\": the plug-in reads no timers"},
      {{"--plc", "h", "--read", "MB0", "--read", "MB0"}, "--read: the name \"MB0\" is given twice"},
      {{"--plc", "h", "--read", "MB0", "--requests", "t"},
       "--read and --requests exclude each other"},
      {{"--plc", "h", "--read", "MB0", "--interval", "500"},
       "--interval: \"500\" is no interval such as 500ms"},
      {{"--plc", "h", "--read", "MB0", "--interval", "-1s"}, "--interval: \"-1s\" is no interval"},
      {{"--plc", "h", "--read", "MB0", "--interval", "0.1ms"},
       "--interval: 0.1ms is outside 1ms..596h"},
      {{"--plc", "h", "--read", "MB0", "--interval", "600h"},
       "--interval: 600h is outside 1ms..596h"},
      {{"--print-tree"}, "--print-tree needs --read"},
      {{"--serial", "x", "--probe"}, "--probe tries a TCP connection: give --plc HOST"},
      {{"--probe"}, "--probe tries a TCP connection"},
      {{"--plc", "h", "--ini", "a", "--username", "u"},
       "--username and --password-file belong to --mqtt"},
      {{"--plc", "h", "--ini", "a", "--qos", "2"}, "--qos: 2 is outside 0..1"},
      {{"--plc", "h", "--ini", "a", "--mqtt-buffer", "1"},
       "--mqtt-buffer: 1 is outside 2..1000000"},
      {{"--plc", "h", "--ini", "a", "--topic", "a/#"}, "--topic: \"a/#\" is no topic prefix"},
      {{"--plc", "h", "--registry", "\\Software\\X", "--slot", "1"},
       "--registry uses the settings as they stand"},
      {{"--plc", "h", "--registry", "R", "--ini", "a"}, "--registry and --ini exclude each other"},
      {{"--serial", "x", "--ini", "a", "--source", "1;A;A", "--source", "2;B;B"},
       "a serial port carries one data source only"},
      {{"--plc", "h", "--ini", "a", "--no-summary=1"}, "--no-summary takes no value"},
  };
  for (const auto& [arguments, expected] : cases) {
    const std::string message = UsageError(arguments);
    EXPECT_EQ(message.rfind(expected, 0), 0u) << "got: " << message << "\nexpected: " << expected;
  }
}

TEST(PlchostOptions, NamesTheKnownProtocolsForAnUnknownOne) {
  const std::string message =
      UsageError({"--plc", "h", "--requests", "t", "--protocol", "profinet"});
  EXPECT_NE(message.find("unknown protocol \"profinet\""), std::string::npos) << message;
  EXPECT_NE(message.find("isotcp"), std::string::npos) << message;
  EXPECT_NE(UsageError({"--plc", "h", "--requests", "t", "--protocol", "12"}), "");
  EXPECT_NE(UsageError({"--plc", "h", "--requests", "t", "--protocol", "-1"}), "");
}

TEST(PlchostOptions, FindsProtocolsByIndexShortNameOrDialogText) {
  EXPECT_EQ(plchost::ProtocolIndexOf("0"), 0);
  EXPECT_EQ(plchost::ProtocolIndexOf("11"), 11);
  EXPECT_EQ(plchost::ProtocolIndexOf("ISOTCP"), 5);
  EXPECT_EQ(plchost::ProtocolIndexOf("isotcp243"), 6);
  EXPECT_EQ(plchost::ProtocolIndexOf("iso over tcp"), 5);
  EXPECT_EQ(plchost::ProtocolIndexOf("S5 (via programming port)"), 10);
  EXPECT_EQ(plchost::ProtocolIndexOf("012"), -1);
  EXPECT_EQ(plchost::ProtocolIndexOf(""), -1);
  EXPECT_EQ(plchost::ProtocolShortName(8), "ibhppi");
}

TEST(PlchostOptions, S7onlineNeedsNoChannel) {
  const TOptions options = ParseOptions({"--protocol", "s7online", "--requests", "t"});
  EXPECT_EQ(options.Channel.Kind, plchost::TChannelKind::None);
  EXPECT_EQ(options.Settings.Protocol, 9);
}

// --plc HOST without a port reaches the protocol's own port; a given port stays.
TEST(PlchostOptions, TcpPortFollowsTheProtocolUnlessGiven) {
  const struct {
    const char* plc;
    const char* protocol;
    int port;
  } cases[] = {{"plc", "isotcp", 102},   {"plc", "isotcp243", 102}, {"plc", "ibh", 1099},
               {"plc", "ibhppi", 1099},  {"plc", "nlpro", 7777},    {"plc", "mpi", 102},
               {"plc:4000", "ibh", 4000}};
  for (const auto& c : cases) {
    const TOptions options =
        ParseOptions({"--plc", c.plc, "--protocol", c.protocol, "--requests", "t"});
    const int32_t protocol = plchost::ProtocolIndexOf(c.protocol);
    EXPECT_EQ(plchost::ResolvedChannel(options.Channel, protocol).Port, c.port)
        << c.plc << " " << c.protocol;
  }
}

TEST(PlchostOptions, ReadValuesBecomeATreeThatSpeaksIsoOverTcp) {
  const TOptions options = ParseOptions(
      {"--plc", "h", "--read", "DB1.DBW0:int=P", "--read", "M0.1", "--interval", "0.25s"});
  EXPECT_EQ(options.Reads.size(), 2u);
  EXPECT_EQ(options.IntervalMs, 250);
  EXPECT_EQ(options.ReadPlan.size(), 2u);
  EXPECT_EQ(options.Settings.Protocol, plchost::ProtocolIndexOf("isotcp"));
  EXPECT_NE(options.Settings.RequestTreeText.find("<PollInterval>250</PollInterval>"),
            std::string::npos);
  // A protocol given, or settings of an INI file, are kept.
  EXPECT_EQ(ParseOptions({"--plc", "h", "--read", "MB0", "--protocol", "ibh"}).Settings.Protocol,
            plchost::ProtocolIndexOf("ibh"));
  EXPECT_FALSE(ParseOptions({"--plc", "h", "--read", "MB0", "--ini", "a"}).Settings.Protocol);
  // The tree can be printed without a channel; the probe needs no values.
  EXPECT_TRUE(ParseOptions({"--read", "MB0", "--print-tree"}).PrintTree);
  EXPECT_TRUE(ParseOptions({"--plc", "h", "--probe"}).Probe);
  for (const auto& [text, ms] : std::vector<std::pair<std::string, int64_t>>{
           {"500ms", 500}, {"1s", 1000}, {"2m", 120000}, {"1h", 3600000}, {"1.5s", 1500}}) {
    EXPECT_EQ(plchost::ParseInterval(text), ms) << text;
  }
}

TEST(PlchostOptions, TakesTheMqttBroker) {
  if (!plchost::MqttAvailable()) {
    EXPECT_EQ(UsageError({"--plc", "h", "--ini", "a", "--mqtt", "b"}),
              "--mqtt: MQTT is not available in this build");
    return;
  }
  const TOptions options =
      ParseOptions({"--plc", "h", "--ini", "a", "--mqtt", "broker:8883", "--topic", "plant/1",
                    "--qos", "1", "--username", "u", "--password-file", "p", "--mqtt-buffer", "5"});
  EXPECT_EQ(options.Mqtt.Host, "broker");
  EXPECT_EQ(options.Mqtt.Port, 8883);
  EXPECT_EQ(options.Mqtt.TopicPrefix, "plant/1");
  EXPECT_EQ(options.Mqtt.Qos, 1);
  EXPECT_EQ(options.Mqtt.Username, "u");
  EXPECT_EQ(options.Mqtt.PasswordFile, "p");
  EXPECT_EQ(options.Mqtt.BufferRecords, 5u);
  EXPECT_EQ(ParseOptions({"--plc", "h", "--ini", "a", "--mqtt", "b"}).Mqtt.Port, 1883);
  EXPECT_EQ(UsageError({"--plc", "h", "--ini", "a", "--mqtt", "b", "--password-file", "p"}),
            "--password-file needs --username");
}

TEST(PlchostOptions, HelpNeedsNothingElse) { EXPECT_TRUE(ParseOptions({"--help"}).Help); }

}  // namespace
