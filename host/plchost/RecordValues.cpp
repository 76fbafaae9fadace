#include "RecordValues.h"

#include <algorithm>
#include <iterator>

#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/CodePage.h"

namespace plchost {

namespace {

// The fields the plug-in puts before the values of every record.
constexpr const char* kStandardFields[] = {
    "FULL_DATA_PACKET", "DATA_PACKET",           "DATE_TIME_STAMP",
    "DATA_SOURCE_ID",   "DATA_SOURCE_FULL_NAME", "DATA_SOURCE_NAME",
    "LOCAL_ADDRESS",    "REMOTE_ADDRESS",        "AREA",
    "DATABLOCK"};

struct TAreaName {
  int64_t Ordinal;  // of the PLC link's area
  const char* Name;
};

constexpr TAreaName kAreaNames[] = {{2, "AI"}, {3, "AQ"}, {4, "I"},  {5, "Q"},
                                    {6, "M"},  {7, "DB"}, {11, "C"}, {13, "P"}};

bool IsStandard(const std::string& name) {
  return std::any_of(std::begin(kStandardFields), std::end(kStandardFields),
                     [&name](const char* field) { return name == field; });
}

std::string Utf8(const std::string& systemText) {
  return platform::WideToUtf8(platform::AnsiToWide(systemText));
}

bool IntegerOf(const TDeliveredRecord& record, const char* name, int64_t& value) {
  const TVariant* found = record.Record->Find(name);
  if (found == nullptr) return false;
  try {
    value = VarAsType(*found, VarType::I8).Data().I8;
    return true;
  } catch (const EVariantError&) {
    return false;
  }
}

std::string TextOf(const TDeliveredRecord& record, const char* name) {
  const TVariant* value = record.Record->Find(name);
  return value == nullptr ? std::string() : CellOf(*value).Text;
}

}  // namespace

std::vector<TNamedCell> ShownValues(const TDeliveredRecord& record) {
  std::vector<TNamedCell> cells;
  if (record.Request != nullptr && !record.Request->Shown.empty()) {
    for (const TShownValue& shown : record.Request->Shown) {
      const TVariant* value = record.Record->Find(shown.Field);
      cells.push_back({Utf8(shown.Label), value == nullptr ? TCell{} : CellOf(*value)});
    }
    return cells;
  }
  for (const host::TDataValue& value : record.Record->Values) {
    if (value.NewRow || IsStandard(value.Name)) continue;
    cells.push_back({Utf8(value.Name), CellOf(value.Value)});
  }
  return cells;
}

std::string CaptionOf(const TDeliveredRecord& record) {
  return record.Request == nullptr ? "?" : Utf8(record.Request->Name);
}

std::string SourceNameOf(const TDeliveredRecord& record) {
  return TextOf(record, "DATA_SOURCE_NAME");
}

std::string TimeStampOf(const TDeliveredRecord& record) {
  return TextOf(record, "DATE_TIME_STAMP");
}

std::string AreaNameOf(const TDeliveredRecord& record) {
  int64_t ordinal = 0;
  if (!IntegerOf(record, "AREA", ordinal)) return {};
  const auto* found =
      std::find_if(std::begin(kAreaNames), std::end(kAreaNames),
                   [ordinal](const TAreaName& area) { return area.Ordinal == ordinal; });
  return found == std::end(kAreaNames) ? std::to_string(ordinal) : found->Name;
}

std::string BlockOf(const TDeliveredRecord& record) {
  int64_t block = 0;
  if (AreaNameOf(record) != "DB" || !IntegerOf(record, "DATABLOCK", block)) return {};
  return std::to_string(block);
}

}  // namespace plchost
