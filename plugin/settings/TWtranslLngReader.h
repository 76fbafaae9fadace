#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "settings/TWtranslDirectives.h"

// Reader of language files (".lng"): directives at the top, comments after "//",
// and blocks of lines "code:>text", each block closed by an empty line.

// One line of the block being read.
struct TBlockItem {
  std::string Code;
  std::string Text;
};

using TPairHandler = std::function<void(const std::string& source, const std::string& translation)>;

// Reads the text of one file: directive lines change `options`, and every
// block with non-empty texts for both languages calls `onPair`. A block that no
// empty line closes before the end of the text is not used.
void ReadLanguageText(std::string_view content, std::string_view source, std::string_view target,
                      TWtranslOptions& options, const TPairHandler& onPair);

// The "[Languages]" section of a file: its "Default" value, and whether it names
// at least one language ("$" key with a value).
struct TWtranslLanguagesSection {
  std::string Default;
  bool NamesLanguages = false;
};

TWtranslLanguagesSection ReadLanguagesSection(std::string_view content);

// A translation's text as the file's directives encode it: UTF-8, or the code page.
std::u16string DecodeTranslation(const std::string& text, const TWtranslOptions& options);
