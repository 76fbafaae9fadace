#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ReadAddress.h"
#include "ReadPlan.h"
#include "RequestPlan.h"
#include "RequestTreeXml.h"
#include "SettingsWriter.h"
#include "plc/PluginDM_RequestItems.h"
#include "plc/PluginDM_RequestTree.h"

// Packing --read values into requests, and the tree the plug-in builds from them.

namespace {

using plchost::PackReads;
using plchost::TReadRequest;
using plchost::TReadValue;

std::vector<TReadRequest> Pack(const std::vector<std::string>& texts) {
  std::vector<TReadValue> values;
  for (const std::string& text : texts) values.push_back(plchost::ParseReadValue(text));
  return PackReads(values);
}

struct TExpectedRequest {
  std::string Caption;
  uint8_t Area;
  int32_t Block;
  int32_t Offset;
  int32_t Size;
  std::vector<int32_t> ItemOffsets;
  std::vector<std::string> Fields;  // of the values shown, in --read order
};

void ExpectRequests(const std::vector<std::string>& texts,
                    const std::vector<TExpectedRequest>& expected) {
  SCOPED_TRACE(texts.front());
  const std::vector<TReadRequest> requests = Pack(texts);
  ASSERT_EQ(requests.size(), expected.size());
  for (size_t index = 0; index < requests.size(); ++index) {
    const TReadRequest& request = requests[index];
    const TExpectedRequest& wanted = expected[index];
    EXPECT_EQ(request.Caption, wanted.Caption);
    EXPECT_EQ(request.Area, wanted.Area);
    EXPECT_EQ(request.DBNumber, wanted.Block);
    EXPECT_EQ(request.Offset, wanted.Offset);
    EXPECT_EQ(request.Size, wanted.Size);
    std::vector<int32_t> offsets;
    for (const plchost::TPlanItem& item : request.Items) offsets.push_back(item.Offset);
    EXPECT_EQ(offsets, wanted.ItemOffsets) << request.Caption;
    std::vector<std::string> fields;
    for (const plchost::TShownValue& shown : request.Shown) fields.push_back(shown.Field);
    EXPECT_EQ(fields, wanted.Fields) << request.Caption;
  }
}

TEST(PlchostReadPlan, PacksNearbyValuesOfOneAreaUpToOneReadOfTheSmallestPdu) {
  // 216 bytes fit one request, the 217th starts the next one.
  ExpectRequests({"DB10.DBW214", "DB10.DBW0", "DB10.DBB216", "DB11.DBW0", "DB10.DBD2:real"},
                 {{"DB10", 5, 10, 0, 216, {0, 2, 214}, {"DB10.DBW214", "DB10.DBW0", "DB10.DBD2"}},
                  {"DB10 #2", 5, 10, 216, 1, {0}, {"DB10.DBB216"}},
                  {"DB11", 5, 11, 0, 2, {0}, {"DB11.DBW0"}}});
  // Areas keep the order in which they first appear.
  ExpectRequests({"MW10", "IB0", "QB1", "MB0", "PIW256", "EB3"},
                 {{"M", 4, 0, 0, 12, {0, 10}, {"MW10", "MB0"}},
                  {"I", 2, 0, 0, 4, {0, 3}, {"IB0", "EB3"}},
                  {"Q", 3, 0, 1, 1, {0}, {"QB1"}},
                  {"P", 7, 0, 256, 2, {0}, {"PIW256"}}});
  // Counters are numbered: two bytes each in the answer.
  ExpectRequests({"C9", "C5", "Z6"}, {{"C", 6, 0, 5, 10, {0, 2, 8}, {"C9", "C5", "Z6"}}});
  // A string reads 255 characters, after its two header bytes, in a request of its own.
  ExpectRequests({"DB1.DBW0", "DB1.DBB10:string[20]=MSG", "DB1.DBW4", "DB1.DBB300:char[8]"},
                 {{"DB1", 5, 1, 0, 6, {0, 4}, {"DB1.DBW0", "DB1.DBW4"}},
                  {"DB1 #2", 5, 1, 10, 257, {2}, {"MSG"}},
                  {"DB1 #3", 5, 1, 300, 255, {0}, {"DB1.DBB300"}}});
}

TEST(PlchostReadPlan, BitsOfOneByteShareAnItemNamedByTheirAddresses) {
  const auto requests = Pack({"DB1.DBX4.3=RUN", "DB1.DBX4.1", "DB1.DBX5.0", "DB1.DBB4"});
  ASSERT_EQ(requests.size(), 1u);
  const TReadRequest& request = requests[0];
  ASSERT_EQ(request.Items.size(), 3u);
  EXPECT_EQ(request.Items[0].Name, "DB1.DBX4.");
  EXPECT_EQ(request.Items[0].Count, 4) << "bits 0 to 3";
  EXPECT_TRUE(request.Items[0].Bits);
  EXPECT_EQ(request.Items[1].Name, "DB1.DBB4");
  EXPECT_EQ(request.Items[2].Name, "DB1.DBX5.");
  EXPECT_EQ(request.Items[2].Count, 1);
  ASSERT_EQ(request.Shown.size(), 4u);
  EXPECT_EQ(request.Shown[0].Field, "DB1.DBX4.3");
  EXPECT_EQ(request.Shown[0].Label, "RUN");
  EXPECT_EQ(request.Shown[1].Field, "DB1.DBX4.1");
  EXPECT_EQ(request.Shown[2].Field, "DB1.DBX5.0");
}

TEST(PlchostReadPlan, RefusesTimersAndNamesGivenTwice) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"T3"}, "--read \"T3\": the plug-in reads no timers"},
      {{"MW0", "MW0"}, "--read: the name \"MW0\" is given twice"},
      {{"MW0=A", "MB5=A"}, "--read: the name \"A\" is given twice"},
      {{"MB0=M1.0", "M1.2"}, "--read: the name \"M1.0\" is given twice"},
  };
  for (const auto& [texts, message] : cases) {
    try {
      Pack(texts);
      ADD_FAILURE() << texts.front();
    } catch (const plchost::EAddress& error) {
      EXPECT_EQ(std::string(error.what()).rfind(message, 0), 0u) << error.what();
    }
  }
}

