#include "moxModuleInfo.h"

#include <cstring>
#include <string>

#include "moxPluginModule.h"
#include "platform/CodePage.h"

namespace {

constexpr uint32_t kInterfaceVersion = 4;

struct TPlacedText {
  int32_t Length = 0;
  uintptr_t Pointer = 0;
};

// Copies a text behind the fixed part; an empty text has no place.
TPlacedText PlaceText(const std::string& text, uint8_t*& cursor) {
  if (text.empty()) return {};
  std::memcpy(cursor, text.data(), text.size());
  const TPlacedText placed{static_cast<int32_t>(text.size()), reinterpret_cast<uintptr_t>(cursor)};
  cursor += text.size();
  return placed;
}

}  // namespace

bool FillModuleInfo(TmoxPlugin& module, TPluginModuleInfo* info, int32_t& size) {
  const std::string description = platform::WideToUtf8(platform::AnsiToWide(module.Description));
  const std::string commands =
      platform::WideToUtf8(platform::AnsiToWide(module.CustomCommands().AsText()));
  size = kModuleInfoSize + static_cast<int32_t>(description.size() + commands.size());
  if (info == nullptr || info->Size < kModuleInfoSize) return false;
  const int32_t capacity = info->Size;
  std::memset(info, 0, sizeof *info);
  info->Size = capacity;
  info->TypeFlags = module.ModuleType | (static_cast<uint32_t>(module.Capabilities & 0x07) << 16);
  info->InterfaceVersion = kInterfaceVersion;
  info->ModuleVersion = module.ModuleVersion;
  info->InfoFlag = module.InfoFlag;
  if (size > capacity) return false;
  uint8_t* cursor = reinterpret_cast<uint8_t*>(info) + kModuleInfoSize;
  const TPlacedText placedDescription = PlaceText(description, cursor);
  const TPlacedText placedCommands = PlaceText(commands, cursor);
  info->DescriptionLength = placedDescription.Length;
  info->Description = placedDescription.Pointer;
  info->CustomCommandsLength = placedCommands.Length;
  info->CustomCommands = placedCommands.Pointer;
  return true;
}
