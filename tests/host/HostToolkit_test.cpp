#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "HostFunctions.h"
#include "HostTestSupport.h"
#include "HostWindow.h"
#include "LogFetch.h"
#include "ModuleInfo.h"
#include "moxShared/Public/Common/moxParamLstWrap.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/Library.h"

namespace {

using host_test::TRecordingSink;

// Registers a sink for the duration of a test.
class TScopedSink {
 public:
  TScopedSink(int32_t hostContext, host::IHostSink* sink) : FContext(hostContext) {
    host::RegisterHostSink(hostContext, sink);
  }
  ~TScopedSink() { host::UnregisterHostSink(FContext); }
  TScopedSink(const TScopedSink&) = delete;
  TScopedSink& operator=(const TScopedSink&) = delete;

 private:
  int32_t FContext;
};

// Builds a data record the way the plug-in delivers one: a list interface
// reference in OutData, the raw text in InData.
class TDeliveredList {
 public:
  TDeliveredList() : FWrap(new TmoxParamsListWrap(&FList, true)) {}
  ~TDeliveredList() { FWrap->Destroy(); }
  TDeliveredList(const TDeliveredList&) = delete;
  TDeliveredList& operator=(const TDeliveredList&) = delete;

  TmoxParamsList& List() { return FList; }
  std::string RawText;

  TPluginCallRec Record() {
    TPluginCallRec record = host::MakeCallRecord(0);
    record.Flags = 1;
    if (!RawText.empty()) {
      host::SetSlotText(record.InData, RawText.data(), static_cast<int32_t>(RawText.size()));
    }
    host::SetSlotList(record.OutData, FWrap->GetIntfRef());
    return record;
  }

