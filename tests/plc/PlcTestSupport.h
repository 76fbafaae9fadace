#pragma once

// Helpers of the Siemens module's request tree and decoder tests.

#include <string>
#include <utility>
#include <vector>

#include "plc/PluginDM_RequestItems.h"
#include "plc/PluginDM_RequestTree.h"
#include "settings/LogDataList.h"

namespace plctest {

struct LogLine {
  TLogLevel Level;
  std::string Text;
};

// Collects what the builder logs.
struct LogRecorder {
  std::vector<LogLine> Lines;
  TSettingsLog Callback() {
    return [this](TLogLevel level, const std::string& text) { Lines.push_back({level, text}); };
  }
};

// A request tree text with the given request elements inside its root.
inline std::string Tree(const std::string& requests) {
  return "<MODBUSRTUQUERY>" + requests + "</MODBUSRTUQUERY>";
}

// The requests built from a tree text without an engine.
class BuiltList {
 public:
  explicit BuiltList(const std::string& text, LogRecorder* log = nullptr)
      : settings_(nullptr), list_(true) {
    settings_.lblParams_Caption = text;
    TRequestListBuild build;
    build.Settings = &settings_;
    if (log != nullptr) build.Log = log->Callback();
    BuildRequestList(build, list_);
  }

  int32_t Count() { return list_.Count(); }
  TRequestItem& operator[](int32_t index) {
    TReadGuard<TThreadObjectList> requests(list_);
    return static_cast<TRequestItem&>(*(*requests)[index]);
  }
  TThreadObjectList& List() { return list_; }

 private:
  TDataSourceCfg settings_;
  TThreadObjectList list_;
};

}  // namespace plctest
