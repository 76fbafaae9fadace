#include "CommandLine.h"

#include <gtest/gtest.h>

namespace plcsim {
namespace {

TEST(CommandLine, DefaultsServeTheDemoOnLoopback) {
  const CommandLine options = ParseCommandLine({});
  EXPECT_EQ(options.server.address, "127.0.0.1");
  EXPECT_EQ(options.server.port, 10102);
  EXPECT_EQ(options.server.pdu, 960);
  EXPECT_EQ(options.server.maxClients, 64u);
  EXPECT_TRUE(options.configPath.empty());
  EXPECT_FALSE(options.quiet);
}

TEST(CommandLine, TakesEveryOption) {
  const CommandLine options =
      ParseCommandLine({"--port", "0", "--bind", "0.0.0.0", "--pdu", "240", "--config", "m.txt",
                        "--quiet", "--max-clients", "200"});
  EXPECT_EQ(options.server.port, 0);
  EXPECT_EQ(options.server.maxClients, 200u);
  EXPECT_EQ(options.server.address, "0.0.0.0");
  EXPECT_EQ(options.server.pdu, 240);
  EXPECT_EQ(options.configPath, "m.txt");
  EXPECT_TRUE(options.quiet);
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
}

// A gateway listens on its own port unless --port names another; --pty is for serial
// personalities only.
TEST(CommandLine, GatewaysListenOnTheirOwnPorts) {
  const struct {
    std::vector<std::string> arguments;
    uint16_t port;
  } cases[] = {{{"--protocol", "ibh"}, 1099},
               {{"--protocol", "ibhppi"}, 1099},
               {{"--protocol", "nlpro"}, 7777},
               {{"--port", "0", "--protocol", "ibh"}, 0},
               {{"--protocol", "nlpro", "--port", "4000"}, 4000}};
  for (const auto& c : cases) {
    EXPECT_EQ(ParseCommandLine(c.arguments).server.port, c.port) << c.arguments[1];
  }
  EXPECT_THROW(ParseCommandLine({"--protocol", "ibh", "--pty"}), UsageError);
}

TEST(CommandLine, RefusesNonsense) {
  const std::vector<std::vector<std::string>> mistakes = {
      {"--port"},     {"--port", "65536"},    {"--port", "-1"},          {"--port", "12x"},
      {"--port", ""}, {"--pdu", "1000"},      {"--pdu", "480k"},         {"--verbose"},
      {"102"},        {"--max-clients", "0"}, {"--max-clients", "4097"},
  };
  for (const std::vector<std::string>& arguments : mistakes) {
    EXPECT_THROW(ParseCommandLine(arguments), UsageError) << arguments.back();
  }
  try {
    ParseCommandLine({"--pdu", "1000"});
  } catch (const UsageError& error) {
    EXPECT_STREQ(error.what(), "--pdu takes 240, 480 or 960, not \"1000\"");
  }
}

}  // namespace
}  // namespace plcsim
