#pragma once

#include <string>
#include <vector>

#include "DataRecord.h"
#include "ValueText.h"

namespace plchost {

struct TColumn {
  std::string Name;   // as the plug-in names the value (system code page)
  std::string Title;  // the name in UTF-8, for output
  bool Hex = false;   // a raw packet, printed as hexadecimal
};

// The columns of the record output, named by the plug-in's parser items.
class TRecordColumns {
 public:
  // Every item of the parser item text ("Description|Name|Type|Extra" lines),
  // in order, each name once; the raw packet fields only when `packets`.
  TRecordColumns(const std::string& parserItemText, bool packets);

  const std::vector<TColumn>& Columns() const { return FColumns; }

  // One cell per column. A column takes the record's value of its name; a
  // value the plug-in lists by its plain name but delivers with the counter
  // 0 or 1 appended is found as well.
  std::vector<TCell> CellsOf(const host::TDataRecord& record) const;

 private:
  const TVariant* Find(const host::TDataRecord& record, const std::string& name) const;

  std::vector<TColumn> FColumns;
};

}  // namespace plchost
