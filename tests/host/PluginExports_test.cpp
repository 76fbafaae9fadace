#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "LogFetch.h"
#include "ModuleInfo.h"
#include "moxShared/Public/Common/moxAnsiString.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/Library.h"

// The plug-in driven through its exports with records and lists of a host's
// making: results, the caller's record after each call, and bad input.

namespace {

using host::TCommandParams;
using host_test::BytesOf;

TVariant Text(const std::string& text) { return TVariant::OfAnsi(text); }
bool AsBool(const TVariant& value) { return VarAsType(value, VarType::Bool).Data().Bool != 0; }
int64_t AsInt(const TVariant& value) { return VarAsType(value, VarType::I8).Data().I8; }

class PluginExports : public host_test::TPluginTest {
 protected:
  // Runs a command with a record made here, and checks that the plug-in gave
  // the record back as it got it.
  int32_t RunChecked(uintptr_t instance, const std::string& command,
                     const TCommandParams& params = {}, bool withResult = false,
                     uint8_t dataFlags = 0) {
    host::THostParams list;
    list.Set("COMMAND", Text(command));
    for (const auto& [name, value] : params) list.Set(name, value);
    if (withResult) list.Set("RESULT", TVariant());
    TPluginCallRec record = host::MakeCallRecord(instance, 7);
    record.Params = list.AsInterfaceRef();
    record.DataFlags = dataFlags;
    const std::vector<uint8_t> before = BytesOf(record);
    const int32_t result = Exports().ExecutePluginCommand(&record);
    EXPECT_EQ(BytesOf(record), before) << command;
    FLastResult = list.Get("RESULT");
    return result;
  }

  TVariant Parameter(uintptr_t instance, const std::string& name) {
    const host::TCommandResult result =
        Run(instance, "GET-MODULE-PARAMETER", {{"PARAM", Text(name)}}, true);
    EXPECT_EQ(result.Code, 0) << name;
    return result.Result;
  }

  // The text GetLogEx hands out for a buffer of `capacity` bytes; `pending`
  // gets the size the plug-in reports.
  std::string FetchRaw(uintptr_t instance, int32_t capacity, uintptr_t* pending = nullptr) {
    std::string buffer(static_cast<size_t>(capacity), '\0');
    TPluginCallRec record = host::MakeCallRecord(instance);
    host::SetSlotText(record.InData, buffer.data(), capacity);
    const int32_t copied = Exports().GetLogEx(&record);
    EXPECT_EQ(record.OutData.Kind, kSlotCount);
    if (pending != nullptr) *pending = record.OutData.Ptr;
    return buffer.substr(0, static_cast<size_t>(copied));
  }

  // A warning line through the exports: a request (DataFlags 0x04) without data.
  int32_t RequestWithoutData(uintptr_t instance) {
    TPluginCallRec record = host::MakeCallRecord(instance, 7);
    host::THostParams params;
    record.Params = params.AsInterfaceRef();
    record.DataFlags = kDataRequest;
    return Exports().ProcessData(&record);
  }

