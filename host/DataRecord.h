#pragma once

#include <string>
#include <vector>

#include "moxShared/Private/Plugins/moxPluginRecords.h"
#include "moxShared/Public/Common/moxVariant.h"

namespace host {

// One named value of a delivered data record.
struct TDataValue {
  std::string Name;
  TVariant Value;
  bool NewRow = false;  // the row separator between two records of one list
};

// The host's own copy of a data record the plug-in delivered: the parsed values
// and the raw text they were parsed from. The plug-in's pointers are valid only
// during its call, so everything is copied.
struct TDataRecord {
  std::vector<TDataValue> Values;
  std::string RawText;

  // The first value of the name (exact letter case); null when missing.
  const TVariant* Find(const std::string& name) const;
};

// Reads a data record handed to the host: OutData leads to a list interface
// reference, InData to the raw text. Throws std::invalid_argument for a
// record that is null or has the wrong size.
TDataRecord ReadDataRecord(const TPluginCallRec* record);

}  // namespace host
