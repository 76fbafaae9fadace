#pragma once

#include <cstdint>
#include <string_view>

// What the directive lines at the top of language files set for one load.
struct TWtranslOptions {
  enum : uint8_t {
    CollectNone,
    CollectUntranslated,
    CollectAll,
    CollectUnused,
    CollectWithObjects
  };
  enum : uint8_t { FileNew, FileRewrite, FileAppend };
  enum : uint8_t { EncodingCodePage, EncodingUtf8, EncodingUtf16 };

  static constexpr uint8_t kDefaultCharset = 1;

  uint8_t CollectMode = CollectNone;
  uint8_t CollectFileMode = FileNew;
  uint8_t FileEncoding = EncodingCodePage;
  uint32_t CodePage = 0;
  uint8_t FontCharset = kDefaultCharset;
  uint8_t RightToLeftMode = 0;  // 0 none, else the value for a "BiDiMode" property
  uint32_t Locale = 0;
};

// Directives are read only in this many first lines of each file.
constexpr int kDirectiveLines = 19;

// Applies a directive line (already trimmed) to `options`. True when the line
// is used up, that is when it is no comment and must not join a block.
bool ApplyDirective(std::string_view line, TWtranslOptions& options);
