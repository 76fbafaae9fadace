#include "nodave/NoDaveDyn.h"

#include <cstring>
#include <mutex>

namespace {

// The process-wide binding state; it outlives every static object that might
// still hold a load reference when the process ends.
struct TNoDaveBinding {
  std::mutex lock;
  std::string fileName = kNoDaveLibraryName;
  int32_t loadCount = 0;
  platform::ModuleHandle module = 0;
  std::string loadError;
};

TNoDaveBinding& Binding() {
  static auto* binding = new TNoDaveBinding();
  return *binding;
}

TNoDaveEntries& Entries() {
  static auto* entries = new TNoDaveEntries();
  return *entries;
}

// Windows takes both separators; elsewhere both entries are '/'.
bool EndsWithSeparator(const std::string& folder) {
  constexpr char kSeparators[] = {'/', platform::kPathSeparator, '\0'};
  return std::strchr(kSeparators, folder.back()) != nullptr;
}

std::string MissingEntryText(const char* name) {
  TNoDaveBinding& binding = Binding();
  std::lock_guard<std::mutex> guard(binding.lock);
  if (binding.module == 0) {
    std::string text = "the protocol library " + binding.fileName + " is not loaded";
    return binding.loadError.empty() ? text : text + " (" + binding.loadError + ")";
  }
  return "the protocol library " + binding.fileName + " has no entry point " + name;
}

}  // namespace

TNoDaveEntryBase::TNoDaveEntryBase(std::vector<TNoDaveEntryBase*>& all, const char* name)
    : name_(name) {
  all.push_back(this);
}

void TNoDaveEntryBase::Resolve(platform::ModuleHandle module) {
  address_.store(platform::FindExport(module, name_), std::memory_order_release);
}

void* TNoDaveEntryBase::Require() const {
  void* address = address_.load(std::memory_order_acquire);
  if (address == nullptr) throw ENoDave(MissingEntryText(name_));
  return address;
}

const TNoDaveEntries& NoDave() { return Entries(); }

void SetNoDaveLibraryFolder(const std::string& folder) {
  TNoDaveBinding& binding = Binding();
  std::lock_guard<std::mutex> guard(binding.lock);
  if (folder.empty()) {
    binding.fileName = kNoDaveLibraryName;
  } else {
    const std::string separator(EndsWithSeparator(folder) ? 0 : 1, platform::kPathSeparator);
    binding.fileName = folder + separator + kNoDaveLibraryName;
  }
}

std::string NoDaveLibraryFileName() {
  TNoDaveBinding& binding = Binding();
  std::lock_guard<std::mutex> guard(binding.lock);
  return binding.fileName;
}

void LoadNoDave() {
  TNoDaveBinding& binding = Binding();
  std::lock_guard<std::mutex> guard(binding.lock);
  if (++binding.loadCount > 1) return;
  binding.loadError.clear();
  binding.module = platform::LoadModule(binding.fileName, &binding.loadError);
  if (binding.module == 0) return;
  for (TNoDaveEntryBase* entry : Entries().All) entry->Resolve(binding.module);
}

void UnloadNoDave() {
  TNoDaveBinding& binding = Binding();
  std::lock_guard<std::mutex> guard(binding.lock);
  if (binding.loadCount == 0 || --binding.loadCount > 0) return;
  for (TNoDaveEntryBase* entry : Entries().All) entry->Forget();
  platform::UnloadModule(binding.module);
  binding.module = 0;
}

int32_t NoDaveLoadCount() {
  TNoDaveBinding& binding = Binding();
  std::lock_guard<std::mutex> guard(binding.lock);
  return binding.loadCount;
}

platform::ModuleHandle NoDaveLibraryHandle() {
  TNoDaveBinding& binding = Binding();
  std::lock_guard<std::mutex> guard(binding.lock);
  return binding.module;
}
