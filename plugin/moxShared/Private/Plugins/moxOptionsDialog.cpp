#include "moxOptionsDialog.h"
#include "moxShared/Public/Common/moxScopeExit.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "moxPluginModule.h"
#include "moxPluginRegistry.h"

namespace {

constexpr size_t kPacketHeaderSize = 24;

void AppendInt32(std::string& out, size_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

std::string RequestedFormName(const TPluginDataSlot& inData) {
  if (inData.Ptr == 0 || inData.Length <= 0) return {};
  const char* buffer = reinterpret_cast<const char*>(inData.Ptr);
  const size_t length = static_cast<size_t>(inData.Length);
  const void* zero = std::memchr(buffer, 0, length);
  return std::string(buffer, zero != nullptr ? static_cast<const char*>(zero) - buffer : length);
}

std::string BuildDialogPacket(const std::string& requestedName) {
  std::string form;
  std::string script;
  if (!requestedName.empty()) {
    form = FindDialogResource(UpperCase(requestedName));
    script = FindDialogResource(UpperCase(requestedName) + "_CODE");
  } else {
    script = FindDialogResource("FORM_DATA");
    const std::string formName = FindDialogResource("FORM_NAME");
    if (!formName.empty()) form = FindDialogResource(UpperCase(formName));
  }
  if (form.empty() && script.empty()) return {};
  std::string packet;
  AppendInt32(packet, kPacketHeaderSize);
  AppendInt32(packet, form.size());
  AppendInt32(packet, kPacketHeaderSize + form.size());
  AppendInt32(packet, 0);
  AppendInt32(packet, kPacketHeaderSize + form.size());
  AppendInt32(packet, script.size());
  return packet + form + script;
}

bool RunOptionsDialog(TmoxPlugin& module, TPluginCallRec& record, ImoxParamsListA* params) {
  const TPluginCall call{record, TPluginParams(params)};
  if (params != nullptr) {
    module.IniFile = call.Params.Text("INI-FILE");
    module.ApplyLanguage(call.Params);
    if (call.Params.Has("OWNER-FORM")) {
      module.OwnerForm =
          static_cast<platform::WindowHandle>(VariantToInt(call.Params.Get("OWNER-FORM"), 0));
    }
  }
  module.DialogRunning = true;
  module.DialogCallFlags = record.Flags;
  const TScopeExit end([&module] {
    module.DialogRunning = false;
    module.DialogCallFlags = 0;
  });
  bool changed = false;
  try {
    module.OnShowOptionsDialog(module, call, changed);
  } catch (const std::exception& e) {
    // A failed handler changed nothing, whatever it set before it failed.
    changed = false;
    module.Log(TLogLevel::Error, std::string(e.what()) + " {SHOWOPTIONS}");
  }
  return changed;
}

void ReloadSharedSettings(TPluginRegistry& registry, const TmoxPlugin& module) {
  const std::string path = module.RegistryPath;
  const uint32_t thread = platform::CurrentThreadId();
  registry.ForEach([&](TmoxPlugin& instance) {
    if (instance.RegistryPath != path || !instance.OnLoadSettingsNow) return;
    try {
      if (instance.LoadThreadId == thread) {
        instance.OnLoadSettingsNow(instance);
        return;
      }
      instance.NotifyHostWindow(kMsgReloadSettings);
    } catch (...) {
      // One instance's failure does not keep the others from reloading.
    }
  });
}
