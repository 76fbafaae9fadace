// Reads arbitrary text as a language file, as the translator loads it: the
// "[Languages]" section, the directive lines (encoding, code page, collection
// modes) and the blocks of texts, each translation decoded in the encoding and
// code page that the file's directives chose. Every pair taken has both texts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "settings/TWtranslDictionary.h"
#include "settings/TWtranslLngReader.h"

namespace {

const char* const kLanguages[] = {"Eng", "Deu", "Rus", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string source = input.PickValueInArray(kLanguages);
  const std::string target = input.PickValueInArray(kLanguages);
  const std::string content = input.ConsumeRemainingBytesAsString();
  ReadLanguagesSection(content);
  TWtranslOptions options;
  options.CodePage = 1252;
  TWtranslLanguagesList dictionary;
  ReadLanguageText(content, source, target, options,
                   [&](const std::string& sourceText, const std::string& translation) {
                     Check(!sourceText.empty() && !translation.empty());
                     dictionary.Add(sourceText, DecodeTranslation(translation, options));
                   });
  return 0;
}
