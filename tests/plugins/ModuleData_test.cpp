// Data calls: the flags of a record, the data hook and what is logged.
#include <gtest/gtest.h>

#include <stdexcept>

#include "PluginTestSupport.h"
#include "moxShared/Private/Plugins/moxPluginCallRecIntf.h"

namespace {

std::unique_ptr<TmoxPlugin> MakeModule() { return TmoxPlugin::Create<TmoxPlugin>(nullptr, 0); }

constexpr char kText[] = "raw";

void GiveText(TPluginCallRec& record) {
  record.InData.Kind = kSlotText;
  record.InData.Ptr = reinterpret_cast<uintptr_t>(kText);
  record.InData.Length = 3;
}

}  // namespace

TEST(ModuleData, NoFlagsProcessesNothingButConsumesTheInput) {
  auto module = MakeModule();
  bool called = false;
  module->OnProcessData = [&](TmoxPlugin&, const TPluginCall&, int32_t&) { called = true; };
  TTestCall call;
  GiveText(call.Record());
  EXPECT_EQ(call.Process(*module), 0);
  EXPECT_FALSE(called);
  EXPECT_EQ(call.Record().InData.Ptr, 0u);
}

TEST(ModuleData, ARequestWithoutInputLogsTheNoDataText) {
  auto module = MakeModule();
  TTestCall call;
  call.Record().DataFlags = kDataRequest;
  EXPECT_EQ(call.Process(*module), 0);
  EXPECT_EQ(FetchLog(*module), "\x02No data for processing\r\n");
}

TEST(ModuleData, TheHookOutcomeIsReportedForRequestsAndWrites) {
  auto module = MakeModule();
  int32_t answer = -4;
  module->OnProcessData = [&](TmoxPlugin&, const TPluginCall&, int32_t& result) {
    result = answer;
  };
  TTestCall call;
  call.Record().DataFlags = kDataWrite;
  GiveText(call.Record());
  EXPECT_EQ(call.Process(*module), -4);
  answer = 2;
  GiveText(call.Record());
  EXPECT_EQ(call.Process(*module), 2);
  answer = 2;  // a positive result without input becomes 0
  EXPECT_EQ(call.Process(*module), 0);
  EXPECT_EQ(FetchLog(*module),
            "\x02"
            "Data have been processed with errors\r\n"
            "\x03"
            "Data have been processed successfully x2\r\n");
}

TEST(ModuleData, AThrowingHookGivesMinusThreeAndTheErrorText) {
  auto module = MakeModule();
  module->OnProcessData = [](TmoxPlugin&, const TPluginCall&, int32_t&) {
    throw std::runtime_error("broken frame");
  };
  TTestCall call;
  call.Record().DataFlags = 0x02;
  GiveText(call.Record());
  EXPECT_EQ(call.Process(*module), -3);
  EXPECT_EQ(FetchLog(*module),
            "\x02"
            "Data have been processed with errors: broken frame\r\n");
}

TEST(ModuleData, WithoutAHookPassThroughCopiesTheInputSlot) {
  auto module = MakeModule();
  TTestCall call;
  call.Record().DataFlags = kDataPassThrough;
  GiveText(call.Record());
  EXPECT_EQ(call.Process(*module), 0);
  EXPECT_EQ(call.Record().OutData.Kind, kSlotText);
  EXPECT_EQ(call.Record().OutData.Length, 3);
}

TEST(CallRecordConversion, AListObjectIsWrappedAndTheRecordRestored) {
  TmoxParamsList list;
  list.Add("COMMAND", TVariant::OfAnsi("ITEMS"));
  TmoxParamsList data;
  data.Add("X", TVariant::OfI4(1));
  TPluginCallRec record{};
  record.Size = kCallRecSize;
  record.Params = reinterpret_cast<uintptr_t>(&list);
  record.InData.Kind = kSlotListObject;
  record.InData.Ptr = reinterpret_cast<uintptr_t>(&data);
  {
    TPluginCallRecIntf converted(&record);
    ASSERT_NE(converted.Params(), nullptr);
    EXPECT_EQ(converted.Params()->GetCount(), 1);
    EXPECT_EQ(record.Flags & kFlagParamsIsInterface, 0);  // an object, not a reference
    EXPECT_EQ(record.InData.Kind, kSlotListInterface);
    ASSERT_NE(SlotListW(record.InData), nullptr);
    EXPECT_EQ(SlotListW(record.InData)->GetCount(), 1);
  }
  EXPECT_EQ(record.Params, reinterpret_cast<uintptr_t>(&list));
  EXPECT_EQ(record.InData.Kind, kSlotListInterface);  // rewritten slots keep kind 9
  EXPECT_EQ(list.Count(), 1);                         // the caller's lists are untouched
  EXPECT_EQ(data.Count(), 1);
}

TEST(CallRecordConversion, AnInterfaceReferenceSetsTheFlagWhileTheCallRuns) {
  auto* wrap = new TmoxParamsListWrap();
  ImoxParamsListA* reference = wrap;
  reference->AddRef();
  TPluginCallRec record{};
  record.Flags = 1;
  record.Params = reinterpret_cast<uintptr_t>(&reference);
  {
    TPluginCallRecIntf converted(&record);
    EXPECT_EQ(converted.Params(), reference);
    EXPECT_EQ(record.Flags, 1 | kFlagParamsIsInterface);
  }
  EXPECT_EQ(record.Flags, 1);
  reference->Release();
}

TEST(CallRecordConversion, AListWithAWrongSignatureInASlotIsLeftAlone) {
  uint8_t notAList[64] = {};
  TPluginCallRec record{};
  record.InData.Kind = kSlotListObject;
  record.InData.Ptr = reinterpret_cast<uintptr_t>(notAList);
  {
    TPluginCallRecIntf converted(&record);
    EXPECT_EQ(record.InData.Kind, kSlotListObject);
  }
  EXPECT_EQ(record.InData.Ptr, reinterpret_cast<uintptr_t>(notAList));
}