  TVariant FLastResult;
};

TEST_F(PluginExports, CreateGivesAHandleOnlyForARecordWithoutOne) {
  const uintptr_t instance = Create();
  // Handles travel as 32-bit integers.
  EXPECT_EQ(static_cast<uint32_t>(AsInt(Parameter(instance, "ModulePluginHandle"))),
            static_cast<uint32_t>(instance));
  TPluginCallRec again = host::MakeCallRecord(instance);
  EXPECT_EQ(Exports().CreatePluginInstance(&again), -1);
  EXPECT_EQ(again.Instance, instance);
  EXPECT_EQ(Exports().CreatePluginInstance(nullptr), -1);
}

TEST_F(PluginExports, RecordWithoutListCreatesATemporaryInstanceThatTakesNoCalls) {
  TPluginCallRec record = host::MakeCallRecord(0);
  ASSERT_EQ(Exports().CreatePluginInstance(&record), 0);
  const uintptr_t instance = record.Instance;
  EXPECT_EQ(Exports().ExecutePluginCommand(&record), -1);
  EXPECT_EQ(Exports().ProcessData(&record), -1);
  EXPECT_TRUE(AsBool(Parameter(instance, "IsTemporaryLoad")));
  EXPECT_EQ(Free(instance), 0);
}

TEST_F(PluginExports, NullRecordsAreRefused) {
  EXPECT_EQ(Exports().ExecutePluginCommand(nullptr), -1);
  EXPECT_EQ(Exports().ProcessData(nullptr), -1);
  EXPECT_EQ(Exports().FreePluginInstance(nullptr), -1);
  EXPECT_EQ(Exports().GetLogEx(nullptr), 0);
  int32_t size = -5;
  EXPECT_EQ(Exports().GetModuleInfo(nullptr, nullptr, &size) & 0xFF, 0);
  EXPECT_EQ(size, 0);
}

TEST_F(PluginExports, WrongSizeIsRefused) {
  const uintptr_t instance = Create();
  for (const int32_t size : {0, 100, 101, 103, 116}) {
    host::THostParams params;
    params.Set("COMMAND", Text("LOAD"));
    TPluginCallRec record = host::MakeCallRecord(instance);
    record.Size = size;
    record.Params = params.AsInterfaceRef();
    EXPECT_EQ(Exports().ExecutePluginCommand(&record), -1) << size;
    EXPECT_EQ(Exports().ProcessData(&record), -1) << size;
  }
  EXPECT_EQ(Parameter(instance, "ModuleLoadCount"), TVariant::OfI4(0));
}

TEST_F(PluginExports, UnknownAndFreedHandlesAreRefused) {
  const uintptr_t freed = Create();
  ASSERT_EQ(Free(freed), 0);
  uint64_t notAnInstance[4] = {};
  for (const uintptr_t handle :
       {freed, reinterpret_cast<uintptr_t>(&notAnInstance), uintptr_t{0}, uintptr_t{16}}) {
    EXPECT_EQ(Run(handle, "LOAD").Code, -1) << handle;
    TPluginCallRec record = host::MakeCallRecord(handle);
    host::THostParams params;
    record.Params = params.AsInterfaceRef();
    record.DataFlags = 0x02;
    EXPECT_EQ(Exports().ProcessData(&record), -1);
    EXPECT_EQ(Exports().GetLogEx(&record), 0);
    int32_t size = -5;
    EXPECT_EQ(Exports().GetModuleInfo(&record, nullptr, &size) & 0xFF, 0);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(Exports().FreePluginInstance(&record), -1);
  }
  EXPECT_EQ(notAnInstance[0], 0u);
}

TEST_F(PluginExports, CommandTableResults) {
  const uintptr_t instance = Create();
  struct TCase {
    std::string Command;
    TCommandParams Params;
    bool WithResult;
    int32_t Expected;
    uint8_t DataFlags = 0;
  };
  const std::vector<TCase> cases = {
      {"LOAD", {}, false, 0},
      {"EVENT", {}, false, -1},
      {"SET-STATE", {{"DATA-SOURCES-IN-CFG", Text("")}}, false, -1},
      {"SET-STATE", {{"RESULT", TVariant::OfI4(1)}}, false, 0, 0x01},
      {"EVENT", {{"EVENT-TYPE", Text("PORT-OPEN")}}, false, 0},
      {"SET-ITEMS", {}, false, -1},
      {"SET-ITEMS", {{"ITEMS", TVariant::OfI4(5)}}, false, -1},
      {"SET-ITEMS", {{"ITEMS", Text("Speed|SPEED|Integer|")}}, false, 0},
      {"ITEMS", {}, false, -1},
      {"ITEMS", {}, true, 0},
      {"EVENTS-SUPPORT", {}, true, 0},
      {"GET-MODULE-PARAMETER", {}, true, -2},
      {"GET-MODULE-PARAMETER", {{"PARAM", Text("ModuleName")}}, true, 0},
      {"SET-MODULE-PARAMETER", {}, true, -2},
      {"SET-MODULE-PARAMETER",
       {{"PARAM", Text("Custom_Speed")}, {"VALUE", TVariant::OfI4(3)}},
       true,
       0},
      {"SAVE-SETTINGS-NOW", {}, false, -2},
      {"LOAD-SETTINGS-NOW", {}, false, -2},
      {"load", {}, false, -2},
      {"UNLOAD", {}, false, 0},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(RunChecked(instance, c.Command, c.Params, c.WithResult, c.DataFlags), c.Expected)
        << c.Command;
  }
}

TEST_F(PluginExports, ListWithoutCommandIsRefused) {
  const uintptr_t instance = Create();
  host::THostParams params;
  params.Set("PARAM", Text("ModuleName"));
  TPluginCallRec record = host::MakeCallRecord(instance);
  record.Params = params.AsInterfaceRef();
  EXPECT_EQ(Exports().ExecutePluginCommand(&record), -1);
  params.Set("COMMAND", TVariant::Null());
  EXPECT_EQ(Exports().ExecutePluginCommand(&record), -1);
}

TEST_F(PluginExports, AnswersGoIntoAnExistingResultOnly) {
  const uintptr_t instance = Create();
  Load(instance, 31);
  EXPECT_EQ(Parameter(instance, "ModuleIndex"), TVariant::OfI4(31));
  const host::TCommandResult dropped =
      Run(instance, "GET-MODULE-PARAMETER", {{"PARAM", Text("ModuleIndex")}});
  EXPECT_EQ(dropped.Code, 0);
  EXPECT_EQ(dropped.Result.Type(), VarType::Empty);
  EXPECT_EQ(Parameter(instance, "NoSuchParameter").Type(), VarType::Empty);
}

TEST_F(PluginExports, TextAnswersReadTheSameThroughBothStringWidths) {
  const uintptr_t instance = Create();
  EXPECT_EQ(
      RunChecked(instance, "SET-MODULE-PARAMETER",
                 {{"PARAM", Text("LOGTITLE")}, {"VALUE", TVariant::OfWide(u"Wide title")}}, true),
      0);
  EXPECT_TRUE(AsBool(FLastResult));
  for (const TVariant& initial : {TVariant::OfAnsi("old"), TVariant::OfWide(u"old")}) {
    host::THostParams params;
    params.Set("COMMAND", Text("GET-MODULE-PARAMETER"));
    params.Set("PARAM", Text("LogTitle"));
    params.Set("RESULT", initial);
    TPluginCallRec record = host::MakeCallRecord(instance);
    record.Params = params.AsInterfaceRef();
    ASSERT_EQ(Exports().ExecutePluginCommand(&record), 0);

    ImoxParamsListA* listA = *host::PointerOf<ImoxParamsListA*>(params.AsInterfaceRef());
    const TAnsiString nameA("RESULT");
    TVarData valueA{};
    ASSERT_EQ(listA->GetValue(nameA.Handle(), 0, -1, &valueA), kS_OK);
    EXPECT_EQ(VarToAnsi(TVariant::Adopt(valueA)), "Wide title");

    TmoxIntfRef<ImoxParamsListW> listW;
    ASSERT_EQ(listA->QueryInterface(IID_ImoxParamsListW, reinterpret_cast<void**>(listW.Receive())),
              kS_OK);
    const platform::BStr nameW = platform::AllocBStr(u"RESULT", 6);
    TVarData valueW{};
    EXPECT_EQ(listW->GetValue(nameW, 0, -1, &valueW), kS_OK);
    platform::FreeBStr(nameW);
    const TVariant wide = TVariant::Adopt(valueW);
    EXPECT_EQ(wide.Type(), VarType::BStr);
    EXPECT_EQ(wide.WideView(), u"Wide title");
  }
}

TEST_F(PluginExports, ParserItemsSetAreReportedBack) {
  const uintptr_t instance = Create();
  EXPECT_EQ(Run(instance, "SET-ITEMS",
                {{"ITEMS", TVariant::OfWide(u"Speed|SPEED|integer|x\r\n"
                                            u"Name only|NAME")}})
                .Code,
            0);
  EXPECT_EQ(VarToAnsi(Parameter(instance, "ParserItems")),
            "Speed|SPEED|Integer|x\r\nName only|NAME||");
  EXPECT_EQ(Parameter(instance, "ParserItemType1"), TVariant::OfI4(17));
  EXPECT_EQ(Parameter(instance, "parseritemname0").Type(), VarType::Empty);
}

TEST_F(PluginExports, ListObjectByAddressIsWrappedAndGivenBack) {
  const uintptr_t instance = Create();
  host::THostParams params;
  params.Set("COMMAND", Text("GET-MODULE-PARAMETER"));
  params.Set("PARAM", Text("ModuleLoadCount"));
  params.Set("RESULT", TVariant());
  TPluginCallRec record = host::MakeCallRecord(instance);
  record.Params = params.AsListObject();
  const std::vector<uint8_t> before = BytesOf(record);
  EXPECT_EQ(Exports().ExecutePluginCommand(&record), 0);
  EXPECT_EQ(BytesOf(record), before);
  EXPECT_EQ(params.Get("RESULT"), TVariant::OfI4(0));
}

TEST_F(PluginExports, AddressWithAWrongSignatureIsTakenAsAnInterfaceReference) {
  const uintptr_t instance = Create();
  host::THostParams params;
  params.Set("COMMAND", Text("LOAD"));
  // Zeroed memory whose first word holds the list's interface: wherever the
  // plug-in looks for a signature, it finds none.
  std::vector<uintptr_t> notAList(64, 0);
  notAList[0] = reinterpret_cast<uintptr_t>(*host::PointerOf<void*>(params.AsInterfaceRef()));
  TPluginCallRec record = host::MakeCallRecord(instance);
  record.Params = reinterpret_cast<uintptr_t>(notAList.data());
  const std::vector<uint8_t> before = BytesOf(record);
  EXPECT_EQ(Exports().ExecutePluginCommand(&record), 0);
  EXPECT_EQ(BytesOf(record), before);
  EXPECT_EQ(Parameter(instance, "ModuleLoadCount"), TVariant::OfI4(1));
}

TEST_F(PluginExports, LoadAndUnloadAreCounted) {
  const uintptr_t instance = Create();
  Load(instance);
  Load(instance);
  EXPECT_EQ(Run(instance, "UNLOAD").Code, 0);
  EXPECT_FALSE(AsBool(Parameter(instance, "TerminateNow")));
  EXPECT_EQ(Run(instance, "UNLOAD").Code, 0);
  EXPECT_TRUE(AsBool(Parameter(instance, "TerminateNow")));
  EXPECT_EQ(Run(instance, "UNLOAD").Code, 0);
  EXPECT_EQ(Parameter(instance, "ModuleLoadCount"), TVariant::OfI4(0));
}

TEST_F(PluginExports, SetStateSetsTheFlagsOfTheRecord) {
  const uintptr_t instance = Create();
  TPluginCallRec base = host::MakeCallRecord(instance);
  base.DataFlags = 0x05;
  EXPECT_EQ(host::RunCommand(Exports().ExecutePluginCommand, base, "SET-STATE",
                             {{"RESULT", TVariant::OfI4(1)}})
                .Code,
            0);
  EXPECT_EQ(Parameter(instance, "ModuleEnabled"), TVariant::OfI4(0x05));
  base.DataFlags = 0x01;
  EXPECT_EQ(host::RunCommand(Exports().ExecutePluginCommand, base, "SET-STATE",
                             {{"RESULT", TVariant::OfI4(0)}})
                .Code,
            0);
  EXPECT_EQ(Parameter(instance, "ModuleEnabled"), TVariant::OfI4(0x04));
}

TEST_F(PluginExports, ModuleInfoReportsItsSizeFirst) {
  const uintptr_t instance = Create();
  TPluginCallRec record = host::MakeCallRecord(instance);
  int32_t size = 0;
  EXPECT_EQ(Exports().GetModuleInfo(&record, nullptr, &size) & 0xFF, 0);
  ASSERT_GE(size, kModuleInfoSize);

  std::vector<uint8_t> small(static_cast<size_t>(size), 0xAB);
  const int32_t tooSmall = kModuleInfoSize - 1;
  std::memcpy(small.data(), &tooSmall, sizeof tooSmall);
  const std::vector<uint8_t> untouched = small;
  int32_t reported = 0;
  EXPECT_EQ(Exports().GetModuleInfo(&record, reinterpret_cast<TPluginModuleInfo*>(small.data()),
                                    &reported) &
                0xFF,
            0);
  EXPECT_EQ(small, untouched);
  EXPECT_EQ(reported, size);

  const host::TModuleInfo info = host::QueryModuleInfo(Exports().GetModuleInfo, record);
  EXPECT_EQ(info.InterfaceVersion, 4u);
  EXPECT_EQ(info.InfoFlag, 1);
  EXPECT_GE(info.ModuleVersion, 4.0f);
  EXPECT_EQ(
      static_cast<int32_t>(kModuleInfoSize + info.Description.size() + info.CustomCommands.size()),
      size);
}

TEST_F(PluginExports, CustomCommandsAppearInTheModuleInfo) {
  const uintptr_t instance = Create();
  const host::TCommandResult set =
      Run(instance, "SET-MODULE-PARAMETER",
          {{"PARAM", Text("CustomCommands")}, {"VALUE", Text("Reset|Reset all|R|1|0")}}, true);
  EXPECT_EQ(set.Code, 0);
  TPluginCallRec record = host::MakeCallRecord(instance);
  EXPECT_EQ(host::QueryModuleInfo(Exports().GetModuleInfo, record).CustomCommands,
            "Reset|Reset all|R|1|0\r\n");
}

TEST_F(PluginExports, LogIsKeptForABufferTooSmallAndDroppedForCapacityZero) {
  const uintptr_t instance = Create();
  Load(instance);
  EXPECT_EQ(RequestWithoutData(instance), 0);
  EXPECT_EQ(RequestWithoutData(instance), 0);

  uintptr_t pending = 0;
  EXPECT_EQ(FetchRaw(instance, 3, &pending), "");
  ASSERT_GT(pending, 3u);
  const std::string text = FetchRaw(instance, static_cast<int32_t>(pending));
  EXPECT_EQ(text.size(), pending);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  const std::vector<host::TLogLine> lines = host::SplitLogText(text);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().Level, host::TLogLevel::Warning);
  EXPECT_NE(lines.back().Text.find("No data for processing x2"), std::string::npos) << text;

