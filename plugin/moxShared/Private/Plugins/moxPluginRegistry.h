#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "moxPluginModule.h"
#include "threads/Thread_Common.h"

// The process-wide state of the library: the module class that
// CreatePluginInstance makes, the registry of live instances, and the hooks
// run by the final release. It exists from library load to library unload.
class TPluginRegistry {
 public:
  // Null before library load and after library unload.
  static TPluginRegistry* Instance();

  void SetModuleClass(TmoxPluginClass moduleClass) { FModuleClass = moduleClass; }
  TmoxPluginClass ModuleClass() const { return FModuleClass; }

  // Takes ownership of a new instance.
  void Add(std::unique_ptr<TmoxPlugin> instance);
  // Hands the instance with that handle back to the caller; null when unknown.
  std::unique_ptr<TmoxPlugin> Remove(uintptr_t handle);
  // The live instance with that handle; null when unknown.
  TmoxPlugin* Find(uintptr_t handle);
  bool IsEmpty();
  // Calls `visit` for every instance under the read lock.
  void ForEach(const std::function<void(TmoxPlugin&)>& visit);

  // Hooks of the library's units, run once by the final release.
  void AddShutdownHook(std::function<void()> hook);
  void RunShutdownHooks();

  // Library unload: frees the hooks, then every instance still registered.
  ~TPluginRegistry();

 private:
  friend class TPluginLibrary;
  TPluginRegistry();

  TmoxPluginClass FModuleClass;
  TReadWriteLock FLock;
  std::vector<std::unique_ptr<TmoxPlugin>> FInstances;
  std::mutex FHooksLock;
  std::vector<std::function<void()>> FShutdownHooks;
};

// Makes `moduleClass` the class of new instances; a concrete module's unit
// calls it while the library loads.
bool RegisterPluginModuleClass(TmoxPluginClass moduleClass);

// While a call into a module runs on this thread, faults that shared code
// cannot hand back (a host still holding a list) go to that module's log.
class TCurrentModuleScope {
 public:
  explicit TCurrentModuleScope(TmoxPlugin* module);
  ~TCurrentModuleScope();
  TCurrentModuleScope(const TCurrentModuleScope&) = delete;
  TCurrentModuleScope& operator=(const TCurrentModuleScope&) = delete;

 private:
  TmoxPlugin* FPrevious;
};
