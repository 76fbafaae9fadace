#include "ProtocolNames.h"

#include <array>
#include <cctype>

#include "plc/PluginDM_Protocols.h"

namespace plchost {

namespace {

// In the order of the plug-in's protocol list.
constexpr std::array<const char*, kProtocolCount> kShortNames = {
    "mpi",       "mpi2", "mpi3",   "mpi4",     "ppi",   "isotcp",
    "isotcp243", "ibh",  "ibhppi", "s7online", "as511", "nlpro"};

bool SameTextNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

int32_t IndexOfNumber(const std::string& text) {
  if (text.empty() || text.size() > 2) return -1;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
  }
  const int32_t index = std::stoi(text);
  return index < kProtocolCount ? index : -1;
}

}  // namespace

int32_t ProtocolIndexOf(const std::string& name) {
  const int32_t number = IndexOfNumber(name);
  if (number >= 0) return number;
  for (int32_t index = 0; index < kProtocolCount; ++index) {
    const auto slot = static_cast<size_t>(index);
    if (SameTextNoCase(name, kShortNames[slot]) ||
        SameTextNoCase(name, ProtocolTable()[slot].Text)) {
      return index;
    }
  }
  return -1;
}

std::string ProtocolShortNames() {
  std::string names;
  for (const char* name : kShortNames) {
    if (!names.empty()) names += ", ";
    names += name;
  }
  return names;
}

std::string ProtocolShortName(int32_t index) {
  if (index < 0 || index >= kProtocolCount) return "?";
  return kShortNames[static_cast<size_t>(index)];
}

bool NeedsNoChannel(int32_t index) {
  return index >= 0 && index < kProtocolCount &&
         ProtocolTable()[static_cast<size_t>(index)].Protocol == daveProtoS7Online;
}

}  // namespace plchost
