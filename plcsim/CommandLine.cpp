#include "CommandLine.h"

#include <cstdlib>

namespace plcsim {

namespace {

// One thread per connection: this many is far beyond any PLC's own limit.
constexpr unsigned long kMostClients = 4096;

const char* const kUsageHead =
    "usage: plcsim [--protocol NAME] [--port N] [--bind ADDR] [--pdu 240|480|960]\n"
    "              [--address N] [--baud N] [--pty] [--config FILE] [--faults PLAN] [--quiet]\n"
    "              [--rack N] [--slot N] [--max-clients N]\n"
    "  --protocol NAME  what the simulator is (default iso: an S7 CPU over ISO-on-TCP):\n";
const char* const kUsageTail =
    "  --port N       TCP port to listen on (default 10102, a gateway's own port for a\n"
    "                 gateway; 0 picks a free one); a serial personality takes each\n"
    "                 connection as its serial line, as a serial device server carries it\n"
    "  --bind ADDR    IPv4 address to listen on (default 127.0.0.1)\n"
    "  --pdu N        largest PDU size agreed with ISO-on-TCP clients (default 960)\n"
    "  --address N    the PLC's MPI/PPI address behind a serial line, adapter or gateway\n"
    "                 (default 2)\n"
    "  --baud N       simulate a serial line of N baud, 11 bits a character (default: none)\n"
    "  --pty          also serve a serial personality on a pseudo-terminal (path printed)\n"
    "  --config FILE  memory description (default: the built-in demo memory)\n"
    "  --quiet        no line per connection\n"
    "  --rack N       over ISO-on-TCP answer only connections calling rack N (0..7)\n"
    "  --slot N       and slot N (0..31), as a real CPU does; others are refused\n"
    "  --max-clients N  connections served at once (default 64; 1..4096); one more is\n"
    "                 refused and logged\n"
    "  --faults PLAN  inject faults into the ISO-on-TCP answers, each logged by its name;\n"
    "                 PLAN is a comma-separated list of KIND:RATE (a probability from\n"
    "                 0 to 1 per answer) or KIND:every:N (every N-th answer), in order of\n"
    "                 precedence, and of delay-ms:N (default 5000) and seed:N (default 1).\n"
    "                 KIND: drop (answer not sent), delay (answer sent after delay-ms),\n"
    "                 truncate (first half sent), length (S7 data length one too long),\n"
    "                 garbage (random bytes instead), reference (the previous job's\n"
    "                 reference), close (connection closed instead of answering), refuse\n"
    "                 (new connection closed at once; counted per connection).\n"
    "                 Example: --faults drop:0.1,close:every:50,seed:7\n";

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

size_t MaxClients(const std::string& text) {
  const unsigned long value = WholeNumber("--max-clients", text, kMostClients);
  if (value == 0) throw UsageError("--max-clients takes 1 to 4096, not \"" + text + "\"");
  return value;
}

void SetRackSlot(const std::string& option, const std::string& value, AcceptedRackSlot& accepted) {
  if (option == "--rack") {
    accepted.rack = static_cast<int>(WholeNumber(option, value, 7));
  } else {
    accepted.slot = static_cast<int>(WholeNumber(option, value, 31));
  }
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
  for (const char* name : {"--port", "--bind", "--pdu", "--config", "--protocol", "--address",
                           "--baud", "--faults", "--rack", "--slot", "--max-clients"}) {
    if (option == name) {
      return true;
    }
  }
  return false;
}

FaultPlan Faults(const std::string& text) {
  try {
    return ParseFaultPlan(text);
  } catch (const FaultPlanError& error) {
    throw UsageError(std::string("--faults: ") + error.what());
  }
}

void Check(const CommandLine& result) {
  const PersonalityKind* kind = result.server.personality;
  if (result.pty && (kind == nullptr || !kind->serial)) {
    throw UsageError("--pty needs a serial --protocol");
  }
  if (!result.server.faults.rules.empty() && kind != nullptr) {
    throw UsageError("--faults applies to ISO-on-TCP (--protocol iso) only");
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
  bool portGiven = false;
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
      portGiven = true;
    } else if (option == "--bind") {
      result.server.address = value;
    } else if (option == "--pdu") {
      result.server.pdu = PduSize(value);
    } else if (option == "--protocol") {
      SetProtocol(value, result);
    } else if (option == "--address") {
      result.server.plcAddress = static_cast<uint8_t>(WholeNumber(option, value, 126));
    } else if (option == "--rack" || option == "--slot") {
      SetRackSlot(option, value, result.server.accepted);
    } else if (option == "--baud") {
      result.server.baud = static_cast<uint32_t>(WholeNumber(option, value, 4000000));
    } else if (option == "--max-clients") {
      result.server.maxClients = MaxClients(value);
    } else if (option == "--faults") {
      result.server.faults = Faults(value);
    } else {
      result.configPath = value;
    }
  }
  Check(result);
  const PersonalityKind* kind = result.server.personality;
  if (!portGiven && kind != nullptr && kind->port != 0) {
    result.server.port = kind->port;
  }
  return result;
}

}  // namespace plcsim