  EXPECT_EQ(FetchRaw(instance, 100, &pending), "");
  EXPECT_EQ(pending, 0u);

  EXPECT_EQ(RequestWithoutData(instance), 0);
  EXPECT_EQ(FetchRaw(instance, 0, &pending), "");
  EXPECT_GT(pending, 0u);
  EXPECT_EQ(FetchRaw(instance, 100, &pending), "");
  EXPECT_EQ(pending, 0u);
}

// A stored request tree that cannot be read stops the rebuild at the first
// engine: one error line, however many data sources there are.
TEST_F(PluginExports, AMalformedTreeIsLoggedOnceForAllEngines) {
  const std::string ini = host_test::TempPath("plugin-exports-").string() + ".ini";
  std::ofstream(ini, std::ios::binary) << "[Common]\r\nParser config=<MODBUSRTUQUERY/></x><y/>\r\n";
  const uintptr_t instance = Create();
  EXPECT_EQ(Run(instance, "LOAD", {{"INI-FILE", Text(ini)}}).Code, 0);
  EXPECT_EQ(host_test::SetState(Exports(), instance, "1;A;A\r\n2;B;B", true), 0);
  std::filesystem::remove(ini);
  std::vector<std::string> errors;
  for (const host::TLogLine& line : host::SplitLogText(FetchRaw(instance, 65536))) {
    if (line.Level == host::TLogLevel::Error) errors.push_back(line.Text);
  }
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("Error on items formation ("), std::string::npos) << errors[0];
  EXPECT_EQ(errors[0].find(" x2"), std::string::npos) << errors[0];
}

