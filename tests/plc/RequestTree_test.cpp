// Building the request list from the request tree: reader defaults, lookup
// quirks, the engine's part, limits and malformed input.

#include <gtest/gtest.h>

#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "PlcTestSupport.h"
#include "plc/PluginDM_RequestLimits.h"

namespace {

using plctest::BuiltList;
using plctest::LogRecorder;
using plctest::Tree;

TEST(RequestTree, ARequestWithoutChildrenTakesTheReaderDefaults) {
  BuiltList list(Tree("<Request/><Request caption=\"\"/><Request caption=\"Boiler\"/>"));
  ASSERT_EQ(list.Count(), 3);
  TRequestItem& first = list[0];
  EXPECT_EQ(first.Name, "Request #1");
  EXPECT_FALSE(first.Enabled);
  EXPECT_FALSE(first.Busy);
  EXPECT_FALSE(first.MethodPoll);
  EXPECT_EQ(first.PollInterval, 1000);
  EXPECT_TRUE(first.Items.empty());
  EXPECT_EQ(first.Params.Area, 0);
  EXPECT_EQ(first.Params.DBNumber, 0);
  EXPECT_EQ(first.Params.Offset, 0);
  EXPECT_EQ(first.Params.Size, 1);
  EXPECT_EQ(first.Params.Timeout, 3000);
  EXPECT_EQ(first.Params.Request, &first);
  EXPECT_TRUE(first.Timer.IsClear());
  EXPECT_EQ(list[1].Name, "Request #2");
  EXPECT_EQ(list[2].Name, "Boiler");
}

TEST(RequestTree, AnItemWithoutChildrenTakesTheReaderDefaults) {
  BuiltList list(Tree("<Request><Response><Item/></Response></Request>"));
  ASSERT_EQ(list[0].Items.size(), 1u);
  const TResponseItem& item = list[0].Items[0];
  EXPECT_EQ(item.Name, "ITEM");
  EXPECT_EQ(item.Offset, -1);
  EXPECT_EQ(item.Count, 1);
  EXPECT_EQ(item.DataType, TDataType::D16);
  EXPECT_EQ(item.Size, 2);
  EXPECT_EQ(item.Default.AnsiView(), "0");
  EXPECT_TRUE(item.AppendCnt);
  EXPECT_TRUE(item.ZeroBaseCnt);
  EXPECT_TRUE(item.Swapped);
  EXPECT_TRUE(item.Unsigned);
  EXPECT_FALSE(item.LE);
  EXPECT_EQ(item.Scale, 1.0L);
}

TEST(RequestTree, ValuesAreReadFromTheirElements) {
  BuiltList list(
      Tree("<Request caption=\"R\"><Enabled>1</Enabled><Area>5</Area><Datablock>12</Datablock>"
           "<Offset>$10</Offset><Size>20</Size><Timeout>500</Timeout><RequestMethod>"
           "<MethodOnce>0</MethodOnce><MethodPoll>1<PollInterval>3</PollInterval>"
           "<PollUnits>S</PollUnits></MethodPoll></RequestMethod><Response>"
           "<Item caption=\"x\"><Name>T</Name><Offset>4</Offset><Count>3</Count><AppendCnt>0"
           "<ZeroBaseCnt>0</ZeroBaseCnt></AppendCnt><DataType>F32</DataType><LE>1</LE>"
           "<Unsigned>0</Unsigned><Swapped>0</Swapped><Default>1.5</Default><Scale>0,1</Scale>"
           "</Item><Other><DataType>S</DataType></Other></Response></Request>"));
  const TRequestItem& r = list[0];
  EXPECT_TRUE(r.Enabled);
  EXPECT_EQ(r.Params.Area, 5);
  EXPECT_EQ(r.Params.DBNumber, 12);
  EXPECT_EQ(r.Params.Offset, 16);
  EXPECT_EQ(r.Params.Size, 20);
  EXPECT_EQ(r.Params.Timeout, 500);
  EXPECT_TRUE(r.MethodPoll);
  EXPECT_EQ(r.PollInterval, 3000);
  ASSERT_EQ(r.Items.size(), 2u);  // every child of Response is an item
  const TResponseItem& t = r.Items[0];
  EXPECT_EQ(t.Name, "T");
  EXPECT_EQ(t.Offset, 4);
  EXPECT_EQ(t.Count, 3);
  EXPECT_FALSE(t.AppendCnt);
  EXPECT_FALSE(t.ZeroBaseCnt);
  EXPECT_EQ(t.DataType, TDataType::F32);
  EXPECT_EQ(t.Size, 4);
  EXPECT_TRUE(t.LE);
  EXPECT_FALSE(t.Unsigned);
  EXPECT_FALSE(t.Swapped);
  EXPECT_EQ(t.Default.AnsiView(), "1.5");
  EXPECT_NEAR(static_cast<double>(t.Scale), 0.1, 1e-15);
  EXPECT_EQ(r.Items[1].DataType, TDataType::S);
  EXPECT_EQ(r.Items[1].Size, 255);
}

TEST(RequestTree, LookupQuirksOfTheTree) {
  BuiltList list(
      Tree("<Request><Response><Item><Offset>7</Offset></Item></Response></Request>"
           "<anything><x><y><Enabled>1</Enabled></y></x><MethodPoll check=\"2\"/>"
           "<PollUnits>s</PollUnits><PollInterval>5</PollInterval></anything>"
           "<Request><Area>300</Area><Response><Item><DataType>d8</DataType></Item>"
           "<Item><DataType>X</DataType></Item><Item><DataType>BIT</DataType></Item>"
           "</Response></Request>"));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0].Params.Offset, 7);  // the first item's offset
  EXPECT_TRUE(list[1].Enabled);         // nested at any depth
  EXPECT_TRUE(list[1].MethodPoll);
  EXPECT_EQ(list[1].PollInterval, 5);  // "s" is no unit: milliseconds
  EXPECT_EQ(list[2].Params.Area, 300 & 0xFF);
  EXPECT_EQ(list[2].Items[0].DataType, TDataType::D16);
  EXPECT_EQ(list[2].Items[1].DataType, TDataType::D16);
  EXPECT_EQ(list[2].Items[2].DataType, TDataType::BIT);
  EXPECT_EQ(list[2].Items[2].Size, 0);
}

