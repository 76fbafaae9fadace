#include "moxAnsiString.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

TAnsiString::THeader* TAnsiString::HeaderOf(const char* handle) noexcept {
  // The text always follows a header allocated with it.
  return reinterpret_cast<THeader*>(const_cast<char*>(handle) - sizeof(THeader));
}

TAnsiString::TAnsiString(std::string_view text) {
  if (text.empty()) return;
  auto* block = static_cast<char*>(::operator new(sizeof(THeader) + text.size() + 1));
  new (block) THeader{{1}, static_cast<int32_t>(text.size())};
  FText = block + sizeof(THeader);
  std::memcpy(FText, text.data(), text.size());
  FText[text.size()] = '\0';
}

TAnsiString::TAnsiString(const TAnsiString& other) noexcept : FText(other.FText) {
  if (FText != nullptr) HeaderOf(FText)->RefCount.fetch_add(1);
}

TAnsiString::TAnsiString(TAnsiString&& other) noexcept
    : FText(std::exchange(other.FText, nullptr)) {}

TAnsiString& TAnsiString::operator=(TAnsiString other) noexcept {
  std::swap(FText, other.FText);
  return *this;
}

TAnsiString::~TAnsiString() { Release(); }

void TAnsiString::Release() noexcept {
  if (FText == nullptr) return;
  THeader* header = HeaderOf(FText);
  FText = nullptr;
  if (header->RefCount.fetch_sub(1) == 1) {
    header->~THeader();
    ::operator delete(header);
  }
}

TAnsiString TAnsiString::Adopt(const char* handle) noexcept {
  TAnsiString result;
  result.FText = const_cast<char*>(handle);
  return result;
}

const char* TAnsiString::Detach() noexcept { return std::exchange(FText, nullptr); }

int32_t TAnsiString::RefCount() const noexcept {
  return FText == nullptr ? 0 : HeaderOf(FText)->RefCount.load();
}

std::string_view TAnsiString::ViewOf(const char* handle) {
  if (handle == nullptr) return {};
  int32_t length;
  std::memcpy(&length, handle - sizeof(int32_t), sizeof(length));
  if (length < 0) throw std::invalid_argument("Invalid string length");
  return {handle, static_cast<size_t>(length)};
}
