#include "CommandLine.h"

#include <cstdlib>

namespace plcsim {

const char* const kUsage =
    "usage: plcsim [--port N] [--bind ADDR] [--pdu 240|480|960] [--config FILE] [--quiet]\n"
    "  --port N       TCP port to listen on (default 10102; 0 picks a free one)\n"
    "  --bind ADDR    IPv4 address to listen on (default 127.0.0.1)\n"
    "  --pdu N        largest PDU size agreed with clients (default 960)\n"
    "  --config FILE  memory description (default: the built-in demo memory)\n"
    "  --quiet        no line per connection\n";

namespace {

unsigned long WholeNumber(const std::string& option, const std::string& text, unsigned long max) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || text[0] == '-' || *end != '\0' || value > max) {
    throw UsageError(option + " takes a number from 0 to " + std::to_string(max) + ", not \"" +
                     text + "\"");
  }
  return value;
}

uint16_t PduSize(const std::string& text) {
  const unsigned long value = WholeNumber("--pdu", text, 65535);
  if (value != 240 && value != 480 && value != 960) {
    throw UsageError("--pdu takes 240, 480 or 960, not \"" + text + "\"");
  }
  return static_cast<uint16_t>(value);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine result;
  for (size_t k = 0; k < arguments.size(); ++k) {
    const std::string& option = arguments[k];
    if (option == "--quiet") {
      result.quiet = true;
      continue;
    }
    if (option == "--help" || option == "-h") {
      result.help = true;
      continue;
    }
    if (option != "--port" && option != "--bind" && option != "--pdu" && option != "--config") {
      throw UsageError("unknown option \"" + option + "\"");
    }
    if (k + 1 == arguments.size()) {
      throw UsageError(option + " needs a value");
    }
    const std::string& value = arguments[++k];
    if (option == "--port") {
      result.server.port = static_cast<uint16_t>(WholeNumber(option, value, 65535));
    } else if (option == "--bind") {
      result.server.address = value;
    } else if (option == "--pdu") {
      result.server.pdu = PduSize(value);
    } else {
      result.configPath = value;
    }
  }
  return result;
}

}  // namespace plcsim
