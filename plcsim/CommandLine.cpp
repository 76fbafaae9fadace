#include "CommandLine.h"

#include <cstdlib>

namespace plcsim {

namespace {

const char* const kUsageHead =
    "usage: plcsim [--protocol NAME] [--port N] [--bind ADDR] [--pdu 240|480|960]\n"
    "              [--address N] [--baud N] [--pty] [--config FILE] [--quiet]\n"
    "  --protocol NAME  what the simulator is (default iso: an S7 CPU over ISO-on-TCP):\n";
const char* const kUsageTail =
    "  --port N       TCP port to listen on (default 10102; 0 picks a free one); a serial\n"
    "                 personality takes each connection as its serial line, as a serial\n"
    "                 device server carries it\n"
    "  --bind ADDR    IPv4 address to listen on (default 127.0.0.1)\n"
    "  --pdu N        largest PDU size agreed with ISO-on-TCP clients (default 960)\n"
    "  --address N    the PLC's MPI/PPI address behind a serial line, adapter or gateway\n"
    "                 (default 2)\n"
    "  --baud N       simulate a serial line of N baud, 11 bits a character (default: none)\n"
    "  --pty          also serve a serial personality on a pseudo-terminal (path printed)\n"
    "  --config FILE  memory description (default: the built-in demo memory)\n"
    "  --quiet        no line per connection\n";

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

void SetProtocol(const std::string& name, CommandLine& result) {
  if (name == "iso") {
    result.server.personality = nullptr;
    return;
  }
  result.server.personality = FindPersonality(name);
  if (result.server.personality == nullptr) {
    throw UsageError("unknown protocol \"" + name + "\"");
  }
}

bool TakesValue(const std::string& option) {
  for (const char* name :
       {"--port", "--bind", "--pdu", "--config", "--protocol", "--address", "--baud"}) {
    if (option == name) {
      return true;
    }
  }
  return false;
}

void Check(const CommandLine& result) {
  const PersonalityKind* kind = result.server.personality;
  if (result.pty && (kind == nullptr || !kind->serial)) {
    throw UsageError("--pty needs a serial --protocol");
  }
}

}  // namespace

std::string Usage() {
  std::string text = kUsageHead;
  for (const PersonalityKind& kind : PersonalityKinds()) {
    text += "                   " + std::string(kind.name) + ": " + kind.description + "\n";
  }
  return text + kUsageTail;
}

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
    if (option == "--pty") {
      result.pty = true;
      continue;
    }
    if (!TakesValue(option)) {
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
    } else if (option == "--protocol") {
      SetProtocol(value, result);
    } else if (option == "--address") {
      result.server.plcAddress = static_cast<uint8_t>(WholeNumber(option, value, 126));
    } else if (option == "--baud") {
      result.server.baud = static_cast<uint32_t>(WholeNumber(option, value, 4000000));
    } else {
      result.configPath = value;
    }
  }
  Check(result);
  return result;
}

}  // namespace plcsim
