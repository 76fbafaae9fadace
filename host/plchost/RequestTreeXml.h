#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ReadPlan.h"

namespace plchost {

// A request's timeout when the tree is built from --read values (ms).
constexpr int32_t kReadTimeoutMs = 3000;

// The request tree of the planned requests, each polled every `intervalMs`,
// as UTF-8 XML text that the plug-in reads as a stored tree and a user can
// keep and edit. `origin` becomes the comment at its top.
std::string RequestTreeXml(const std::vector<TReadRequest>& requests, int64_t intervalMs,
                           const std::string& origin);

// Text with the five XML special characters written as entities.
std::string XmlEscaped(const std::string& text);

}  // namespace plchost
