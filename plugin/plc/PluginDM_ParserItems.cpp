#include "plc/PluginDM_ParserItems.h"

#include "plc/PluginDM_RequestItems.h"
#include "plc/PluginDM_RequestTree.h"

namespace {

void AddFixedFields(TParserItemList& items) {
  items.Add(kLocalAddressField, "Local address", "", pitInteger);
  items.Add(kRemoteAddressField, "Remote address", "", pitInteger);
  items.Add(kAreaField, "Memory area", "", pitInteger);
  items.Add(kDataBlockField, "Data block", "", pitInteger);
}

void AddResponseItem(TParserItemList& items, const TRequestItem& request,
                     const TResponseItem& item) {
  constexpr uint8_t kUntyped = TParserItem::kParserItemTypeNone;
  if (item.Count > 1 && item.AppendCnt) {
    for (int32_t counter = 0; counter < item.Count; ++counter) {
      const std::string name = CountedName(item, counter);
      items.Add(name, request.Name + " (" + name + ")", "0", kUntyped);
    }
  } else {
    items.Add(item.Name, request.Name, "0", kUntyped);
  }
}

}  // namespace

void AddPlcParserItems(TParserItemList& items, const TDataSourceCfg* settings) {
  AddFixedFields(items);
  TThreadObjectList requests(true);
  TRequestListBuild build;
  build.Settings = settings;
  BuildRequestList(build, requests);
  TReadGuard<TThreadObjectList> hold(requests);
  for (TObject* object : *hold) {
    const auto& request = static_cast<const TRequestItem&>(*object);
    for (const TResponseItem& item : request.Items) {
      if (!item.Name.empty()) AddResponseItem(items, request, item);
    }
  }
}
