#include "moxPluginRegistry.h"

#include <algorithm>

#include "moxCrashReport.h"
#include "moxShared/Public/Common/moxErrorLog.h"

namespace {

TPluginRegistry* gRegistry = nullptr;
thread_local TmoxPlugin* gCurrentModule = nullptr;

void LogToCurrentModule(void* /*context*/, const std::string& message) {
  if (gCurrentModule != nullptr) gCurrentModule->Log(TLogLevel::Error, message);
}

}  // namespace

// The library's lifetime: the registry lives from the library's load (or its
// first use while loading) to its unload.
class TPluginLibrary {
 public:
  TPluginLibrary() {
    gRegistry = &registry_;
    SetErrorLog(&LogToCurrentModule, nullptr);
    registry_.AddShutdownHook(&StopCrashReporter);
  }
  ~TPluginLibrary() {
    SetErrorLog(nullptr, nullptr);
    gRegistry = nullptr;
  }

 private:
  TPluginRegistry registry_;
};

TPluginRegistry* TPluginRegistry::Instance() {
  // Made on first use, so that units registering at load time find it; null
  // again once the library is being unloaded.
  static TPluginLibrary library;
  return gRegistry;
}

TPluginRegistry::TPluginRegistry() : FModuleClass(&TmoxPlugin::Create<TmoxPlugin>) {}

TPluginRegistry::~TPluginRegistry() {
  {
    std::lock_guard<std::mutex> guard(FHooksLock);
    FShutdownHooks.clear();
  }
  std::vector<std::unique_ptr<TmoxPlugin>> detached;
  FLock.BeginWrite();
  detached.swap(FInstances);
  FLock.EndWrite();
  for (std::unique_ptr<TmoxPlugin>& instance : detached) {
    try {
      instance.reset();
    } catch (...) {
      // The library is going away; one failing instance must not keep the others.
    }
  }
}

void TPluginRegistry::Add(std::unique_ptr<TmoxPlugin> instance) {
  TExclusiveSection guard(FLock);
  FInstances.push_back(std::move(instance));
}

std::unique_ptr<TmoxPlugin> TPluginRegistry::Remove(uintptr_t handle) {
  const auto byHandle = [handle](const auto& item) { return item->Handle == handle; };
  TSharedSection read(FLock);
  if (std::none_of(FInstances.begin(), FInstances.end(), byHandle)) return nullptr;
  TExclusiveSection write(FLock);
  // Another writer may have got in while this reader waited for the write lock:
  // look again rather than trust a position found before.
  const auto found = std::find_if(FInstances.begin(), FInstances.end(), byHandle);
  if (found == FInstances.end()) return nullptr;
  std::unique_ptr<TmoxPlugin> removed = std::move(*found);
  FInstances.erase(found);
  return removed;
}

TmoxPlugin* TPluginRegistry::Find(uintptr_t handle) {
  if (handle == 0) return nullptr;
  TSharedSection guard(FLock);
  for (const std::unique_ptr<TmoxPlugin>& instance : FInstances) {
    if (instance->Handle == handle) return instance.get();
  }
  return nullptr;
}

bool TPluginRegistry::IsEmpty() {
  TSharedSection guard(FLock);
  return FInstances.empty();
}

void TPluginRegistry::ForEach(const std::function<void(TmoxPlugin&)>& visit) {
  TSharedSection guard(FLock);
  for (const std::unique_ptr<TmoxPlugin>& instance : FInstances) visit(*instance);
}

void TPluginRegistry::AddShutdownHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> guard(FHooksLock);
  FShutdownHooks.push_back(std::move(hook));
}

void TPluginRegistry::RunShutdownHooks() {
  std::vector<std::function<void()>> hooks;
  {
    std::lock_guard<std::mutex> guard(FHooksLock);
    hooks.swap(FShutdownHooks);
  }
  if (!hooks.empty() && IsEmpty()) StopCrashReporter();
  for (const std::function<void()>& hook : hooks) {
    try {
      hook();
    } catch (...) {
      // Every hook runs, whatever the others do.
    }
  }
}

bool RegisterPluginModuleClass(TmoxPluginClass moduleClass) {
  TPluginRegistry* registry = TPluginRegistry::Instance();
  if (registry == nullptr) return false;
  registry->SetModuleClass(moduleClass);
  return true;
}

TCurrentModuleScope::TCurrentModuleScope(TmoxPlugin* module) : FPrevious(gCurrentModule) {
  gCurrentModule = module;
}

TCurrentModuleScope::~TCurrentModuleScope() { gCurrentModule = FPrevious; }
