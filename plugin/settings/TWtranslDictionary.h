#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "settings/TWtranslText.h"

// The loaded pairs of one language pair: an exact map, compared with letter
// case, and a lower-case map for texts whose case differs from the entry's.
class TWtranslLanguagesList {
 public:
  void Clear();
  // Stores a pair; a later pair for the same source text replaces the earlier.
  void Add(const std::string& source, const std::u16string& translation);
  size_t Count() const { return exact_.size(); }

  // The language pair the entries were loaded for; empty when none was.
  std::string Source;
  std::string Target;

  // The result of looking one text up.
  struct TLookup {
    bool Translatable = false;  // the trimmed text is not empty
    bool Found = false;
    TWtranslKeys Keys;
    std::u16string Translation;  // post-processed, when found
  };
  TLookup LookUp(std::string_view text) const;

 private:
  const std::u16string* Find(std::string_view trimmed, const TWtranslKeys& keys,
                             bool& viaPlainKey) const;

  std::unordered_map<std::string, std::u16string> exact_;
  std::unordered_map<std::string, std::u16string> lower_;
};

// The translation of `text`, or `text` unchanged when there is none.
std::u16string TranslateText(const std::u16string& text, const TWtranslLanguagesList& dictionary);
