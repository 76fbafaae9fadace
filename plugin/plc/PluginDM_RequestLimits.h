#pragma once

#include <cstdint>

#include "plc/PluginDM_RequestItems.h"
#include "settings/moxSettingsStore.h"

// What the engine can serve: the request tree takes values as they come, and
// these limits bring a built request within them. Each adjustment is logged as
// a warning, once per build.

// The most values one response item delivers: every bit of a full response.
constexpr int32_t kMaxItemCount = kResponseBufferSize * 8;

// A poll interval in milliseconds, computed wide: below 1 ms gives 1 ms, and
// beyond the 32-bit range its largest value (about 24.8 days), never a wrapped one.
int32_t LimitPollInterval(const TRequestItem& request, int64_t interval, const TSettingsLog& log);

// Timeout below 1 ms gives 1 ms. A size below 1 is an empty read: the size
// becomes 0 and the request is disabled, so it is never sent. A size beyond
// the response buffer is shortened to it. A count beyond kMaxItemCount is
// lowered to it.
void LimitRequest(TRequestItem& request, const TSettingsLog& log);
