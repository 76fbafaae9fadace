#include "platform/OleAuto.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <random>

namespace platform {

// Same layout as the system's strings: the 32-bit byte length, then the
// characters and a terminating zero.
BStr AllocBStr(const WideChar* text, uint32_t length) {
  const size_t bytes = size_t{length} * sizeof(WideChar);
  auto* block =
      static_cast<unsigned char*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(WideChar)));
  if (block == nullptr) throw std::bad_alloc();
  const auto byteLength = static_cast<uint32_t>(bytes);
  std::memcpy(block, &byteLength, sizeof(byteLength));
  auto* chars = reinterpret_cast<WideChar*>(block + sizeof(uint32_t));
  if (text != nullptr) {
    std::memcpy(chars, text, bytes);
  } else {
    std::memset(chars, 0, bytes);
  }
  chars[length] = 0;
  return chars;
}

void FreeBStr(BStr text) {
  if (text != nullptr) std::free(reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t));
}

uint32_t BStrLength(const WideChar* text) {
  if (text == nullptr) return 0;
  uint32_t byteLength;
  std::memcpy(&byteLength, reinterpret_cast<const unsigned char*>(text) - sizeof(uint32_t),
              sizeof(byteLength));
  return byteLength / sizeof(WideChar);
}

// A version 4 (random) identifier.
Guid CreateGuid() {
  static std::mutex lock;
  static std::mt19937_64 generator{std::random_device{}()};
  uint64_t high;
  uint64_t low;
  {
    std::lock_guard<std::mutex> guard(lock);
    high = generator();
    low = generator();
  }
  Guid guid;
  guid.Data1 = static_cast<uint32_t>(high >> 32);
  guid.Data2 = static_cast<uint16_t>(high >> 16);
  guid.Data3 = static_cast<uint16_t>((high & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<uint8_t>(low >> (8 * i));
  guid.Data4[0] = static_cast<uint8_t>((guid.Data4[0] & 0x3F) | 0x80);
  return guid;
}

std::string GuidToString(const Guid& guid) {
  char text[40];
  std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

}  // namespace platform
