#include "plc/PluginDM_RequestLimits.h"

#include <limits>
#include <string>

namespace {

void Warn(const TSettingsLog& log, const TRequestItem& request, const std::string& text) {
  if (log) log(TLogLevel::Warning, request.Name + ": " + text);
}

// The value within low..high; a value outside is logged with what is used instead.
int64_t Limited(const TSettingsLog& log, const TRequestItem& request, const char* what,
                int64_t value, int64_t low, int64_t high) {
  const int64_t limited = value < low ? low : value > high ? high : value;
  if (limited != value) {
    Warn(log, request,
         std::string(what) + " " + std::to_string(value) + " taken as " + std::to_string(limited));
  }
  return limited;
}

void LimitSize(TRequestItem& request, const TSettingsLog& log) {
  int32_t& size = request.Params.Size;
  if (size < 1) {
    Warn(log, request,
         "read size " + std::to_string(size) + " is empty; the request is never sent");
    size = 0;
    request.Enabled = false;
  } else {
    size = static_cast<int32_t>(Limited(log, request, "read size", size, 1, kResponseBufferSize));
  }
}

}  // namespace

int32_t LimitPollInterval(const TRequestItem& request, int64_t interval, const TSettingsLog& log) {
  return static_cast<int32_t>(Limited(log, request, "poll interval (ms)", interval, 1,
                                      std::numeric_limits<int32_t>::max()));
}

void LimitRequest(TRequestItem& request, const TSettingsLog& log) {
  request.Params.Timeout =
      static_cast<int32_t>(Limited(log, request, "timeout (ms)", request.Params.Timeout, 1,
                                   std::numeric_limits<int32_t>::max()));
  LimitSize(request, log);
  for (TResponseItem& item : request.Items) {
    item.Count =
        static_cast<int32_t>(Limited(log, request, ("count of " + item.Name).c_str(), item.Count,
                                     std::numeric_limits<int32_t>::min(), kMaxItemCount));
  }
}
