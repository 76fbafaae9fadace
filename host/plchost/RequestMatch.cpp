#include "RequestMatch.h"

#include "moxShared/Public/Common/moxVarConvert.h"
#include "plc/PluginDM_RequestItems.h"

namespace plchost {

namespace {

constexpr char kAreaField[] = "AREA";
constexpr char kDataBlockField[] = "DATABLOCK";

bool ValueIs(const host::TDataRecord& record, const char* name, int64_t expected) {
  const TVariant* value = record.Find(name);
  if (value == nullptr) return false;
  try {
    return VarAsType(*value, VarType::I8).Data().I8 == expected;
  } catch (const EVariantError&) {
    return false;
  }
}

}  // namespace

int MatchRequest(const std::vector<TPlannedRequest>& requests, const host::TDataRecord& record) {
  for (const host::TDataValue& value : record.Values) {
    for (size_t index = 0; index < requests.size(); ++index) {
      for (const std::string& name : requests[index].ValueNames) {
        if (name == value.Name) return static_cast<int>(index);
      }
    }
  }
  for (size_t index = 0; index < requests.size(); ++index) {
    const TPlannedRequest& request = requests[index];
    if (request.ValueNames.empty() && ValueIs(record, kAreaField, ReadAreaOrdinal(request.Area)) &&
        ValueIs(record, kDataBlockField, request.DBNumber)) {
      return static_cast<int>(index);
    }
  }
  return -1;
}

}  // namespace plchost
