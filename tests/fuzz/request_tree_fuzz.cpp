// Builds a request list from arbitrary text as the "Parser config" setting, then
// decodes an answer of each request's size under its items. A failing build must
// raise a described error, and log no error itself; every request built must be
// within what the engine can serve, and its record must have one value per item value.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzItems.h"
#include "plc/PluginDM_Decoder.h"
#include "plc/PluginDM_RequestLimits.h"
#include "plc/PluginDM_RequestTree.h"

namespace {

void CheckRequest(const TRequestItem& request) {
  Check(request.Params.Size >= 0 && request.Params.Size <= kResponseBufferSize);
  Check(request.Params.Size > 0 || !request.Enabled);
  Check(request.Params.Timeout >= 1 && request.PollInterval >= 1);
  Check(request.Params.Area < kMemoryAreaCount || ReadAreaOrdinal(request.Params.Area) == 2);
  int64_t values = 0;
  for (const TResponseItem& item : request.Items) {
    Check(item.Count <= kMaxItemCount);
    values += item.Count > 0 ? item.Count : 0;
  }
  if (values > 4096) return;  // a huge record proves nothing more, and takes long
  // The answer is exactly the request's size: reading past it is a finding.
  const std::vector<uint8_t> answer(static_cast<size_t>(request.Params.Size), 0xA5);
  TmoxParamsList record;
  const int32_t added = DecodeItems(request.Items, answer.data(), request.Params.Size, record);
  const TItemValues expected = ItemValues(request.Items);
  Check(added == expected.Values && record.Count() == expected.Named);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TDataSourceCfg settings(nullptr);
  settings.lblParams_Caption.assign(reinterpret_cast<const char*>(data), size);
  TThreadObjectList list(true);
  TRequestListBuild build;
  build.Settings = &settings;
  build.Log = [](TLogLevel level, const std::string& text) {
    Check(!text.empty() && level != TLogLevel::Error);
  };
  try {
    BuildRequestList(build, list);
  } catch (const std::exception& error) {
    Check(error.what()[0] != '\0');
  }
  TReadGuard<TThreadObjectList> requests(list);
  for (int32_t index = 0; index < requests->Count(); ++index) {
    CheckRequest(static_cast<const TRequestItem&>(*(*requests)[index]));
  }
  return 0;
}
