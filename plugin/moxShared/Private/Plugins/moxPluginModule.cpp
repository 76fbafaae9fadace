#include "moxPluginModule.h"
#include "moxShared/Public/Common/moxScopeExit.h"

#include <exception>

#include "moxShared/Public/Common/moxThreadParamsList.h"
#include "platform/Version.h"
#include "settings/TWtransl.h"
#include "settings/TWtranslModuleSetup.h"

const std::array<const char*, 13> kPluginEventNames = {"LOG-MESSAGE",
                                                       "NEW-LOG-FILE",
                                                       "LOG-FILE-DELETE",
                                                       "NEW-DATA-PACKET",
                                                       "ERROR-WRITE-FILE",
                                                       "PORT-OPEN",
                                                       "PORT-CLOSE",
                                                       "CONFIG-CHANGE",
                                                       "USER-LOGOOF",
                                                       "USER-LOGON",
                                                       "STOP-SERVICE",
                                                       "",
                                                       "DUMMY"};

namespace {

// The directory part of a path, with its trailing separator; empty without one.
std::string DirectoryOf(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// Counts a command on its way in and out of the module, on every path.
class TCommandDepthGuard {
 public:
  explicit TCommandDepthGuard(std::atomic<int32_t>& depth) : depth_(depth), value_(++depth) {}
  ~TCommandDepthGuard() { --depth_; }
  TCommandDepthGuard(const TCommandDepthGuard&) = delete;
  TCommandDepthGuard& operator=(const TCommandDepthGuard&) = delete;
  int32_t Value() const { return value_; }

 private:
  std::atomic<int32_t>& depth_;
  int32_t value_;
};

}  // namespace

TmoxPlugin::TmoxPlugin(const TPluginCall* call, platform::ModuleHandle library)
    : FLibrary(library),
      FLogList(std::make_unique<TLogDataList>()),
      FTranslator(std::make_unique<TWtransl>()) {
  if (call != nullptr) {
    TemporaryLoad = call->Record.Params == 0;
    if (call->Params.Exists("TEMPORARY-LOAD")) {
      TemporaryLoad = VariantToBool(call->Params.Get("TEMPORARY-LOAD"), TemporaryLoad);
    }
  }
  SetUpIdentity();
  SetUpTranslation();
}

TmoxPlugin::~TmoxPlugin() { BeginDestruction(); }

const TClassInfo& TmoxPlugin::StaticClassInfo() {
  static const TClassInfo info(
      "TmoxPlugin", &TComponent::StaticClassInfo(),
      {PublishedField("MsgNoData", &TmoxPlugin::MsgNoData),
       PublishedField("MsgWriteComplete", &TmoxPlugin::MsgWriteComplete),
       PublishedField("MsgWriteCompleteError", &TmoxPlugin::MsgWriteCompleteError)});
  return info;
}

void TmoxPlugin::SetUpIdentity() {
  // The library is the module that holds this code.
  const std::string file = platform::ModuleFileName(
      platform::ModuleOfAddress(reinterpret_cast<const void*>(&TmoxPlugin::StaticClassInfo)));
  VersionText = platform::FileVersionText(file);
  ModulePath = DirectoryOf(file);
  ModuleName = file.substr(ModulePath.size());
}

void TmoxPlugin::SetUpTranslation() {
  const std::string hostDirectory =
      DirectoryOf(platform::ModuleFileName(platform::ProgramModule()));
  Language = SetUpModuleTranslator(*FTranslator, hostDirectory, ModulePath + ModuleName);
}

void TmoxPlugin::AfterConstruction() {
  DoCreate();
  if (!FTranslator->LanguageFile.empty()) Translate();
}

void TmoxPlugin::Translate() {
  if (Translated || Language.empty()) return;
  FTranslator->Translate(Language, this);
  Translated = true;
}

int32_t TmoxPlugin::ExecuteCommand(const std::string& command, TPluginCallRec& record,
                                   ImoxParamsListA* params) {
  platform::CriticalSectionGuard guard(FCommandLock);
  const TCommandDepthGuard depth(FCommandDepth);
  if (depth.Value() != 1) {
    throw EPluginAssertion(
        "Nested plugin commands are not allowed "
        "(moxShared\\Private\\Plugins\\moxPluginModule)");
  }
  const TPluginCall call{record, TPluginParams(params)};
  if (command == "LOAD") ApplyLanguage(call.Params);
  TakeWindowHandles(call.Params);
  try {
    return SelectCommand(command, call);
  } catch (const std::exception& e) {
    LogException(command, e.what());
  } catch (...) {
    LogException(command, "unknown exception");
  }
  return -3;
}

void TmoxPlugin::TakeWindowHandles(const TPluginParams& params) {
  if (params.Has("MSG-PROC-HANDLE")) {
    MsgWindow = static_cast<platform::WindowHandle>(VariantToInt(params.Get("MSG-PROC-HANDLE"), 0));
  }
  if (params.Has("OWNER-FORM")) {
    OwnerForm = static_cast<platform::WindowHandle>(VariantToInt(params.Get("OWNER-FORM"), 0));
  }
}

// A host that names a language has the module's texts translated anew: into the
// current one when it names that, and into a new one it switches to (which
// translating only on an equal name would never do).
void TmoxPlugin::ApplyLanguage(const TPluginParams& params) {
  const std::string language = params.Text("LANGUAGE");
  if (language.empty() || Language.empty()) return;
  Language = language;
  try {
    Translated = false;
    Translate();
    if (OnLanguageChanged) OnLanguageChanged(*this);
  } catch (const std::exception& e) {
    LogException("TRANSL", e.what());
  }
}

int32_t TmoxPlugin::SelectCommand(const std::string& command, const TPluginCall& call) {
  if (command == "EVENT") return DoEvent(call);
  if (command == "LOAD") return DoLoad(call);
  if (command == "UNLOAD") return DoUnload(call);
  if (command == "SET-ITEMS") return DoSetItems(call);
  if (command == "SET-STATE") return DoSetState(call);
  if (command == "ITEMS") return DoItems(call);
  if (command == "EVENTS-SUPPORT") {
    call.Params.Answer("RESULT", AnsiAnswer(EventsSupported));
    return 0;
  }
  if (command == "GET-MODULE-PARAMETER" || command == "SET-MODULE-PARAMETER") {
    if (!call.Params.Exists("PARAM")) return -2;
    const std::string name = call.Params.Text("PARAM");
    const TVariant answer =
        command == "GET-MODULE-PARAMETER"
            ? GetModuleParameter(name)
            : TVariant::OfBool(SetModuleParameter(
                  name, call.Params.Exists("VALUE") ? call.Params.Get("VALUE") : TVariant::Null()));
    call.Params.Answer("RESULT", answer);
    return 0;
  }
  if (command == "SAVE-SETTINGS-NOW" || command == "LOAD-SETTINGS-NOW") {
    return DoSettingsNow(command, call);
  }
  return DoOtherCommand(command, call);
}

TSettingsLocation TmoxPlugin::SettingsLocation() const {
  TSettingsLocation location;
  location.RegistryRoot1 = static_cast<TRegistryRoot>(RegistryRoot1);
  location.RegistryRoot2 = static_cast<TRegistryRoot>(RegistryRoot2);
  location.RegistryPath = RegistryPath;
  location.IniSectionPrefix = IniSectionPrefix;
  location.IniFile = IniFile;
  return location;
}

bool TmoxPlugin::OpenSettingsStore(TSettingsOperation operation, const TmoxStrHolder* map,
                                   const std::string* iniFile, TComponent* settings) {
  TSettingsLocation location = SettingsLocation();
  if (iniFile != nullptr) location.IniFile = *iniFile;
  SettingsBusy = true;
  const TScopeExit reset([this] { SettingsBusy = false; });
  return ::OpenSettingsStore(
      operation, location, map, settings,
      [this](TLogLevel level, const std::string& line) { Log(level, line); });
}