 private:
  TmoxParamsList FList;
  TmoxParamsListWrap* FWrap;
};

using TSendDataEx = THarvexSendDataEx;

TSendDataEx ProgramSendDataEx() {
  return reinterpret_cast<TSendDataEx>(
      platform::FindExport(platform::ProgramModule(), "Harvex_SendDataEx"));
}

TEST(HostFunctions, AreExportedByTheProgramUnderTheirNames) {
  for (const char* name : host::kHostFunctionNames) {
    EXPECT_NE(platform::FindExport(platform::ProgramModule(), name), nullptr) << name;
  }
}

TEST(HostFunctions, SendDataExHandsBytesToTheSinkOfTheContext) {
  TRecordingSink sink;
  TScopedSink scoped(41, &sink);
  const uint8_t bytes[] = {0x03, 0x00, 0x00, 0x16};
  TSendDataEx send = ProgramSendDataEx();
  ASSERT_NE(send, nullptr);
  EXPECT_EQ(send(41, 3, 4, 0, kSendBytes, const_cast<uint8_t*>(bytes), 0), 4);
  EXPECT_EQ(send(42, 3, 4, 0, kSendBytes, const_cast<uint8_t*>(bytes), 0), -1);
  ASSERT_EQ(sink.Bytes().size(), 1u);
  EXPECT_EQ(sink.Bytes()[0], std::vector<uint8_t>(bytes, bytes + 4));
  EXPECT_EQ(sink.Clients(), std::vector<int32_t>{3});
}

TEST(HostFunctions, SendDataExRefusesNonsense) {
  TRecordingSink sink;
  TScopedSink scoped(43, &sink);
  uint8_t byte = 0;
  EXPECT_EQ(host::DispatchSendData(43, 0, -1, kSendBytes, &byte), -1);
  EXPECT_EQ(host::DispatchSendData(43, 0, 5, kSendBytes, nullptr), -1);
  EXPECT_EQ(host::DispatchSendData(43, 0, 1, 0x42, &byte), -1);
  EXPECT_EQ(host::DispatchSendData(43, 0, 0, kSendDataRecord, nullptr), -1);
  TPluginCallRec wrongSize = host::MakeCallRecord(0);
  wrongSize.Size = 100;
  EXPECT_EQ(host::DispatchSendData(43, 0, 0, kSendDataRecord, &wrongSize), -1);
  EXPECT_TRUE(sink.Bytes().empty());
  EXPECT_TRUE(sink.Records().empty());
}

TEST(HostFunctions, UnregisteredContextIsNotCalledAnyMore) {
  TRecordingSink sink;
  uint8_t byte = 1;
  host::RegisterHostSink(44, &sink);
  host::UnregisterHostSink(44);
  EXPECT_EQ(host::DispatchSendData(44, 0, 1, kSendBytes, &byte), -1);
  EXPECT_TRUE(sink.Bytes().empty());
}

TEST(HostFunctions, AFailingSinkGivesMinusThree) {
  class TThrowingSink : public host::IHostSink {
   public:
    int32_t SendBytes(int32_t, const uint8_t*, size_t) override {
      throw std::runtime_error("channel closed");
    }
    void DeliverRecord(int32_t, const host::TDataRecord&) override {}
  } sink;
  TScopedSink scoped(45, &sink);
  uint8_t byte = 1;
  EXPECT_EQ(host::DispatchSendData(45, 0, 1, kSendBytes, &byte), -3);
}

// The engines' threads deliver side by side: a sink held up in one call does not
// hold up another, and unregistering waits until the held call has ended.
TEST(HostFunctions, CallsRunSideBySideAndUnregisteringWaitsForThem) {
  constexpr uint32_t kBound = 10000;
  class TGateSink : public TRecordingSink {
   public:
    int32_t SendBytes(int32_t clientId, const uint8_t* data, size_t length) override {
      if (clientId == 1) {
        platform::SetEvent(Entered);
        platform::WaitForAny(&Release, 1, kBound);
        Ended = true;
      }
      return TRecordingSink::SendBytes(clientId, data, length);
    }
    platform::Handle Entered = platform::CreateManualResetEvent(false);
    platform::Handle Release = platform::CreateManualResetEvent(false);
    std::atomic<bool> Ended{false};
  } sink;
  host::RegisterHostSink(46, &sink);
  uint8_t byte = 7;
  host_test::TFunctionThread held([&] { host::DispatchSendData(46, 1, 1, kSendBytes, &byte); });
  ASSERT_EQ(platform::WaitForAny(&sink.Entered, 1, kBound), 0);
  const platform::Handle passed = platform::CreateManualResetEvent(false);
  host_test::TFunctionThread other([&] {
    if (host::DispatchSendData(46, 2, 1, kSendBytes, &byte) == 1) platform::SetEvent(passed);
  });
  EXPECT_EQ(platform::WaitForAny(&passed, 1, kBound / 2), 0) << "held up by another call";
  std::atomic<bool> unregistered{false};
  host_test::TFunctionThread unregister([&] {
    host::UnregisterHostSink(46);
    unregistered = true;
  });
  // The one time-bound check: 100 ms in which a wrong unregister would return.
  EXPECT_EQ(platform::WaitForAny(&sink.Release, 1, 100), platform::kWaitTimeout);
  EXPECT_FALSE(unregistered) << "the sink went while a call was still in it";
  platform::SetEvent(sink.Release);
  unregister.WaitFor();
  EXPECT_TRUE(sink.Ended);
  EXPECT_EQ(host::DispatchSendData(46, 2, 1, kSendBytes, &byte), -1);
  held.WaitFor();
  other.WaitFor();
  for (platform::Handle event : {passed, sink.Entered, sink.Release}) platform::CloseEvent(event);
}

TEST(HostFunctions, DataRecordIsCopiedWithItsValuesRowsAndRawText) {
  TRecordingSink sink;
  TScopedSink scoped(46, &sink);
  {
    TDeliveredList delivered;
    delivered.List().Add("AREA", TVariant::OfI4(132));
    delivered.List().Add("VALUE", TVariant::OfAnsi("12.5"));
    delivered.List().NewRow();
    delivered.RawText = "raw";
    TPluginCallRec record = delivered.Record();
    EXPECT_EQ(ProgramSendDataEx()(46, 9, 0, 0, kSendDataRecord, &record, 0), 0);
  }  // the plug-in's list is gone: the host keeps its copy
  ASSERT_EQ(sink.Records().size(), 1u);
  const host::TDataRecord record = sink.Records()[0];
  ASSERT_EQ(record.Values.size(), 3u);
  EXPECT_EQ(record.Values[0].Name, "AREA");
  EXPECT_EQ(record.Values[0].Value, TVariant::OfI4(132));
  ASSERT_NE(record.Find("VALUE"), nullptr);
  EXPECT_EQ(VarToAnsi(*record.Find("VALUE")), "12.5");
  EXPECT_TRUE(record.Values[2].NewRow);
  EXPECT_EQ(record.RawText, "raw");
  EXPECT_EQ(sink.Clients(), std::vector<int32_t>{9});
}

TEST(HostFunctions, DataRecordWithoutRawTextOrListIsEmpty) {
  TPluginCallRec record = host::MakeCallRecord(0);
  const host::TDataRecord empty = host::ReadDataRecord(&record);
  EXPECT_TRUE(empty.Values.empty());
  EXPECT_TRUE(empty.RawText.empty());
  EXPECT_THROW(host::ReadDataRecord(nullptr), std::invalid_argument);
}

TEST(LogText, LinesAreSplitAndTheirLevelByteRead) {
  const std::vector<host::TLogLine> lines = host::SplitLogText(
      "\x01"
      "Simatic. failed\r\n\r\n\x03"
      "done x2\r\n\x09odd\r\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Level, host::TLogLevel::Error);
  EXPECT_EQ(lines[0].Text, "Simatic. failed");
  EXPECT_EQ(lines[1].Level, host::TLogLevel::Information);
  EXPECT_EQ(lines[1].Text, "done x2");
  EXPECT_EQ(lines[2].Level, host::TLogLevel::Unknown);
  EXPECT_EQ(lines[2].Text, "\x09odd");
  EXPECT_TRUE(host::SplitLogText("").empty());
}

// A stand-in for the plug-in's GetLogEx that holds a text and records the
// capacities it was offered.
struct TFakeLog {
  static inline std::string Text;
  static inline std::vector<int32_t> Capacities;
  static inline uintptr_t ReportedSize = 0;  // when not 0, reported instead of the size

  static int32_t MOX_STDCALL_EXPORT GetLogEx(TPluginCallRec* record) {
    Capacities.push_back(record->InData.Length);
    record->OutData.Kind = kSlotCount;
    record->OutData.Ptr = ReportedSize != 0 ? ReportedSize : Text.size();
    if (Text.empty() || record->InData.Length == 0) {
      Text.clear();
      return 0;
    }
    if (static_cast<size_t>(record->InData.Length) < Text.size()) return 0;
    std::copy(Text.begin(), Text.end(), host::PointerOf<char>(record->InData.Ptr));
    const auto copied = static_cast<int32_t>(Text.size());
    Text.clear();
    return copied;
  }

  static void Reset(std::string text) {
    Text = std::move(text);
    Capacities.clear();
    ReportedSize = 0;
  }
};

TEST(LogFetch, OffersTheReportedSizeWhenTheFirstBufferIsTooSmall) {
  TFakeLog::Reset(std::string(100, 'a'));
  EXPECT_EQ(host::FetchLogText(&TFakeLog::GetLogEx, 1, 10), std::string(100, 'a'));
  EXPECT_EQ(TFakeLog::Capacities, (std::vector<int32_t>{10, 100}));
}

TEST(LogFetch, NeverOffersACapacityOfZeroThatWouldDropTheLines) {
  TFakeLog::Reset("\x02line\r\n");
  EXPECT_EQ(host::FetchLogText(&TFakeLog::GetLogEx, 1, 0), "\x02line\r\n");
  EXPECT_EQ(TFakeLog::Capacities.front(), 1);
}

TEST(LogFetch, GivesUpOnASizeThatNeverFits) {
  TFakeLog::Reset(std::string(100, 'a'));
  TFakeLog::ReportedSize = 50;  // claims less than it needs
  EXPECT_EQ(host::FetchLogText(&TFakeLog::GetLogEx, 1, 10), "");
  EXPECT_LE(TFakeLog::Capacities.size(), 8u);
}

TEST(HostWindow, FetchesTheLogOnTheMessageAndPassesReloadRequests) {
  host::THostWindow window;
  std::vector<host::TLogLine> received;
  int reloads = 0;
  window.Attach(
      5, {&TFakeLog::GetLogEx, 1,
          [&](const std::vector<host::TLogLine>& lines) { received = lines; }, [&] { ++reloads; }});
  TFakeLog::Reset(
      "\x02"
      "careful\r\n");
  ASSERT_TRUE(platform::PostMessageTo(window.Handle(), kMsgLogLinesWaiting, 6, 0));
  ASSERT_TRUE(platform::PostMessageTo(window.Handle(), kMsgLogLinesWaiting, 5, 0));
  ASSERT_TRUE(platform::PostMessageTo(window.Handle(), kMsgReloadSettings, 5, 0));
  EXPECT_TRUE(host_test::PumpUntil([&] { return reloads == 1; }));
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].Level, host::TLogLevel::Warning);
  EXPECT_EQ(received[0].Text, "careful");
  EXPECT_EQ(TFakeLog::Capacities.size(), 1u);  // context 6 has no client
}