TEST_F(PluginExports, ProcessDataNeedsALoadedInstance) {
  const uintptr_t instance = Create();
  TPluginCallRec record = host::MakeCallRecord(instance);
  host::THostParams params;
  record.Params = params.AsInterfaceRef();
  record.DataFlags = 0x02;
  Load(instance);
  EXPECT_EQ(Exports().ProcessData(&record), 0);
  EXPECT_EQ(Run(instance, "UNLOAD").Code, 0);
  EXPECT_EQ(Exports().ProcessData(&record), -1);
}

TEST_F(PluginExports, ProcessDataConsumesAWrappedInputList) {
  const uintptr_t instance = Create();
  Load(instance);
  host::THostParams params;
  host::THostParams input;
  input.Set("VALUE", TVariant::OfI4(1));
  TPluginCallRec record = host::MakeCallRecord(instance);
  record.Params = params.AsInterfaceRef();
  record.DataFlags = 0x02;
  record.InData.Kind = kSlotListObject;
  record.InData.Ptr = input.AsListObject();
  EXPECT_EQ(Exports().ProcessData(&record), 0);
  EXPECT_EQ(record.InData.Ptr, 0u);
  EXPECT_EQ(record.Params, params.AsInterfaceRef());
  EXPECT_EQ(input.Get("VALUE"), TVariant::OfI4(1));
}

