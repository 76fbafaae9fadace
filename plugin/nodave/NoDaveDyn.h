#pragma once

// The run-time binding of the protocol library: the plug-in links nothing of it
// at build time but loads it from its own folder while at least one PLC link
// exists, and calls it through a table of entry points resolved by name.

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "nodave/NoDaveRecords.h"
#include "platform/Library.h"

// Raised by a call that needs the library, or an entry point of it, that is missing.
class ENoDave : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The library's file name in the folder it is loaded from.
#if defined(_WIN32)
constexpr const char* kNoDaveLibraryName = "libnodave.dll";
#else
constexpr const char* kNoDaveLibraryName = "libnodave.so";
#endif

class TNoDaveEntryBase {
 public:
  TNoDaveEntryBase(const TNoDaveEntryBase&) = delete;
  TNoDaveEntryBase& operator=(const TNoDaveEntryBase&) = delete;

  const char* Name() const { return name_; }
  bool Resolved() const { return address_.load(std::memory_order_acquire) != nullptr; }
  void Resolve(platform::ModuleHandle module);
  void Forget() { address_.store(nullptr, std::memory_order_release); }

 protected:
  // Joins `all`, the list through which the binding resolves every entry.
  TNoDaveEntryBase(std::vector<TNoDaveEntryBase*>& all, const char* name);
  // The entry's address; raises ENoDave when it is not resolved.
  void* Require() const;

 private:
  const char* name_;
  std::atomic<void*> address_{nullptr};
};

// One entry point with its signature `F` (a pointer to a library function).
template <class F>
class TNoDaveEntry : public TNoDaveEntryBase {
 public:
  TNoDaveEntry(std::vector<TNoDaveEntryBase*>& all, const char* name)
      : TNoDaveEntryBase(all, name) {}

  template <class... A>
  auto operator()(A&&... args) const {
    return reinterpret_cast<F>(Require())(std::forward<A>(args)...);
  }
};

// Every entry point the plug-in calls.
struct TNoDaveEntries {
  TNoDaveEntries() = default;
  TNoDaveEntries(const TNoDaveEntries&) = delete;
  TNoDaveEntries& operator=(const TNoDaveEntries&) = delete;

  std::vector<TNoDaveEntryBase*> All;  // first: the entries below join it

  TNoDaveEntry<int32_t(NODAVE_CALL*)(const char* name, const char* baud, char parity)> setPort{
      All, "setPort"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(int32_t port, const char* address)> openSocket{All,
                                                                                    "openSocket"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(const char* accessPoint, uintptr_t window)> openS7online{
      All, "openS7online"};
  TNoDaveEntry<TDaveInterfaceRecord*(NODAVE_CALL*)(TDaveOSserialType handles, const char* name,
                                                   int32_t localMPI, int32_t protocol,
                                                   int32_t speed)>
      daveNewInterface{All, "daveNewInterface"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(TDaveInterfaceRecord* intf)> daveInitAdapter{
      All, "daveInitAdapter"};
  TNoDaveEntry<TDaveConnectionRecord*(NODAVE_CALL*)(TDaveInterfaceRecord* intf, int32_t mpi,
                                                    int32_t rack, int32_t slot)>
      daveNewConnection{All, "daveNewConnection"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(TDaveConnectionRecord* connection)> daveConnectPLC{
      All, "daveConnectPLC"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(TDaveConnectionRecord* connection, int32_t area, int32_t db,
                                     int32_t start, int32_t length, void* buffer)>
      daveReadBytes{All, "daveReadBytes"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(TDaveConnectionRecord* connection)> daveDisconnectPLC{
      All, "daveDisconnectPLC"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(TDaveInterfaceRecord* intf)> daveDisconnectAdapter{
      All, "daveDisconnectAdapter"};
  TNoDaveEntry<void(NODAVE_CALL*)(void* record)> daveFree{All, "daveFree"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(int32_t handle)> closePort{All, "closePort"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(int32_t handle)> closeSocket{All, "closeSocket"};
  TNoDaveEntry<int32_t(NODAVE_CALL*)(int32_t handle)> closeS7online{All, "closeS7online"};
  // Why the thread's last openS7online failed; our library's, absent from others.
  TNoDaveEntry<int32_t(NODAVE_CALL*)()> daveS7onlineError{All, "daveS7onlineError"};
  TNoDaveEntry<void(NODAVE_CALL*)(int32_t flags)> daveSetDebug{All, "daveSetDebug"};
  TNoDaveEntry<const char*(NODAVE_CALL*)(int32_t code)> daveStrerror{All, "daveStrerror"};
};

// The entry table; an entry is empty while the library is not loaded or lacks it.
const TNoDaveEntries& NoDave();

// The folder the library is loaded from at the next first load: the module sets
// its own folder. Empty: the platform's normal library search.
void SetNoDaveLibraryFolder(const std::string& folder);
std::string NoDaveLibraryFileName();

// Load references: the first loads the library and resolves every entry point
// (missing ones stay empty); the last released unloads it and empties the table.
// A library that cannot be loaded is not an error here: calls report it.
void LoadNoDave();
void UnloadNoDave();
int32_t NoDaveLoadCount();
// The loaded library; 0 when none.
platform::ModuleHandle NoDaveLibraryHandle();

// One load reference, held for the lifetime of its owner.
class TNoDaveLibraryRef {
 public:
  TNoDaveLibraryRef() { LoadNoDave(); }
  ~TNoDaveLibraryRef() { UnloadNoDave(); }
  TNoDaveLibraryRef(const TNoDaveLibraryRef&) = delete;
  TNoDaveLibraryRef& operator=(const TNoDaveLibraryRef&) = delete;
};
