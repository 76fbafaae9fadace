#include "settings/TWtranslLngReader.h"

#include <vector>

#include "platform/Charset.h"
#include "platform/CodePage.h"

#include "settings/TWtranslText.h"

namespace {

// Calls `onLine` with each line (LF or CR LF ended) trimmed of blanks, and its number from 1.
template <class F>
void ForEachLine(std::string_view content, F onLine) {
  int number = 0;
  while (!content.empty()) {
    const size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    onLine(TrimBlanks(line), ++number);
  }
}

// The text of the last line for `code`; empty when there is none.
std::string TextFor(const std::vector<TBlockItem>& block, std::string_view code) {
  std::string text;
  for (const TBlockItem& item : block) {
    if (item.Code == code) text = item.Text;
  }
  return text;
}

}  // namespace

void ReadLanguageText(std::string_view content, std::string_view source, std::string_view target,
                      TWtranslOptions& options, const TPairHandler& onPair) {
  std::vector<TBlockItem> block;
  ForEachLine(content, [&](std::string_view line, int number) {
    if (number <= kDirectiveLines && ApplyDirective(line, options)) return;
    if (line.rfind("//", 0) == 0) return;
    if (!line.empty()) {
      const size_t mark = line.find(":>");
      if (mark != std::string_view::npos) {
        block.push_back({std::string(line.substr(0, mark)), std::string(line.substr(mark + 2))});
      }
      return;
    }
    const std::string sourceText = TextFor(block, source);
    const std::string targetText = TextFor(block, target);
    if (!sourceText.empty() && !targetText.empty()) onPair(sourceText, targetText);
    block.clear();
  });
}

TWtranslLanguagesSection ReadLanguagesSection(std::string_view content) {
  TWtranslLanguagesSection section;
  bool inside = false;
  ForEachLine(content, [&](std::string_view line, int) {
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inside = AsciiLower(TrimBlanks(line.substr(1, line.size() - 2))) == "languages";
      return;
    }
    const size_t equals = line.find('=');
    if (!inside || equals == std::string_view::npos) return;
    const std::string_view key = TrimControls(line.substr(0, equals));
    const std::string_view value = TrimControls(line.substr(equals + 1));
    if (AsciiLower(key) == "default") section.Default = std::string(value);
    if (!key.empty() && key.front() == '$' && !value.empty()) section.NamesLanguages = true;
  });
  return section;
}

std::u16string DecodeTranslation(const std::string& text, const TWtranslOptions& options) {
  if (options.FileEncoding == TWtranslOptions::EncodingUtf8) return platform::Utf8ToWide(text);
  return platform::CodePageToWide(options.CodePage, text);
}