// A stand-in for GetModuleInfo: the module of the description "Unit".
struct TFakeInfo {
  static inline bool PointOutside = false;

  static int32_t MOX_STDCALL_EXPORT GetModuleInfo(TPluginCallRec*, TPluginModuleInfo* info,
                                                  int32_t* size) {
    static const char kText[] = "Unit";
    *size = kModuleInfoSize + 4;
    if (info == nullptr || info->Size < *size) return 0;
    info->InterfaceVersion = 4;
    info->ModuleVersion = 4.0f;
    info->InfoFlag = 1;
    char* texts = reinterpret_cast<char*>(info) + kModuleInfoSize;
    std::copy(kText, kText + 4, texts);
    info->DescriptionLength = 4;
    info->Description = reinterpret_cast<uintptr_t>(PointOutside ? kText : texts);
    return 0x101;  // only the low byte is the Boolean
  }
};

TEST(ModuleInfo, IsAskedForItsSizeThenRead) {
  TPluginCallRec record = host::MakeCallRecord(1);
  TFakeInfo::PointOutside = false;
  const host::TModuleInfo info = host::QueryModuleInfo(&TFakeInfo::GetModuleInfo, record);
  EXPECT_EQ(info.Description, "Unit");
  EXPECT_EQ(info.InterfaceVersion, 4u);
  EXPECT_EQ(info.InfoFlag, 1);
  EXPECT_TRUE(info.CustomCommands.empty());
}