TEST(RequestTree, PollUnitsMultiplyTheInterval) {
  BuiltList list(
      Tree("<R><MethodPoll>1</MethodPoll><PollInterval>2</PollInterval><PollUnits>M</PollUnits></R>"
           "<R><PollInterval>2</PollInterval><PollUnits>H</PollUnits></R>"
           "<R><PollInterval>2</PollInterval><PollUnits>MS</PollUnits></R>"
           "<R><PollInterval>2</PollInterval><PollUnits/></R>"));
  EXPECT_EQ(list[0].PollInterval, 120000);
  EXPECT_EQ(list[1].PollInterval, 7200000);
  EXPECT_EQ(list[2].PollInterval, 2);
  EXPECT_EQ(list[3].PollInterval, 2);
}

TEST(RequestTree, TextsWithoutARootGiveAnEmptyList) {
  for (const char* text : {"", "plain text", "<Requests><Request/></Requests>"}) {
    BuiltList list(text);
    EXPECT_EQ(list.Count(), 0) << text;
  }
  BuiltList cased("<modbusRtuQuery><Request/></modbusRtuQuery>");
  EXPECT_EQ(cased.Count(), 1);
}

// --- Limits

TEST(RequestLimits, IntervalsNeverWrapAndNothingIsBelowOneMillisecond) {
  LogRecorder log;
  BuiltList list(Tree("<R><PollInterval>655350</PollInterval><PollUnits>H</PollUnits></R>"
                      "<R><PollInterval>35792</PollInterval><PollUnits>M</PollUnits></R>"
                      "<R><PollInterval>-5</PollInterval><Timeout>0</Timeout></R>"
                      "<R><PollInterval>-2147483648</PollInterval><PollUnits>H</PollUnits>"
                      "<Timeout>-7</Timeout></R>"),
                 &log);
  const int32_t most = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(list[0].PollInterval, most);
  EXPECT_EQ(list[1].PollInterval, most);
  EXPECT_EQ(list[2].PollInterval, 1);
  EXPECT_EQ(list[2].Params.Timeout, 1);
  EXPECT_EQ(list[3].PollInterval, 1);
  EXPECT_EQ(list[3].Params.Timeout, 1);
  ASSERT_EQ(log.Lines.size(), 6u);  // one line per adjusted value
  EXPECT_EQ(log.Lines[0].Level, TLogLevel::Warning);
  EXPECT_EQ(log.Lines[0].Text, "Request #1: poll interval (ms) 2359260000000 taken as 2147483647");
}

