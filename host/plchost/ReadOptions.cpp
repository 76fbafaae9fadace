#include "ReadOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "ProtocolNames.h"
#include "RequestTreeXml.h"

namespace plchost {

namespace {

struct TUnit {
  const char* Suffix;
  double Ms;
};

// Longer suffixes first, so that "ms" is not read as "s".
constexpr TUnit kUnits[] = {{"ms", 1}, {"s", 1000}, {"m", 60000}, {"h", 3600000}};

std::string ReadOrigin(const TOptions& options) {
  std::string origin = "Built by plchost from the values read:";
  for (const TReadValue& value : options.Reads) {
    origin += " " + value.Address + ":" + TypeName(value);
    if (value.Name != value.Address) origin += "=" + value.Name;
  }
  return origin + "; every " + std::to_string(options.IntervalMs) + " ms";
}

}  // namespace

int64_t ParseInterval(const std::string& text) {
  for (const TUnit& unit : kUnits) {
    const std::string suffix = unit.Suffix;
    if (text.size() <= suffix.size() ||
        text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::string number = text.substr(0, text.size() - suffix.size());
    char* end = nullptr;
    errno = 0;
    const double count = std::strtod(number.c_str(), &end);
    const double ms = std::round(count * unit.Ms);
    if (end != number.c_str() + number.size() || errno == ERANGE || !std::isfinite(ms) ||
        number.front() == '-' || number.front() == '+') {
      break;
    }
    if (ms < 1 || ms > std::numeric_limits<int32_t>::max()) {
      throw EUsage("--interval: " + text + " is outside 1ms..596h");
    }
    return static_cast<int64_t>(ms);
  }
  throw EUsage("--interval: \"" + text + "\" is no interval such as 500ms, 1s, 2m or 1h");
}

void PlanReads(TOptions& options) {
  if (options.Reads.empty()) return;
  try {
    options.ReadPlan = PackReads(options.Reads);
  } catch (const EAddress& error) {
    throw EUsage(error.what());
  }
  options.Settings.RequestTreeText =
      RequestTreeXml(options.ReadPlan, options.IntervalMs, ReadOrigin(options));
  if (!options.Settings.Protocol && options.IniFile.empty() &&
      options.Channel.Kind == TChannelKind::Tcp) {
    options.Settings.Protocol = ProtocolIndexOf("isotcp");
  }
}

}  // namespace plchost
