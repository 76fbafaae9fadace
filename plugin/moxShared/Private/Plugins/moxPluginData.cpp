// Data calls from the host, and bytes and data records back to it.
#include <cstring>
#include <exception>

#include "moxParsedDataList.h"
#include "moxPluginCallRecIntf.h"
#include "moxPluginModule.h"
#include "moxPluginRegistry.h"
#include "moxShared/Public/Common/moxParamLstWrap.h"
#include "moxShared/Public/Common/moxScopeExit.h"
#include "moxShared/Public/Common/moxVarDate.h"

namespace {

bool SlotIsEmptyList(const TPluginDataSlot& slot) {
  ImoxParamsListW* list = SlotListW(slot);
  return list != nullptr && list->GetCount() == 0;
}

}  // namespace

int32_t TmoxPlugin::ProcessDataCall(TPluginCallRec& record, ImoxParamsListA* params) {
  const uintptr_t input = record.InData.Ptr;
  int32_t result = 0;
  if (record.DataFlags != 0) {
    if ((record.DataFlags & kDataKeepEmptyList) == 0 && SlotIsEmptyList(record.InData)) {
      record.InData.Ptr = 0;
    }
    const bool reportOutcome = (record.DataFlags & (kDataRequest | kDataWrite)) != 0;
    if ((record.DataFlags & kDataRequest) != 0 && record.InData.Ptr == 0) {
      if (!MsgNoData.empty()) Log(TLogLevel::Warning, MsgNoData);
    } else if (OnProcessData) {
      result = RunDataHook({record, TPluginParams(params)}, reportOutcome);
    } else if ((record.DataFlags & kDataPassThrough) != 0) {
      std::memcpy(&record.OutData, &record.InData, sizeof record.OutData);
    }
  }
  // The input has been consumed.
  if (record.InData.Ptr == input) record.InData.Ptr = 0;
  return result;
}

int32_t TmoxPlugin::RunDataHook(const TPluginCall& call, bool reportOutcome) {
  int32_t result = 0;
  try {
    OnProcessData(*this, call, result);
  } catch (const std::exception& e) {
    const std::string message = e.what();
    if (!MsgWriteCompleteError.empty()) {
      Log(TLogLevel::Warning,
          message.empty() ? MsgWriteCompleteError : MsgWriteCompleteError + ": " + message);
    }
    return -3;
  }
  if (result > 0 && call.Record.InData.Ptr == 0) result = 0;
  if (reportOutcome) {
    const std::string& text = result < 0 ? MsgWriteCompleteError : MsgWriteComplete;
    if (!text.empty()) Log(result < 0 ? TLogLevel::Warning : TLogLevel::Information, text);
  }
  return result;
}

void TmoxPlugin::BindHostFunctions() {
  FHostSendNotify = platform::FindExport(HostModule, "Harvex_SendNotify");
  FHostSendDataEx =
      reinterpret_cast<THarvexSendDataEx>(platform::FindExport(HostModule, "Harvex_SendDataEx"));
  FHostDataSourceData = platform::FindExport(HostModule, "Harvex_DataSourceData");
  FHostDataSourceState = platform::FindExport(HostModule, "Harvex_DataSourceState");
  FHostManageDynForm = platform::FindExport(HostModule, "Harvex_ManageDynForm");
}

int32_t TmoxPlugin::SendToPort(int32_t hostContext, int32_t clientId, int32_t length,
                               const void* data, int32_t extra) {
  const THarvexSendDataEx send = FHostSendDataEx;
  if (send == nullptr) return -1;
  return send(hostContext, clientId, length, 0, kSendBytes, const_cast<void*>(data), extra);
}

void TmoxPlugin::DeliverParsedData(int32_t clientId, int32_t length, TParsedDataList& list) {
  const THarvexSendDataEx send = FHostSendDataEx;
  if (send == nullptr) return;
  // Records go out from engine threads: what the list wrapper reports (a host that
  // kept its reference) belongs in this module's log.
  const TCurrentModuleScope scope(this);
  TPluginCallRec record{};
  record.Size = kCallRecSize;
  record.Flags = 1;
  if (!list.RawText.empty()) {
    record.InData.Kind = kSlotText;
    record.InData.Ptr = reinterpret_cast<uintptr_t>(list.RawText.data());
    record.InData.Length = static_cast<int32_t>(list.RawText.size());
  }
  auto* wrap = new TmoxParamsListWrap(&list, true);
  const TScopeExit end([wrap] { wrap->Destroy(); });
  record.OutData.Kind = kSlotListInterface;
  record.OutData.Ptr = reinterpret_cast<uintptr_t>(wrap->GetIntfRef());
  send(HostContext, clientId, length, 0, kSendDataRecord, &record, 0);
}

int32_t TmoxPlugin::FillStandardItems(TParsedDataList& list, const std::string& fullPacket,
                                      const std::string& dataPacket, int32_t dataSourceId,
                                      int32_t clientId, const std::string& nameWithClient,
                                      const std::string& fullName,
                                      const std::string& nameWithoutClient) {
  const int32_t before = list.Count();
  if (!fullPacket.empty()) list.Add("FULL_DATA_PACKET", TVariant::OfAnsi(fullPacket));
  if (!dataPacket.empty()) list.Add("DATA_PACKET", TVariant::OfAnsi(dataPacket));
  list.Add("DATE_TIME_STAMP", TVariant::OfDate(LocalNowAsDate()));
  list.Add("DATA_SOURCE_ID", TVariant::OfUI4(static_cast<uint32_t>(dataSourceId)));  // LongWord
  list.Add("DATA_SOURCE_FULL_NAME", TVariant::OfAnsi(fullName));
  if (clientId != 0) {
    list.Add("CLIENTID", TVariant::OfI4(clientId));
    list.Add("DATA_SOURCE_NAME", TVariant::OfAnsi(nameWithClient));
  } else {
    list.Add("DATA_SOURCE_NAME", TVariant::OfAnsi(nameWithoutClient));
  }
  return list.Count() - before;
}