TEST(RequestLimits, SizesBelowOneAreNeverSentAndLargeOnesFitTheBuffer) {
  LogRecorder log;
  BuiltList list(Tree("<R><Enabled>1</Enabled><Size>0</Size></R>"
                      "<R><Enabled>1</Enabled><Size>-5</Size></R>"
                      "<R><Enabled>1</Enabled><Size>200000</Size></R>"
                      "<R><Enabled>1</Enabled><Size>128000</Size></R>"),
                 &log);
  EXPECT_FALSE(list[0].Enabled);
  EXPECT_EQ(list[0].Params.Size, 0);
  EXPECT_FALSE(list[1].Enabled);
  EXPECT_EQ(list[1].Params.Size, 0);
  EXPECT_TRUE(list[2].Enabled);
  EXPECT_EQ(list[2].Params.Size, kResponseBufferSize);
  EXPECT_EQ(list[3].Params.Size, kResponseBufferSize);
  ASSERT_EQ(log.Lines.size(), 3u);
  EXPECT_EQ(log.Lines[1].Text, "Request #2: read size -5 is empty; the request is never sent");
  EXPECT_EQ(log.Lines[2].Text, "Request #3: read size 200000 taken as 128000");
}

TEST(RequestLimits, NonsenseItemValuesAreTakenOrBoundedWithoutHarm) {
  LogRecorder log;
  BuiltList list(Tree("<R><Response><Item><Count>2147483647</Count></Item>"
                      "<Item><Count>-3</Count><Offset>2147483647</Offset></Item>"
                      "<Item><Offset>-2147483648</Offset><DataType>Q99</DataType></Item>"
                      "</Response></R>"),
                 &log);
  const std::vector<TResponseItem>& items = list[0].Items;
  EXPECT_EQ(items[0].Count, kMaxItemCount);
  EXPECT_EQ(items[1].Count, -3);  // no values at all
  EXPECT_EQ(items[1].Offset, 2147483647);
  EXPECT_EQ(items[2].Offset, -2147483648LL);
  EXPECT_EQ(items[2].DataType, TDataType::D16);
  ASSERT_EQ(log.Lines.size(), 1u);
}

// --- The engine's part

struct EngineCalls : TRequestListEngine {
  std::vector<std::string> Calls;
  int32_t MinInterval = -1;
  void SwitchTimerOff() override { Calls.push_back("off"); }
  void SetMinInterval(int32_t interval) override {
    Calls.push_back("min");
    MinInterval = interval;
  }
  void ResetKeepLink() override { Calls.push_back("reset"); }
};

class EngineBuild : public testing::Test {
 protected:
  EngineBuild() : settings_(nullptr), list_(true) {
    build_.Settings = &settings_;
    build_.Engine = &engine_;
    build_.ModuleActive = true;
    build_.Log = log_.Callback();
    settings_.spMinInt_Value = 250.9;
    list_.Add(new TRequestItem());  // a previous list
  }

  TDataSourceCfg settings_;
  TThreadObjectList list_;
  EngineCalls engine_;
  LogRecorder log_;
  TRequestListBuild build_;
};

TEST_F(EngineBuild, BuildsForTheEngineAndResetsItsSchedule) {
  settings_.lblParams_Caption = Tree("<R/><R/>");
  BuildRequestList(build_, list_);
  EXPECT_EQ(list_.Count(), 2);
  EXPECT_EQ(engine_.Calls, (std::vector<std::string>{"off", "min", "reset"}));
  EXPECT_EQ(engine_.MinInterval, 250);
  EXPECT_TRUE(log_.Lines.empty());
}

TEST_F(EngineBuild, AnInactiveModuleOrNoSettingsOnlyEmptyTheList) {
  settings_.lblParams_Caption = Tree("<R/>");
  build_.ModuleActive = false;
  BuildRequestList(build_, list_);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(engine_.Calls, (std::vector<std::string>{"off"}));

  list_.Add(new TRequestItem());
  build_.ModuleActive = true;
  build_.Settings = nullptr;
  BuildRequestList(build_, list_);
  EXPECT_EQ(list_.Count(), 0);
}

// The failure reaches the caller (the settings load logs it) with nothing of
// the tree in the list; the next build starts afresh.
TEST_F(EngineBuild, AMalformedTreeRaisesAndLeavesNoRequestsOfIt) {
  settings_.lblParams_Caption = Tree("<R/>") + "</x><y/>";
  EXPECT_THROW(BuildRequestList(build_, list_), std::exception);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(engine_.Calls, (std::vector<std::string>{"off", "min"}));  // no reset
  EXPECT_TRUE(log_.Lines.empty());

  settings_.lblParams_Caption = Tree("<R/>");
  BuildRequestList(build_, list_);
  EXPECT_EQ(list_.Count(), 1);
}

TEST(RequestTree, WithoutAnEngineTheListIsBuiltWhateverTheModuleState) {
  TDataSourceCfg settings(nullptr);
  settings.lblParams_Caption = Tree("<R/>");
  TThreadObjectList list(true);
  TRequestListBuild build;
  build.Settings = &settings;
  BuildRequestList(build, list);
  EXPECT_EQ(list.Count(), 1);
}

}  // namespace
