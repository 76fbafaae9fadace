// The form stream "TFRMOPTION" read back into its component tree: every
// component, property and event binding of the options form.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "FormStreamReader.h"

namespace {

// Parent, name and class of every component in stream order.
struct TPlacement {
  std::string Parent;
  std::string Name;
  std::string ClassName;
  bool operator==(const TPlacement& other) const {
    return Parent == other.Parent && Name == other.Name && ClassName == other.ClassName;
  }
};

void Flatten(const TStreamComponent& parent, std::vector<TPlacement>& out) {
  for (const TStreamComponent& child : parent.Children) {
    out.push_back({parent.Name, child.Name, child.ClassName});
    Flatten(child, out);
  }
}

const TStreamComponent* Find(const TStreamComponent& root, const std::string& name) {
  if (root.Name == name) return &root;
  for (const TStreamComponent& child : root.Children) {
    if (const TStreamComponent* found = Find(child, name)) return found;
  }
  return nullptr;
}

using TProperties = std::map<std::string, std::string>;

// The properties as their rendered values.
TProperties Rendered(const TStreamComponent& component) {
  TProperties properties;
  for (const auto& [path, value] : component.Properties) properties[path] = value.Render();
  return properties;
}

const std::vector<std::pair<std::string, std::string>> kMenuItems = {
    {"MsgSendReq", "Send requests, otherwise parse response only"},
    {"MsgFunc", "Area"},
    {"TxtDatablock", "Datablock"},
    {"MemoryTypeList", ""},
    {"MsgDataAddress", "Data address"},
    {"MsgRegRead", "Read bytes"},
    {"MsgRegReadHint", "Zero based value"},
    {"MsgReqTimeout", "Request timeout (ms)"},
    {"MsgReqMethod", "Request method"},
    {"MsgMOnce", "Once, on the program startup"},
    {"MsgPolling", "Polling"},
    {"MsgPollInt", "Interval"},
    {"MsgPollUnits", "Interval units"},
    {"TxtMillisecond", "Millisecond"},
    {"TxtSecond", "Second"},
    {"TxtMinute", "Minute"},
    {"TxtHour", "Hour"},
    {"MsgReq", "Request"},
    {"PollUnitList", ""},
    {"DataTypeList", ""},
    {"MsgDec", "Decimal"},
    {"MsgF32", "Single precision float"},
    {"MsgF64", "Double precision float"},
    {"MsgS", "String (zero ended)"},
    {"MsgBIT", "Bit (coil status)"},
    {"MsgD8", "8 bit"},
    {"MsgD16", "16 bit"},
    {"MsgD32", "32 bit"},
    {"MsgD64", "64 bit"},
    {"MsgResponseItems", "Response items"},
    {"MsgResponseItem", "Response item"},
    {"MsgName", "Name"},
    {"MsgOffset", "Offset"},
    {"MsgOffsetHint", "If you'll specify -1 then the program will calculate offset automatically"},
    {"MsgCount", "Count"},
    {"MsgAppendCnt", "Append counter to name"},
    {"MsgZeroBaseCnt", "Zero based counter"},
    {"MsgDataType", "Data type"},
    {"MsgLE", "Little endian, otherwise Big endian (numbers only)"},
    {"MsgUnsigned", "Unsigned, otherwise Signed (decimal numbers only)"},
    {"MsgSwapped", "Swapped (most significant register first) (32 and 64 bit numbers only)"},
    {"MsgScale", "Scale (numbers only)"},
    {"MsgDefault", "Default value"},
};

class FormStream : public dialog_test::TDialogTest {
 protected:
  TStreamComponent Form() { return ReadFormStream(DefaultPacket().Form); }
};

TEST_F(FormStream, RootIsTheOptionsFormWithItsGeometryAndEvents) {
  const TStreamComponent form = Form();
  EXPECT_EQ(form.ClassName, "TfrmOption");
  EXPECT_EQ(form.Name, "frmOption");
  const TProperties expected = {
      {"Caption", "Siemens Simatic S5,S7"},
      {"Left", "326"},
      {"Top", "144"},
      {"Width", "481"},
      {"Height", "435"},
      {"BorderIcons", "[biSystemMenu, biMaximize, biHelp]"},
      {"BorderWidth", "2"},
      {"Constraints.MinWidth", "320"},
      {"Constraints.MinHeight", "250"},
      {"KeyPreview", "True"},
      {"Font.Name", "MS Sans Serif"},
      {"Font.Height", "-11"},
      {"HelpContext", "1"},
      {"OnCreate", "FormCreate"},
      {"OnDestroy", "FormDestroy"},
  };
  EXPECT_EQ(Rendered(form), expected);
  EXPECT_EQ(form.Property("OnCreate").Type, 0x07) << "events bind by name";
  EXPECT_EQ(form.Property("Caption").Type, 0x06);
}

TEST_F(FormStream, ComponentsArePlacedInTheirParents) {
  std::vector<TPlacement> placements;
  Flatten(Form(), placements);
  std::vector<TPlacement> expected = {
      {"frmOption", "__pBot", "TPanel"},         {"frmOption", "pan2", "TPanel"},
      {"pan2", "lblParams", "TTntLabel"},        {"pan2", "Label1", "TTntLabel"},
      {"pan2", "spMinInt", "TJvSpinEdit"},       {"frmOption", "pan0", "TPanel"},
      {"pan0", "Label2", "TTntLabel"},           {"pan0", "Label3", "TTntLabel"},
      {"pan0", "Label4", "TTntLabel"},           {"pan0", "comboProto", "TTntComboBox"},
      {"pan0", "spCPURack", "TJvSpinEdit"},      {"pan0", "spCPUSlot", "TJvSpinEdit"},
      {"pan0", "spLocalAddress", "TJvSpinEdit"}, {"pan0", "spRemoteAddress", "TJvSpinEdit"},
      {"frmOption", "pan1", "TPanel"},           {"frmOption", "tmpMenu", "TTntPopupMenu"},
  };
  for (const auto& [name, caption] : kMenuItems)
    expected.push_back({"tmpMenu", name, "TTntMenuItem"});
  EXPECT_EQ(placements.size(), 59u);
  EXPECT_TRUE(placements == expected);
}

TEST_F(FormStream, ControlsCarryTheirPropertiesAndRanges) {
  const TStreamComponent form = Form();
  const std::map<std::string, TProperties> expected = {
      {"__pBot",
       {{"Align", "alBottom"},
        {"Height", "45"},
        {"Hint", "OkCancel"},
        {"HelpContext", "1"},
        {"BevelOuter", "bvNone"}}},
      {"pan2", {{"Align", "alBottom"}, {"Height", "30"}, {"BevelOuter", "bvNone"}}},
      {"lblParams", {{"Visible", "False"}}},
      {"Label1",
       {{"Left", "0"},
        {"Top", "0"},
        {"Width", "229"},
        {"Height", "26"},
        {"Caption", "Minimal interval between data packets (ms)"}}},
      {"spMinInt",
       {{"Left", "232"},
        {"Top", "4"},
        {"Width", "85"},
        {"Height", "21"},
        {"MinValue", "0"},
        {"MaxValue", "65535"}}},
      {"pan0", {{"Align", "alTop"}, {"Height", "97"}, {"BevelOuter", "bvNone"}}},
      {"Label2", {{"Left", "0"}, {"Top", "4"}, {"Caption", "Protocol"}}},
      {"Label3", {{"Left", "0"}, {"Top", "34"}, {"Caption", "CPU rack/slot"}}},
      {"Label4", {{"Left", "0"}, {"Top", "62"}, {"Caption", "MPI local/remote address"}}},
      {"spCPURack", {{"Left", "152"}, {"Top", "36"}, {"MinValue", "0"}, {"MaxValue", "255"}}},
      {"spCPUSlot",
       {{"Left", "244"}, {"Top", "36"}, {"MinValue", "1"}, {"MaxValue", "32"}, {"Value", "2"}}},
      {"spLocalAddress",
       {{"Left", "152"}, {"Top", "64"}, {"MinValue", "0"}, {"MaxValue", "65535"}}},
      {"spRemoteAddress",
       {{"Left", "244"}, {"Top", "64"}, {"MinValue", "1"}, {"MaxValue", "65535"}, {"Value", "2"}}},
      {"pan1", {{"Align", "alClient"}, {"BevelOuter", "bvNone"}}},
      {"tmpMenu", {}},
  };
  for (const auto& [name, properties] : expected) {
    const TStreamComponent* component = Find(form, name);
    ASSERT_NE(component, nullptr) << name;
    EXPECT_EQ(Rendered(*component), properties) << name;
  }
  EXPECT_EQ(Find(form, "spMinInt")->Property("MaxValue").Type, 0x05) << "spin values are Extended";
}

TEST_F(FormStream, ProtocolListHoldsTheTwelveProtocolsByIndex) {
  const TStreamComponent form = Form();
  const TStreamComponent* combo = Find(form, "comboProto");
  ASSERT_NE(combo, nullptr);
  const std::vector<std::string> protocols = {
      "MPI protocol",
      "MPI protocol (w/o STX)",
      "MPI protocol (Step 7 version)",
      "MPI protocol (with STX)",
      "PPI protocol",
      "ISO over TCP",
      "ISO over TCP (for CP243)",
      "IBH-Link TCP/MPI adapter",
      "IBH-Link TCP/MPI adapter with PPI protocol",
      "Use S7Onlinx.dll for transport via Siemens CP",
      "S5 (via programming port)",
      "Deltalogic NetLink-PRO TCP/MPI adapter",
  };
  EXPECT_EQ(combo->Property("Items.Strings").Items, protocols);
  EXPECT_EQ(Rendered(*combo),
            (TProperties{{"Left", "84"},
                         {"Top", "8"},
                         {"Width", "373"},
                         {"Height", "21"},
                         {"Style", "csDropDownList"},
                         {"Items.Strings", combo->Property("Items.Strings").Render()},
                         {"ItemIndex", "0"}}));
}

TEST_F(FormStream, MenuItemsHoldTheTextsAndTheScriptFilledListsCarryTag9999) {
  const TStreamComponent form = Form();
  const TStreamComponent* menu = Find(form, "tmpMenu");
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->Children.size(), kMenuItems.size());
  for (size_t i = 0; i < kMenuItems.size(); ++i) {
    const TStreamComponent& item = menu->Children[i];
    const auto& [name, caption] = kMenuItems[i];
    EXPECT_EQ(item.Name, name);
    const TProperties expected =
        caption.empty() ? TProperties{{"Tag", "9999"}} : TProperties{{"Caption", caption}};
    EXPECT_EQ(Rendered(item), expected) << name;
    EXPECT_TRUE(item.Children.empty());
  }
}

TEST_F(FormStream, IntegersUseTheirSmallestType) {
  const TStreamComponent form = Form();
  EXPECT_EQ(form.Property("BorderWidth").Type, 0x02);
  EXPECT_EQ(form.Property("Font.Height").Type, 0x02);
  EXPECT_EQ(form.Property("Left").Type, 0x03);
  EXPECT_EQ(Find(form, "MemoryTypeList")->Property("Tag").Type, 0x03);
}

}  // namespace
