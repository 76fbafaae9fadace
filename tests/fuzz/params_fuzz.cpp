// Drives the parameter-list interfaces as a host may: random calls on the 8-bit
// and the wide interface of a list and on its items, with random names, indices,
// ranges, variant types and string lengths. Values that come back are released as
// a host releases them. A crash, a leak or a sanitizer report is a finding; every
// call must answer with a status, never an exception.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "moxShared/Public/Common/moxAnsiString.h"
#include "moxShared/Public/Common/moxParamLstItemWrap.h"
#include "moxShared/Public/Common/moxParamLstWrap.h"
#include "platform/OleAuto.h"

namespace {

using TListA = TmoxIntfRef<ImoxParamsListA>;
using TListW = TmoxIntfRef<ImoxParamsListW>;

// A value as a host builds it for an 8-bit or a wide operation; strings are owned
// here until the call returns. Text pointers (type 0x100 and 0x102) point at
// zero-terminated text: 8-bit for 0x100 through an 8-bit operation, UTF-16 otherwise.
class THostValue {
 public:
  THostValue(FuzzedDataProvider& input, bool wide) {
    switch (input.ConsumeIntegralInRange<int>(0, 5)) {
      case 0:  // a wide string of any length, embedded zeros included
        FWide = Utf16(input.ConsumeRandomLengthString(80));
        FBStr = platform::AllocBStr(FWide.data(), static_cast<uint32_t>(FWide.size()));
        FData.VType = VarType::BStr;
        FData.BStr = FBStr;
        break;
      case 1:
        FData.VType = VarType::AnsiStr;
        if (wide) {
          FWide = Utf16(input.ConsumeRandomLengthString(40));
          FData.Ptr = FWide.c_str();
        } else {
          FAnsi = TAnsiString(input.ConsumeRandomLengthString(40));
          FData.AnsiStr = FAnsi.Handle();
        }
        break;
      case 2:
        FWide = Utf16(input.ConsumeRandomLengthString(40));
        FData.VType = VarType::WideText;
        FData.Ptr = FWide.c_str();
        break;
      default: {
        // Any type code without a pointer in it, known or not, with random bits.
        static constexpr TVarType kPointerTypes[] = {
            8, 9, 12, 13, 36, VarType::AnsiStr, VarType::WideText};
        FData.VType = input.ConsumeIntegral<uint16_t>() & 0x1FFF;
        for (const TVarType type : kPointerTypes) {
          if (FData.VType == type) FData.VType = VarType::Empty;
        }
        FData.I8 = input.ConsumeIntegral<int64_t>();
        break;
      }
    }
  }
  ~THostValue() { platform::FreeBStr(FBStr); }
  THostValue(const THostValue&) = delete;
  THostValue& operator=(const THostValue&) = delete;

  const TVarData& Data() const { return FData; }

 private:
  static std::u16string Utf16(const std::string& bytes) {
    std::u16string text;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
      text += static_cast<char16_t>(static_cast<uint8_t>(bytes[at]) |
                                    static_cast<uint8_t>(bytes[at + 1]) << 8);
    }
    return text;
  }

  TVarData FData{};
  platform::BStr FBStr = nullptr;
  TAnsiString FAnsi;
  std::u16string FWide;
};

// Names as the interfaces take them: an 8-bit long string, a BSTR.
struct THostName {
  explicit THostName(FuzzedDataProvider& input) : Ansi(input.ConsumeRandomLengthString(12)) {
    const std::string_view text = Ansi.View();
    const std::u16string wide(text.begin(), text.end());
    Wide = platform::AllocBStr(wide.data(), static_cast<uint32_t>(wide.size()));
  }
  ~THostName() { platform::FreeBStr(Wide); }
  THostName(const THostName&) = delete;
  THostName& operator=(const THostName&) = delete;
  TAnsiString Ansi;
  platform::BStr Wide;
};

void Release(TVarData& value) { TVariant::Adopt(value); }

template <typename TItem>
void Release(TItem* item) {
  if (item != nullptr) item->Release();
}

// A few calls on one item, through whichever interface the host got it from.
void DriveItem(FuzzedDataProvider& input, ImoxParamsListItemW* item) {
  TVarData value{};
  switch (input.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      if (item->GetValue(&value) == kS_OK) Release(value);
      break;
    case 1:
      if (item->GetValueW(&value) == kS_OK) Release(value);
      break;
    case 2: {
      const THostValue host(input, false);
      item->SetValue(host.Data());
      break;
    }
    case 3: {
      const THostValue host(input, true);
      item->SetValueW(host.Data());
      break;
    }
    case 4: {
      const std::string name = input.ConsumeRandomLengthString(12);
      item->SetName(name.c_str());
      const char* got = item->GetName();  // an empty name may come back as none
      Check(std::string(got != nullptr ? got : "") == name.c_str());
      break;
    }
    default:
      item->SetItemType(input.ConsumeIntegral<int32_t>());
      item->SetState(input.ConsumeIntegral<uint8_t>());
      item->GetKey();
      item->IsNewRow();
      item->GetNameW();
      break;
  }
}