TEST_F(PluginExports, InputObjectWithAWrongSignatureIsNotWrapped) {
  const uintptr_t instance = Create();
  Load(instance);
  host::THostParams params;
  std::vector<uintptr_t> notAList(64, 0);
  TPluginCallRec record = host::MakeCallRecord(instance);
  record.Params = params.AsInterfaceRef();
  record.DataFlags = 0x02;
  record.InData.Kind = kSlotListObject;
  record.InData.Ptr = reinterpret_cast<uintptr_t>(notAList.data());
  EXPECT_EQ(Exports().ProcessData(&record), 0);
  EXPECT_EQ(record.InData.Kind, kSlotListObject);
  EXPECT_EQ(notAList, std::vector<uintptr_t>(64, 0));
}

TEST_F(PluginExports, DataCallsRunBesideCommandsOfAnotherThread) {
  const uintptr_t instance = Create();
  Load(instance);
  constexpr int kRounds = 200;
  int commandFailures = 0;
  host_test::TFunctionThread commands([&] {
    for (int i = 0; i < kRounds; ++i) {
      if (Run(instance, "GET-MODULE-PARAMETER", {{"PARAM", Text("ModuleName")}}, true).Code != 0) {
        ++commandFailures;
      }
    }
  });
  const uint8_t bytes[] = {0x16};
  for (int i = 0; i < kRounds; ++i) {
    host::THostParams params;
    TPluginCallRec record = host::MakeCallRecord(instance, 7, 1);
    record.Params = params.AsInterfaceRef();
    record.DataFlags = 0x02;
    host::SetSlotText(record.InData, bytes, 1);
    EXPECT_EQ(Exports().ProcessData(&record), 0);
  }
  commands.WaitFor();
  EXPECT_EQ(commandFailures, 0);
}