TEST(ModuleInfo, ATextOutsideTheBufferIsRefused) {
  TPluginCallRec record = host::MakeCallRecord(1);
  TFakeInfo::PointOutside = true;
  EXPECT_THROW(host::QueryModuleInfo(&TFakeInfo::GetModuleInfo, record), host::EModuleInfo);
}

// A stand-in for ExecutePluginCommand that answers as the plug-in does: into
// the existing "RESULT" only, with 8-bit text.
int32_t MOX_STDCALL_EXPORT AnswerCommand(TPluginCallRec* record) {
  ImoxParamsListA* list = *host::PointerOf<ImoxParamsListA*>(record->Params);
  const TAnsiString command("COMMAND");
  TVarData value{};
  if (list->GetValue(command.Handle(), 0, -1, &value) != kS_OK) return -3;
  const std::string text = VarToAnsi(TVariant::Adopt(value));
  const TAnsiString result("RESULT");
  TmoxIntfRef<ImoxParamsListItemA> item;
  TVarData answer{};
  answer.VType = VarType::AnsiStr;
  answer.Ptr = text.c_str();
  list->SetValue(result.Handle(), answer, 0, item.Receive());
  return item ? 0 : -1;
}

TEST(PluginCommand, PutsCommandAndResultItemIntoTheListAndReadsTheAnswer) {
  const TPluginCallRec base = host::MakeCallRecord(1);
  const host::TCommandResult answered = host::RunCommand(&AnswerCommand, base, "ITEMS", {}, true);
  EXPECT_EQ(answered.Code, 0);
  EXPECT_EQ(VarToAnsi(answered.Result), "ITEMS");
  const host::TCommandResult dropped = host::RunCommand(&AnswerCommand, base, "ITEMS");
  EXPECT_EQ(dropped.Code, -1);
  EXPECT_EQ(dropped.Result.Type(), VarType::Empty);
}

TEST(PluginLibrary, NamesTheFileThatCannotBeLoaded) {
  try {
    host::TPluginLibrary library("no-such-folder/no-such-plugin.so");
    FAIL() << "loaded";
  } catch (const host::EPluginLibrary& e) {
    EXPECT_NE(std::string(e.what()).find("no-such-plugin.so"), std::string::npos) << e.what();
  }
}

TEST(PluginLibrary, NamesTheMissingExport) {
#if defined(_WIN32)
  const std::string library = "kernel32.dll";
#else
  const std::string library = platform::ModuleFileName(
      platform::ModuleOfAddress(reinterpret_cast<const void*>(&platform::TickCount32)));
#endif
  try {
    host::TPluginLibrary plugin(library);
    FAIL() << "bound";
  } catch (const host::EPluginLibrary& e) {
    EXPECT_NE(std::string(e.what()).find("CreatePluginInstance"), std::string::npos) << e.what();
  }
}

}  // namespace
