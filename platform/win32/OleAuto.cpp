#include "platform/OleAuto.h"

#include <windows.h>

#include <oleauto.h>

#include <cstring>
#include <new>
#include <stdexcept>

namespace platform {

static_assert(sizeof(WideChar) == sizeof(OLECHAR), "BSTR characters are 16-bit");
static_assert(sizeof(Guid) == sizeof(GUID), "GUID layout");

BStr AllocBStr(const WideChar* text, uint32_t length) {
  BSTR result = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text), length);
  if (result == nullptr) throw std::bad_alloc();
  return reinterpret_cast<BStr>(result);
}

void FreeBStr(BStr text) { SysFreeString(reinterpret_cast<BSTR>(text)); }

uint32_t BStrLength(const WideChar* text) {
  return SysStringLen(reinterpret_cast<BSTR>(const_cast<WideChar*>(text)));
}

Guid CreateGuid() {
  GUID guid{};
  if (FAILED(CoCreateGuid(&guid))) throw std::runtime_error("CoCreateGuid failed");
  Guid result;
  memcpy(&result, &guid, sizeof(result));
  return result;
}

std::string GuidToString(const Guid& guid) {
  GUID native;
  memcpy(&native, &guid, sizeof(native));
  OLECHAR text[40];
  int length = StringFromGUID2(native, text, 40);
  // The text is plain ASCII; the count includes the terminating zero.
  return std::string(text, text + (length > 0 ? length - 1 : 0));
}

}  // namespace platform
