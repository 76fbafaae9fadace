#include "RequestPlan.h"

#include <exception>

#include "SettingsWriter.h"
#include "plc/PluginDM_RequestItems.h"
#include "plc/PluginDM_RequestTree.h"
#include "xml/pimXMLTree.h"

namespace plchost {

namespace {

void CheckRoot(const std::string& text) {
  TpimXMLTree tree;
  try {
    tree.ParseText(text);
  } catch (const std::exception& error) {
    throw ESettings(std::string("the request tree is malformed: ") + error.what());
  }
  if (tree.FindNode("MODBUSRTUQUERY") == nullptr) {
    throw ESettings(text.empty() ? "the request tree is empty"
                                 : "the request tree has no MODBUSRTUQUERY element");
  }
}

TPlannedRequest PlanOf(const TRequestItem& request) {
  TPlannedRequest planned;
  planned.Name = request.Name;
  planned.Enabled = request.Enabled;
  planned.Poll = request.MethodPoll;
  planned.PollInterval = request.PollInterval;
  planned.Timeout = request.Params.Timeout;
  planned.Area = request.Params.Area;
  planned.DBNumber = request.Params.DBNumber;
  for (const TResponseItem& item : request.Items) {
    if (item.Name.empty()) continue;
    for (int32_t counter = 0; counter < item.Count; ++counter) {
      planned.ValueNames.push_back(CountedName(item, counter));
    }
  }
  return planned;
}

}  // namespace

std::vector<TPlannedRequest> PlanRequests(const TDataSourceCfg& settings,
                                          const TSettingsLog& warnings) {
  CheckRoot(settings.lblParams_Caption);
  TThreadObjectList list(true);
  TRequestListBuild build;
  build.Settings = &settings;
  build.Log = warnings;
  try {
    BuildRequestList(build, list);
  } catch (const std::exception& error) {
    throw ESettings(std::string("the request tree cannot be built: ") + error.what());
  }
  std::vector<TPlannedRequest> requests;
  bool anyEnabled = false;
  TReadGuard<TThreadObjectList> hold(list);
  for (TObject* object : *hold) {
    requests.push_back(PlanOf(static_cast<const TRequestItem&>(*object)));
    anyEnabled = anyEnabled || requests.back().Enabled;
  }
  if (requests.empty()) throw ESettings("the request tree holds no request");
  if (!anyEnabled) throw ESettings("the request tree holds no enabled request");
  return requests;
}

}  // namespace plchost
