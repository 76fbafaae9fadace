#include "RecordColumns.h"

#include <algorithm>

#include "moxShared/Private/Plugins/moxParserItems.h"
#include "platform/CodePage.h"

namespace plchost {

namespace {

bool IsPacketField(const std::string& name) {
  return name == "FULL_DATA_PACKET" || name == "DATA_PACKET";
}

}  // namespace

TRecordColumns::TRecordColumns(const std::string& parserItemText, bool packets) {
  TParserItemList items;
  items.Parse(parserItemText, true);
  for (int32_t index = 0; index < items.Count(); ++index) {
    const std::string& name = items.Items(index).Name;
    if (name.empty() || (IsPacketField(name) && !packets)) continue;
    const bool known = std::any_of(FColumns.begin(), FColumns.end(),
                                   [&name](const TColumn& column) { return column.Name == name; });
    if (!known) {
      FColumns.push_back(
          {name, platform::WideToUtf8(platform::AnsiToWide(name)), IsPacketField(name)});
    }
  }
}

const TVariant* TRecordColumns::Find(const host::TDataRecord& record,
                                     const std::string& name) const {
  if (const TVariant* value = record.Find(name)) return value;
  for (const char* counter : {"0", "1"}) {
    const std::string counted = name + counter;
    const bool isColumn =
        std::any_of(FColumns.begin(), FColumns.end(),
                    [&counted](const TColumn& column) { return column.Name == counted; });
    if (isColumn) continue;
    if (const TVariant* value = record.Find(counted)) return value;
  }
  return nullptr;
}

std::vector<TCell> TRecordColumns::CellsOf(const host::TDataRecord& record) const {
  std::vector<TCell> cells;
  cells.reserve(FColumns.size());
  for (const TColumn& column : FColumns) {
    const TVariant* value = Find(record, column.Name);
    if (value == nullptr) {
      cells.emplace_back();
    } else {
      cells.push_back(column.Hex ? HexCellOf(*value) : CellOf(*value));
    }
  }
  return cells;
}

}  // namespace plchost