void Call(FuzzedDataProvider& input, ImoxParamsListA& a, ImoxParamsListW& w,
          TmoxParamsListWrap& other) {
  const int32_t count = a.GetCount();
  const int32_t index = input.ConsumeIntegralInRange<int32_t>(-2, count + 1);
  const int32_t from = input.ConsumeIntegralInRange<int32_t>(-2, count + 1);
  const int32_t to = input.ConsumeIntegralInRange<int32_t>(-2, count + 1);
  ImoxParamsListItemA* itemA = nullptr;
  ImoxParamsListItemW* itemW = nullptr;
  TVarData value{};
  TmoxBool done = 0;
  int32_t found = 0;
  switch (input.ConsumeIntegralInRange<int>(0, 15)) {
    case 0: {
      const THostName name(input);
      const THostValue host(input, false);
      a.Add(name.Ansi.Handle(), host.Data(), &itemA);
      break;
    }
    case 1: {
      const THostName name(input);
      const THostValue host(input, true);
      w.Add(name.Wide, host.Data(), &itemW);
      break;
    }
    case 2: {
      const THostName name(input);
      const THostValue host(input, false);
      a.Insert(index, name.Ansi.Handle(), host.Data(), &itemA);
      break;
    }
    case 3: {
      const THostName name(input);
      const THostValue host(input, true);
      w.SetValue(name.Wide, host.Data(), input.ConsumeIntegral<uint8_t>(), &itemW);
      break;
    }
    case 4: {
      const THostName name(input);
      const THostValue host(input, false);
      a.SetValue(name.Ansi.Handle(), host.Data(), input.ConsumeIntegral<uint8_t>(), &itemA);
      break;
    }
    case 5:
      w.GetItem(index, &itemW);
      if (itemW != nullptr) DriveItem(input, itemW);
      break;
    case 6: {
      const THostName name(input);
      a.FindItem(name.Ansi.Handle(), from, to, &itemA);
      w.IndexOf(name.Wide, from, to, &found);
      break;
    }
    case 7: {
      const THostName name(input);
      if (a.GetValue(name.Ansi.Handle(), from, to, &value) == kS_OK) Release(value);
      if (w.GetValue(name.Wide, from, to, &value) == kS_OK) Release(value);
      break;
    }
    case 8: {
      const THostName name(input);
      const THostValue fallback(input, true);
      if (w.GetValueDef(name.Wide, fallback.Data(), from, to, &value) == kS_OK) Release(value);
      break;
    }
    case 9:
      a.Delete(index);
      break;
    case 10:
      a.NewRow();
      a.FindRowEnd(from, &found, &done);
      break;
    case 11:
      w.AppendRange(&other, from, to, &done);
      break;
    case 12:
      w.AppendList(&other, &done);
      a.AppendListRow(&other);
      break;
    case 13:
      w.GetItem(index, &itemW);
      if (itemW != nullptr) a.AddItem(itemW, &itemA);
      break;
    case 14:
      a.SetTag(input.ConsumeIntegral<int32_t>());
      Check(w.GetSignature() == a.GetSignature());
      break;
    default:
      if (input.ConsumeIntegralInRange<int>(0, 7) == 0) a.Clear();
      break;
  }
  Release(itemA);
  Release(itemW);
}

}  // namespace

// A list as a host holds it: counted references to both of its interfaces.
struct THostList {
  THostList() : Wrap(new TmoxParamsListWrap()) {
    Check(Wrap->QueryInterface(IID_ImoxParamsListA, reinterpret_cast<void**>(A.Receive())) ==
          kS_OK);
    Check(A->QueryInterface(IID_ImoxParamsListW, reinterpret_cast<void**>(W.Receive())) == kS_OK);
  }
  TmoxParamsListWrap* Wrap;
  TListA A;
  TListW W;
};

// Lists that appending doubles again and again would only make the run slow.
constexpr int32_t kMostItems = 256;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  THostList lists[2];
  for (int call = 0; call < 64 && input.remaining_bytes() > 0; ++call) {
    // Both: a list appended to another twice a call would double each call.
    for (THostList& list : lists) {
      if (list.A->GetCount() > kMostItems) list.A->Clear();
    }
    const bool first = input.ConsumeBool();
    THostList& target = lists[first ? 0 : 1];
    THostList& source = lists[input.ConsumeBool() == first ? 0 : 1];  // itself at times
    Call(input, *target.A.Get(), *target.W.Get(), *source.Wrap);
  }
  return 0;
}