// The tree as the plug-in builds it: every request as planned, every value
// named as the records will name it.
TEST(PlchostReadPlan, ThePluginBuildsTheTreeAsPlanned) {
  const std::vector<std::string> texts = {"DB10.DBD4:real=T<&>\"'", "DB10.DBX0.2",  "MW2:int", "C3",
                                          "DB10.DBB40:string[10]",  "DB10.DBW2:int"};
  const auto plan = Pack(texts);
  TDataSourceCfg settings(nullptr);
  settings.lblParams_Caption =
      plchost::RequestTreeText(plchost::RequestTreeXml(plan, 250, "test -- tree"));
  TThreadObjectList list(true);
  TRequestListBuild build;
  build.Settings = &settings;
  BuildRequestList(build, list);
  const auto planned = plchost::PlanRequests(settings, {});
  TReadGuard<TThreadObjectList> hold(list);
  ASSERT_EQ(static_cast<size_t>(hold->Count()), plan.size());
  ASSERT_EQ(planned.size(), plan.size());
  for (size_t index = 0; index < plan.size(); ++index) {
    const auto& built = static_cast<const TRequestItem&>(*(*hold)[static_cast<int32_t>(index)]);
    SCOPED_TRACE(plan[index].Caption);
    EXPECT_EQ(built.Name, plan[index].Caption);
    EXPECT_TRUE(built.Enabled);
    EXPECT_TRUE(built.MethodPoll);
    EXPECT_EQ(built.PollInterval, 250);
    EXPECT_EQ(built.Params.Area, plan[index].Area);
    EXPECT_EQ(built.Params.DBNumber, plan[index].DBNumber);
    EXPECT_EQ(built.Params.Offset, plan[index].Offset);
    EXPECT_EQ(built.Params.Size, plan[index].Size);
    ASSERT_EQ(built.Items.size(), plan[index].Items.size());
    for (size_t item = 0; item < built.Items.size(); ++item) {
      EXPECT_EQ(built.Items[item].Offset, plan[index].Items[item].Offset);
      EXPECT_EQ(built.Items[item].Name, plan[index].Items[item].Name);
    }
    for (const plchost::TShownValue& shown : plan[index].Shown) {
      const auto& names = planned[index].ValueNames;
      EXPECT_NE(std::find(names.begin(), names.end(), shown.Field), names.end()) << shown.Field;
    }
  }
  EXPECT_EQ(planned[0].ValueNames,
            (std::vector<std::string>{"DB10.DBX0.0", "DB10.DBX0.1", "DB10.DBX0.2", "DB10.DBW2",
                                      "T<&>\"'"}));
}

TEST(PlchostReadPlan, LongIntervalsAreWrittenInSeconds) {
  const auto plan = Pack({"MB0"});
  const std::string tree = plchost::RequestTreeXml(plan, 3600000, "");
  EXPECT_NE(tree.find("<PollInterval>3600</PollInterval><PollUnits>S</PollUnits>"),
            std::string::npos)
      << tree;
  TDataSourceCfg settings(nullptr);
  settings.lblParams_Caption = tree;
  EXPECT_EQ(plchost::PlanRequests(settings, {})[0].PollInterval, 3600000);
}

}  // namespace
