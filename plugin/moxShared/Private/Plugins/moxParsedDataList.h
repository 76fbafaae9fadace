#pragma once

#include <string>

#include "moxShared/Public/Common/moxParamLst.h"

// A data record on its way to the host: the parsed values and the raw text
// they were parsed from.
class TParsedDataList : public TmoxParamsList {
 public:
  void Clear() override {
    TmoxParamsList::Clear();
    RawText.clear();
  }

  // Several raw texts of one record are joined by "<{[::]}>".
  void AppendRawText(const std::string& text) {
    RawText = RawText.empty() ? text : RawText + "<{[::]}>" + text;
  }

  std::string RawText;
};
