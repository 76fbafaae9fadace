#include "plc/PluginDM_Decoder.h"

#include <algorithm>

#include "plc/PluginDM_ParserItems.h"
#include "plc/PluginDM_ValueDecoder.h"
#include "plc/PluginDM_ValueDefaults.h"

namespace {

// The request of a read while it is still in the list and still asks for
// that read (an item freed by a rebuild and a new one at its address do not
// pass), or nullptr.
TRequestItem* ListedRequest(const TObjectList& requests, const TRequestParams& read) {
  for (TObject* object : requests) {
    auto* request = static_cast<TRequestItem*>(object);
    if (request != read.Request) continue;
    const TRequestParams& params = request->Params;
    const bool same = params.DBNumber == read.DBNumber && params.Area == read.Area &&
                      params.Offset == read.Offset && params.Size == read.Size;
    return same ? request : nullptr;
  }
  return nullptr;
}

// Marks the request of a read answered and keeps it alive: the list's shared
// lock, taken while the exclusive one is still held, lasts as long as this.
class TAnsweredRequest {
 public:
  TAnsweredRequest(TThreadObjectList& list, const TRequestParams& read) : list_(list) {
    TWriteGuard<TThreadObjectList> requests(list);
    request_ = ListedRequest(*requests, read);
    if (request_ == nullptr) return;
    request_->Busy = false;
    request_->Timer.Restart();
    list.LockRead();
  }
  ~TAnsweredRequest() {
    if (request_ != nullptr) list_.UnlockRead();
  }
  TAnsweredRequest(const TAnsweredRequest&) = delete;
  TAnsweredRequest& operator=(const TAnsweredRequest&) = delete;

  const TRequestItem* Request() const { return request_; }

 private:
  TThreadObjectList& list_;
  TRequestItem* request_ = nullptr;
};

int32_t AddPlcFields(TDecoderHost& host, const TRequestParams& read, TParsedDataList& list) {
  list.Add(kLocalAddressField, TVariant::OfI4(host.MPILocal()));
  list.Add(kRemoteAddressField, TVariant::OfI4(host.MPIRemote()));
  list.Add(kAreaField, TVariant::OfI1(ReadAreaOrdinal(read.Area)));
  list.Add(kDataBlockField, TVariant::OfI4(read.DBNumber));
  return 4;
}

// The record under the module's lock; `added` follows the fields as they come.
void BuildRecord(TDecoderHost& host, const TRequestParams& read, const uint8_t* response,
                 int32_t length, TParsedDataList& list, int32_t& added) {
  TAnsweredRequest answered(host.RequestList(), read);
  if (answered.Request() == nullptr) return;
  const std::string packet(reinterpret_cast<const char*>(response), static_cast<size_t>(length));
  list.AppendRawText(packet);
  added += host.FillStandardItems(list, packet);
  added += AddPlcFields(host, read, list);
  added += DecodeItems(answered.Request()->Items, response, length, list);
}

// Whatever happened to the record: release the module, close the row, let the
// timer decide.
void FinishRecord(TDecoderHost& host, TParsedDataList& list, int32_t added) {
  host.EndModuleWrite();
  if (added > 0) list.NewRow();
  host.UpdateTimer();
}

}  // namespace

int32_t DecodeItems(const std::vector<TResponseItem>& items, const uint8_t* response,
                    int32_t length, TmoxParamsList& list) {
  int32_t added = 0;
  int64_t next = 0;
  for (const TResponseItem& item : items) {
    int64_t offset = item.Offset == -1 ? next : item.Offset;
    int64_t size = item.Size;
    const TVariant fallback = DefaultValueOf(item);
    std::string name = item.Name;
    for (int32_t counter = 0; counter < item.Count; ++counter, ++added) {
      name.resize(item.Name.size());
      AppendCounter(name, item, counter);
      if (ValueInRange(item.DataType, offset, size, length)) {
        const auto available = static_cast<size_t>(length - offset);
        list.Add(name, DecodeValue(item, response + offset, available, counter, size));
      } else {
        list.Add(name, fallback);
      }
      offset += size;
    }
    next = offset;
  }
  return added;
}

int32_t Decode(TDecoderHost& host, const TRequestParams& read, const uint8_t* response,
               size_t capacity, TParsedDataList& list) {
  const auto length =
      static_cast<int32_t>(std::clamp<int64_t>(read.Size, 0, static_cast<int64_t>(capacity)));
  host.SwitchTimerOff();
  host.BeginModuleWrite();
  int32_t added = 0;
  try {
    if (length > 0) BuildRecord(host, read, response, length, list, added);
  } catch (...) {
    FinishRecord(host, list, added);
    throw;
  }
  FinishRecord(host, list, added);
  return added;
}
