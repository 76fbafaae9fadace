#pragma once

// Helpers for the tests that drive the plug-in through its exports as a host
// does, and for the tests of the host toolkit itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "CallRecord.h"
#include "HostSinks.h"
#include "PluginCommand.h"
#include "PluginLibrary.h"
#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/Thread.h"
#include "platform/Ticks.h"

namespace host_test {

// The plug-in built beside the tests; empty when this build has none.
inline std::string PluginPath() {
#if defined(MOX_PLUGIN_PATH)
  return MOX_PLUGIN_PATH;
#else
  return {};
#endif
}

// Bound for anything that should happen soon, also under wine on a loaded machine.
constexpr uint32_t kBoundMs = 10000;

// Processes the calling thread's messages until done() or the bound; returns done().
template <typename TDone>
bool PumpUntil(TDone done, uint32_t timeoutMs = kBoundMs) {
  const uint32_t start = platform::TickCount32();
  while (!done()) {
    const uint32_t elapsed = platform::TickCount32() - start;
    if (elapsed >= timeoutMs) return false;
    platform::MsgWaitForAny(nullptr, 0, timeoutMs - elapsed);
    platform::Message message;
    while (platform::PeekMessageRemove(message)) platform::DispatchMessageTo(message);
  }
  return true;
}

// A path under the system's temporary folder that no other test run uses.
inline std::filesystem::path TempPath(const std::string& prefix) {
  return std::filesystem::temp_directory_path() / (prefix + std::to_string(std::random_device()()));
}

// "SET-STATE" with these data sources, state flags 0 and 1 switched on or off;
// the plug-in's result.
inline int32_t SetState(const host::TPluginExports& exports, uintptr_t instance,
                        const std::string& dataSources, bool on) {
  TPluginCallRec record = host::MakeCallRecord(instance);
  record.DataFlags = 0x03;
  return host::RunCommand(exports.ExecutePluginCommand, record, "SET-STATE",
                          {{"DATA-SOURCES-IN-CFG", TVariant::OfAnsi(dataSources)},
                           {"RESULT", TVariant::OfI4(on ? 1 : 0)}})
      .Code;
}

// The bytes of a record, to check that a call gave back what it got.
inline std::vector<uint8_t> BytesOf(const TPluginCallRec& record) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  return std::vector<uint8_t>(bytes, bytes + sizeof record);
}

// A platform thread that runs a function from its construction on.
class TFunctionThread : public platform::Thread {
 public:
  explicit TFunctionThread(std::function<void()> body) : FBody(std::move(body)) { Resume(); }
  ~TFunctionThread() override { WaitFor(); }
  TFunctionThread(const TFunctionThread&) = delete;
  TFunctionThread& operator=(const TFunctionThread&) = delete;

 protected:
  void Execute() override { FBody(); }

 private:
  std::function<void()> FBody;
};

// A sink that keeps what it is sent; safe to call from the plug-in's threads.
class TRecordingSink : public host::IHostSink {
 public:
  int32_t SendBytes(int32_t clientId, const uint8_t* data, size_t length) override {
    std::lock_guard<std::mutex> guard(FLock);
    FClients.push_back(clientId);
    FBytes.emplace_back(data, data + length);
    return static_cast<int32_t>(length);
  }
  void DeliverRecord(int32_t clientId, const host::TDataRecord& record) override {
    std::lock_guard<std::mutex> guard(FLock);
    FClients.push_back(clientId);
    FRecords.push_back(record);
  }

  std::vector<std::vector<uint8_t>> Bytes() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FBytes;
  }
  std::vector<host::TDataRecord> Records() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FRecords;
  }
  std::vector<int32_t> Clients() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FClients;
  }

 private:
  mutable std::mutex FLock;
  std::vector<int32_t> FClients;
  std::vector<std::vector<uint8_t>> FBytes;
  std::vector<host::TDataRecord> FRecords;
};

// Tests that need the plug-in share one loaded library per test suite; they
// are skipped in a build without it.
class TPluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!PluginPath().empty()) FLibrary = std::make_unique<host::TPluginLibrary>(PluginPath());
  }
  static void TearDownTestSuite() { FLibrary.reset(); }

  void SetUp() override {
    if (!FLibrary) GTEST_SKIP() << "this build has no plug-in";
  }
  void TearDown() override {
    for (uintptr_t instance : FInstances) Free(instance);
  }

  static const host::TPluginExports& Exports() { return FLibrary->Exports(); }
  static const host::TPluginLibrary& Library() { return *FLibrary; }

  // A new instance, freed after the test.
  uintptr_t Create(int32_t hostContext = 7) {
    TPluginCallRec record = host::MakeCallRecord(0, hostContext);
    host::THostParams params;
    record.Params = params.AsInterfaceRef();
    EXPECT_EQ(Exports().CreatePluginInstance(&record), 0);
    EXPECT_NE(record.Instance, 0u);
    FInstances.push_back(record.Instance);
    return record.Instance;
  }
  // Frees an instance before the test ends; the plug-in's result.
  int32_t Free(uintptr_t instance) {
    const auto found = std::find(FInstances.begin(), FInstances.end(), instance);
    if (found != FInstances.end()) FInstances.erase(found);
    TPluginCallRec record = host::MakeCallRecord(instance);
    return Exports().FreePluginInstance(&record);
  }

  host::TCommandResult Run(uintptr_t instance, const std::string& command,
                           const host::TCommandParams& params = {}, bool withResult = false,
                           int32_t hostContext = 7) {
    return host::RunCommand(Exports().ExecutePluginCommand,
                            host::MakeCallRecord(instance, hostContext), command, params,
                            withResult);
  }

  // "LOAD" without settings location: what every loaded test instance gets.
  void Load(uintptr_t instance, int32_t hostContext = 7) {
    EXPECT_EQ(Run(instance, "LOAD", {}, false, hostContext).Code, 0);
  }

 private:
  static inline std::unique_ptr<host::TPluginLibrary> FLibrary;
  std::vector<uintptr_t> FInstances;
};

}  // namespace host_test