// Hosts create and free instances from any thread: a free removes exactly the
// instance it names, also while other threads create and free theirs.
TEST_F(PluginExports, InstancesComeAndGoOnSeveralThreadsWithoutTouchingOthers) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 100;
  std::atomic<int> failures{0};
  const auto churn = [&] {
    host::THostParams params;
    const auto create = [&] {
      TPluginCallRec record = host::MakeCallRecord(0);
      record.Params = params.AsInterfaceRef();
      if (Exports().CreatePluginInstance(&record) != 0) ++failures;
      return record.Instance;
    };
    const auto free = [&](uintptr_t instance) {
      TPluginCallRec record = host::MakeCallRecord(instance);
      if (Exports().FreePluginInstance(&record) != 0) ++failures;
    };
    const uintptr_t keeper = create();
    for (int round = 0; round < kRounds; ++round) {
      free(create());
      if (Run(keeper, "GET-MODULE-PARAMETER", {{"PARAM", Text("ModuleName")}}, true).Code != 0) {
        ++failures;
      }
    }
    free(keeper);
  };
  std::vector<std::unique_ptr<host_test::TFunctionThread>> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.push_back(std::make_unique<host_test::TFunctionThread>(churn));
  }
  threads.clear();
  EXPECT_EQ(failures.load(), 0);
}

