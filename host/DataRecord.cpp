#include "DataRecord.h"

#include <stdexcept>

#include "CallRecord.h"
#include "moxShared/Public/Common/moxIntfConv.h"
#include "moxShared/Public/Common/moxParamLstIntf.h"

namespace host {

namespace {

using TItemRef = TmoxIntfRef<ImoxParamsListItemA>;

void Check(HResult status, const char* operation) {
  if (status < 0) throw std::runtime_error(std::string("data record: ") + operation + " failed");
}

TDataValue ReadValue(ImoxParamsListA& list, int32_t index) {
  TItemRef item;
  Check(list.GetItem(index, item.Receive()), "GetItem");
  if (!item) throw std::runtime_error("data record: item missing");
  TDataValue value;
  value.Name = PlainName(item->GetName());
  value.NewRow = item->IsNewRow();
  TVarData raw{};
  Check(item->GetValue(&raw), "GetValue");
  value.Value = ReceiveValue(raw, false);
  return value;
}

std::vector<TDataValue> ReadValues(const TPluginDataSlot& slot) {
  std::vector<TDataValue> values;
  if (slot.Kind != kSlotListInterface || slot.Ptr == 0) return values;
  ImoxParamsListA* list = *PointerOf<ImoxParamsListA* const>(slot.Ptr);
  if (list == nullptr) return values;
  const int32_t count = list->GetCount();
  for (int32_t i = 0; i < count; ++i) values.push_back(ReadValue(*list, i));
  return values;
}

std::string ReadText(const TPluginDataSlot& slot) {
  if (slot.Kind != kSlotText || slot.Ptr == 0 || slot.Length <= 0) return {};
  return std::string(PointerOf<const char>(slot.Ptr), static_cast<size_t>(slot.Length));
}

}  // namespace

const TVariant* TDataRecord::Find(const std::string& name) const {
  for (const TDataValue& value : Values) {
    if (value.Name == name) return &value.Value;
  }
  return nullptr;
}

TDataRecord ReadDataRecord(const TPluginCallRec* record) {
  if (record == nullptr) throw std::invalid_argument("data record: no record");
  if (record->Size != kCallRecSize) throw std::invalid_argument("data record: wrong size");
  TDataRecord result;
  result.Values = ReadValues(record->OutData);
  result.RawText = ReadText(record->InData);
  return result;
}

}  // namespace host
