#pragma once

#include <memory>
#include <string>

#include "moxShared/Private/Plugins/moxPluginModule.h"
#include "moxShared/Public/Common/moxParamLst.h"
#include "moxShared/Public/Common/moxParamLstWrap.h"
#include "moxShared/Public/Common/moxVarConvert.h"

// A host call made directly on a module: a list the test fills, handed over
// through its interface as the exports would.
class TTestCall {
 public:
  TTestCall() : wrap_(new TmoxParamsListWrap(&list_, true)) { wrap_->AddRef(); }
  ~TTestCall() { wrap_->Release(); }
  TTestCall(const TTestCall&) = delete;
  TTestCall& operator=(const TTestCall&) = delete;

  TTestCall& Set(const std::string& name, const TVariant& value) {
    list_.Add(name, value);
    return *this;
  }
  TTestCall& Set(const std::string& name, const std::string& text) {
    return Set(name, TVariant::OfAnsi(text));
  }

  int32_t Run(TmoxPlugin& module, const std::string& command) {
    return module.ExecuteCommand(command, record_, static_cast<ImoxParamsListA*>(wrap_));
  }
  int32_t Process(TmoxPlugin& module) {
    return module.ProcessDataCall(record_, static_cast<ImoxParamsListA*>(wrap_));
  }

  TPluginCallRec& Record() { return record_; }
  TmoxParamsList& List() { return list_; }
  std::string Result() { return VarToAnsi(list_.GetValue("RESULT")); }

 private:
  TmoxParamsList list_;
  TmoxParamsListWrap* wrap_;
  TPluginCallRec record_{};
};

// The log text of a module, fetched as a host would.
inline std::string FetchLog(TmoxPlugin& module) {
  std::string text(1 << 16, '\0');
  const TLogFetch fetch = module.LogList()->Fetch(text.data(), static_cast<int32_t>(text.size()));
  text.resize(static_cast<size_t>(fetch.Copied));
  return text;
}
