#include "ModuleInfo.h"

#include <cstring>
#include <vector>

namespace host {

namespace {

// A text the plug-in copied into the buffer; it must lie wholly inside it.
std::string TextInBuffer(const std::vector<uint8_t>& buffer, uintptr_t address, int32_t length) {
  if (length == 0) return {};
  const auto begin = reinterpret_cast<uintptr_t>(buffer.data());
  if (length < 0 || static_cast<size_t>(length) > buffer.size() ||
      address < begin + kModuleInfoSize ||
      address - begin > buffer.size() - static_cast<size_t>(length)) {
    throw EModuleInfo("module information: a text lies outside the buffer");
  }
  const size_t offset = address - begin;
  return std::string(buffer.begin() + offset, buffer.begin() + offset + length);
}

}  // namespace

TModuleInfo QueryModuleInfo(TGetModuleInfo getModuleInfo, TPluginCallRec& record) {
  int32_t size = 0;
  getModuleInfo(&record, nullptr, &size);
  if (size < kModuleInfoSize) throw EModuleInfo("module information: no size reported");
  std::vector<uint8_t> buffer(static_cast<size_t>(size));
  TPluginModuleInfo header{};
  header.Size = size;
  std::memcpy(buffer.data(), &header, sizeof header);
  auto* info = reinterpret_cast<TPluginModuleInfo*>(buffer.data());
  // The result is a one-byte Boolean: only the low byte counts.
  if ((getModuleInfo(&record, info, &size) & 0xFF) == 0) {
    throw EModuleInfo("module information: the plug-in refused the buffer");
  }
  std::memcpy(&header, buffer.data(), sizeof header);
  TModuleInfo result;
  result.TypeFlags = header.TypeFlags;
  result.InterfaceVersion = header.InterfaceVersion;
  result.ModuleVersion = header.ModuleVersion;
  result.InfoFlag = header.InfoFlag;
  result.Description = TextInBuffer(buffer, header.Description, header.DescriptionLength);
  result.CustomCommands = TextInBuffer(buffer, header.CustomCommands, header.CustomCommandsLength);
  return result;
}

}  // namespace host
