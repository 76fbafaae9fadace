#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

// An 8-bit string in the layout that crosses the list interfaces as an "A"
// name: the handle points at zero-terminated text, preceded by its 32-bit byte
// length at offset -4 and a 32-bit reference count at offset -8. The empty
// string has a null handle. Copies share the text and count references.
class TAnsiString {
 public:
  TAnsiString() noexcept = default;
  explicit TAnsiString(std::string_view text);
  TAnsiString(const TAnsiString& other) noexcept;
  TAnsiString(TAnsiString&& other) noexcept;
  TAnsiString& operator=(TAnsiString other) noexcept;
  ~TAnsiString();

  // What is handed across the boundary; null for the empty string.
  const char* Handle() const noexcept { return FText; }
  std::string_view View() const { return ViewOf(FText); }
  int32_t RefCount() const noexcept;

  // Ownership of one reference as a raw handle, for values that hold the
  // handle themselves (the 8-bit string variant).
  static TAnsiString Adopt(const char* handle) noexcept;
  const char* Detach() noexcept;

  // Reads a string that another module handed over by its handle. The text is
  // only borrowed: a receiver that keeps it copies it. Throws
  // std::invalid_argument for a negative length.
  static std::string_view ViewOf(const char* handle);

 private:
  struct THeader {
    std::atomic<int32_t> RefCount;
    int32_t Length;
  };
  static_assert(sizeof(THeader) == 8, "the count at -8, the length at -4");
  static THeader* HeaderOf(const char* handle) noexcept;
  void Release() noexcept;

  char* FText = nullptr;
};