// Bytes for a data source may arrive while a state change on another thread
// creates and frees that source's engine: the data call never meets a freed one.
TEST_F(PluginExports, DataCallsRunWhileStateChangesCreateAndFreeEngines) {
  const uintptr_t instance = Create();
  Load(instance);
  std::atomic<bool> done{false};
  std::atomic<int> dataFailures{0};
  host_test::TFunctionThread data([&] {
    const uint8_t bytes[] = {0x16};
    while (!done.load()) {
      host::THostParams params;
      TPluginCallRec record = host::MakeCallRecord(instance, 7, 1);
      record.Params = params.AsInterfaceRef();
      record.DataFlags = 0x02;
      host::SetSlotText(record.InData, bytes, 1);
      if (Exports().ProcessData(&record) != 0) ++dataFailures;
    }
  });
  for (int round = 0; round < 10; ++round) {
    for (const bool on : {true, false}) {
      EXPECT_EQ(host_test::SetState(Exports(), instance, "1;A;A", on), 0);
    }
  }
  done = true;
  data.WaitFor();
  EXPECT_EQ(dataFailures.load(), 0);
}

TEST_F(PluginExports, RecordIsRestoredAfterDataCallsAndLogFetches) {
  const uintptr_t instance = Create();
  Load(instance);
  host::THostParams params;
  const uint8_t bytes[] = {1, 2, 3};
  TPluginCallRec record = host::MakeCallRecord(instance, 7, 1);
  record.Params = params.AsInterfaceRef();
  record.DataFlags = 0x02;
  host::SetSlotText(record.InData, bytes, 3);
  const TPluginCallRec saved = record;
  EXPECT_EQ(Exports().ProcessData(&record), 0);
  // The bytes may be marked as consumed; everything else is given back.
  EXPECT_TRUE(record.InData.Ptr == saved.InData.Ptr || record.InData.Ptr == 0);
  record.InData.Ptr = saved.InData.Ptr;
  EXPECT_EQ(BytesOf(record), BytesOf(saved));
}

TEST(PluginFinalRelease, ReturnsZeroAlsoWhenRepeated) {
  if (host_test::PluginPath().empty()) GTEST_SKIP() << "this build has no plug-in";
  host::TPluginLibrary library(host_test::PluginPath());
  EXPECT_EQ(library.FinalRelease(), 0);
  TPluginCallRec record = host::MakeCallRecord(0);
  record.InData.Kind = kSlotMarker;
  record.InData.Ptr = kFinalReleaseMarker;
  EXPECT_EQ(library.Exports().FreePluginInstance(&record), 0);
}

// A host may unload the library while instances still run: they are freed
// with it, engines and all.
TEST(PluginUnload, InstancesLeftAliveAreFreedWithTheLibrary) {
  if (host_test::PluginPath().empty()) GTEST_SKIP() << "this build has no plug-in";
#if defined(_WIN32)
  // Windows frees them while it holds its loader lock, and a thread that ends needs
  // that lock: freeing an engine there waits for its worker forever.
  GTEST_SKIP() << "an engine cannot be freed under the loader lock";
#endif
  host::TPluginLibrary library(host_test::PluginPath());
  TPluginCallRec record = host::MakeCallRecord(0);
  host::THostParams params;
  record.Params = params.AsInterfaceRef();
  ASSERT_EQ(library.Exports().CreatePluginInstance(&record), 0);
  EXPECT_EQ(host::RunCommand(library.Exports().ExecutePluginCommand,
                             host::MakeCallRecord(record.Instance), "LOAD", {})
                .Code,
            0);
  EXPECT_EQ(host_test::SetState(library.Exports(), record.Instance, "1;A;A", true), 0);
}

}  // namespace
