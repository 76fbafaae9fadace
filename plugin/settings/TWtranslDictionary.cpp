#include "settings/TWtranslDictionary.h"

#include "platform/CodePage.h"

void TWtranslLanguagesList::Clear() {
  exact_.clear();
  lower_.clear();
}

// Every entry also goes into the lower-case map, so that a text in any case
// finds an entry that is written in lower case already.
void TWtranslLanguagesList::Add(const std::string& source, const std::u16string& translation) {
  exact_[source] = translation;
  lower_[AnsiLower(source)] = translation;
}

const std::u16string* TWtranslLanguagesList::Find(std::string_view trimmed,
                                                  const TWtranslKeys& keys,
                                                  bool& viaPlainKey) const {
  viaPlainKey = false;
  for (const std::string& key : {std::string(trimmed), keys.Escaped}) {
    const auto hit = exact_.find(key);
    if (hit != exact_.end()) return &hit->second;
  }
  const auto plain = exact_.find(keys.Plain);
  if (plain != exact_.end()) {
    viaPlainKey = true;
    return &plain->second;
  }
  const auto lower = lower_.find(AnsiLower(trimmed));
  return lower != lower_.end() ? &lower->second : nullptr;
}

TWtranslLanguagesList::TLookup TWtranslLanguagesList::LookUp(std::string_view text) const {
  TLookup result;
  const std::string_view trimmed = TrimControls(text);
  if (trimmed.empty()) return result;
  result.Translatable = true;
  result.Keys = MakeKeys(trimmed);
  bool viaPlainKey = false;
  const std::u16string* translation = Find(trimmed, result.Keys, viaPlainKey);
  if (translation != nullptr) {
    result.Found = true;
    result.Translation = PostProcess(*translation, result.Keys.HadControls,
                                     result.Keys.HadAccelerator || viaPlainKey);
  }
  return result;
}

std::u16string TranslateText(const std::u16string& text, const TWtranslLanguagesList& dictionary) {
  const auto lookup = dictionary.LookUp(platform::WideToAnsi(text));
  return lookup.Found ? lookup.Translation : text;
}
