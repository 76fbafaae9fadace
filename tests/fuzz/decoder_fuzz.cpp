// Decodes a random answer of random length under a random item list, as the
// request tree can describe it: any data type, offset, count, byte order, scale
// and default. The answer is allocated to its exact length, so any read past it
// is a sanitizer report; every named value must appear in the record.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzItems.h"
#include "plc/PluginDM_Decoder.h"

namespace {

TResponseItem RandomItem(FuzzedDataProvider& input) {
  TResponseItem item;
  item.DataType = static_cast<TDataType>(input.ConsumeIntegralInRange<uint8_t>(0, 7));
  item.Size = ValueSizeOf(item.DataType);
  item.Offset = input.ConsumeBool() ? -1 : input.ConsumeIntegralInRange<int32_t>(-2, 1 << 20);
  item.Count = input.ConsumeIntegralInRange<int32_t>(-1, 40);
  item.Name = input.ConsumeRandomLengthString(8);
  item.Default = TVariant::OfAnsi(input.ConsumeRandomLengthString(8));
  item.AppendCnt = input.ConsumeBool();
  item.ZeroBaseCnt = input.ConsumeBool();
  item.Swapped = input.ConsumeBool();
  item.LE = input.ConsumeBool();
  item.Unsigned = input.ConsumeBool();
  item.Scale = input.ConsumeFloatingPoint<double>();
  return item;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<TResponseItem> items(input.ConsumeIntegralInRange<size_t>(0, 8));
  for (TResponseItem& item : items) item = RandomItem(input);
  const std::vector<uint8_t> answer = input.ConsumeRemainingBytes<uint8_t>();
  TmoxParamsList record;
  const int32_t added =
      DecodeItems(items, answer.data(), static_cast<int32_t>(answer.size()), record);
  const TItemValues values = ItemValues(items);
  Check(added == values.Values && record.Count() == values.Named);
  return 0;
}
