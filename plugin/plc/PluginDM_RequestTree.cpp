#include "plc/PluginDM_RequestTree.h"

#include <array>
#include <memory>

#include "plc/PluginDM_RequestItems.h"
#include "plc/PluginDM_RequestLimits.h"
#include "plc/PluginDM_TreeValues.h"

namespace {

constexpr int32_t kDefaultTimeout = 3000;
constexpr int32_t kDefaultPollInterval = 1000;

TDataType DataTypeOf(const std::string& text) {
  static const std::array<const char*, 8> kNames = {"D8",  "D16", "D32", "D64",
                                                    "F32", "F64", "S",   "BIT"};
  for (size_t index = 0; index < kNames.size(); ++index) {
    if (text == kNames[index]) return static_cast<TDataType>(index);
  }
  return TDataType::D16;
}

int64_t UnitFactorOf(const std::string& units) {
  if (units == "S") return 1000;
  if (units == "M") return 60000;
  if (units == "H") return 3600000;
  return 1;
}

TResponseItem BuildResponseItem(const TpimXMLNode& node) {
  TResponseItem item;
  item.Offset = ReadInteger(node, "Offset", -1);
  item.Count = ReadInteger(node, "Count", 1);
  item.DataType = DataTypeOf(ReadText(node, "DataType", "D16"));
  item.Size = ValueSizeOf(item.DataType);
  item.Name = ReadText(node, "Name", "ITEM");
  item.Default = TVariant::OfAnsi(ReadText(node, "Default", "0"));
  item.AppendCnt = ReadCheck(node, "AppendCnt", true);
  item.ZeroBaseCnt = ReadCheck(node, "ZeroBaseCnt", true);
  item.Swapped = ReadCheck(node, "Swapped", true);
  item.Unsigned = ReadCheck(node, "Unsigned", true);
  item.LE = ReadCheck(node, "LE", false);
  item.Scale = ReadFloat(node, "Scale", 1.0L);
  return item;
}

std::string RequestNameOf(const TpimXMLNode& node, size_t index) {
  const std::string* caption = node.AttributeValue("caption");
  if (caption != nullptr && !caption->empty()) return *caption;
  return "Request #" + std::to_string(index + 1);
}

std::unique_ptr<TRequestItem> BuildRequest(const TpimXMLNode& node, size_t index,
                                           const TSettingsLog& log) {
  auto request = std::make_unique<TRequestItem>();
  request->Name = RequestNameOf(node, index);
  request->Enabled = ReadCheck(node, "Enabled", false);
  if (const TpimXMLNode* response = FindValueNode(node, "Response")) {
    for (size_t item = 0; item < response->ChildCount(); ++item) {
      request->Items.push_back(BuildResponseItem(response->Child(item)));
    }
  }
  TRequestParams& params = request->Params;
  params.DBNumber = ReadInteger(node, "Datablock", 0);
  params.Area = static_cast<uint8_t>(ReadInteger(node, "Area", 0) & 0xFF);
  params.Offset = ReadInteger(node, "Offset", 0);
  params.Size = ReadInteger(node, "Size", 1);
  params.Timeout = ReadInteger(node, "Timeout", kDefaultTimeout);
  request->MethodPoll = ReadCheck(node, "MethodPoll", false);
  const int64_t interval = ReadInteger(node, "PollInterval", kDefaultPollInterval);
  request->PollInterval =
      LimitPollInterval(*request, interval * UnitFactorOf(ReadText(node, "PollUnits", "MS")), log);
  LimitRequest(*request, log);
  return request;
}

void AppendRequests(const std::string& text, TThreadObjectList& list, const TSettingsLog& log) {
  TpimXMLTree tree;
  tree.ParseText(text);
  const TpimXMLNode* root = tree.FindNode("MODBUSRTUQUERY");
  if (root == nullptr) return;
  for (size_t index = 0; index < root->ChildCount(); ++index) {
    list.Add(BuildRequest(root->Child(index), index, log).release());
  }
}

}  // namespace

void BuildRequestList(const TRequestListBuild& build, TThreadObjectList& list) {
  if (build.Engine) build.Engine->SwitchTimerOff();
  list.Clear();
  if (build.Settings == nullptr || (build.Engine && !build.ModuleActive)) return;
  if (build.Engine) build.Engine->SetMinInterval(MinIntervalOf(*build.Settings));
  AppendRequests(build.Settings->lblParams_Caption, list, build.Log);
  if (build.Engine) build.Engine->ResetKeepLink();
}
