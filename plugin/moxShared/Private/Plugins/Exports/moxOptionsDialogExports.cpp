// The options-dialog exports: the dialog packet for the host to draw, and the
// module's reaction after the host showed it.
#include <exception>

#include "moxShared/Private/Plugins/Exports/moxPluginExports.h"
#include "moxShared/Private/Plugins/moxOptionsDialog.h"
#include "moxShared/Private/Plugins/moxPluginCallRecIntf.h"
#include "moxShared/Private/Plugins/moxPluginRegistry.h"

namespace {

enum : uintptr_t {
  kDialogUnknownInstance = 1,
  kDialogNoResources = 2,
  kDialogBufferTooSmall = 3,
};

void SetOutData(TPluginCallRec& record, uint8_t kind, int32_t length, uintptr_t value) {
  record.OutData.Kind = kind;
  record.OutData.Length = length;
  record.OutData.Ptr = value;
}

}  // namespace

extern "C" {

MOX_PLUGIN_EXPORT void MOX_STDCALL_EXPORT GetOptionsDialog(TPluginCallRec* record) {
  if (record == nullptr) return;
  SetOutData(*record, kSlotCount, 0, kDialogUnknownInstance);
  TPluginRegistry* registry = TPluginRegistry::Instance();
  if (registry == nullptr || registry->Find(record->Instance) == nullptr) return;
  try {
    const std::string name = RequestedFormName(record->InData);
    const std::string packet = BuildDialogPacket(name);
    if (packet.empty()) {
      record->OutData.Ptr = kDialogNoResources;
    } else if (record->InData.Ptr == 0 || record->InData.Length < 0 ||
               static_cast<size_t>(record->InData.Length) < packet.size()) {
      record->OutData.Ptr = kDialogBufferTooSmall;
      record->OutData.Length = static_cast<int32_t>(packet.size());
    } else {
      packet.copy(reinterpret_cast<char*>(record->InData.Ptr), packet.size());
      SetOutData(*record, kSlotSize, 0, packet.size());
    }
  } catch (...) {
    record->OutData.Ptr = kDialogNoResources;
  }
}

MOX_PLUGIN_EXPORT void MOX_STDCALL_EXPORT ShowOptionsDialog(TPluginCallRec* record) {
  if (record == nullptr) return;
  SetOutData(*record, kSlotCount, 4, 2);
  TPluginRegistry* registry = TPluginRegistry::Instance();
  TmoxPlugin* module = registry != nullptr ? registry->Find(record->Instance) : nullptr;
  if (module == nullptr) return;
  if (!module->OnShowOptionsDialog) {
    record->OutData.Ptr = 3;
    return;
  }
  record->OutData.Ptr = 4;
  try {
    TPluginCallRecIntf converted(record);
    const bool changed = RunOptionsDialog(*module, *record, converted.Params());
    record->OutData.Ptr = changed ? 1 : 0;
    if (changed) ReloadSharedSettings(*registry, *module);
  } catch (...) {
    // Conversion failures leave the answer "running" (4): nothing was shown.
  }
}

}  // extern "C"
