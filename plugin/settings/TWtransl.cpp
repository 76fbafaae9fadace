#include "settings/TWtransl.h"

#include <exception>

#include "platform/Charset.h"
#include "settings/TWtranslFiles.h"
#include "settings/TWtranslLngReader.h"
#include "threads/moxTimerEx.h"

namespace {

TWtranslOptions InitialOptions(uint32_t locale) {
  TWtranslOptions options;
  options.CodePage = platform::SystemCodePage();
  options.Locale = locale;
  return options;
}

}  // namespace

TWtransl::TWtransl(TComponent* owner)
    : TComponent(owner),
      options_(InitialOptions(platform::ThreadLocale())),
      savedLocale_(options_.Locale) {}

TWtransl::~TWtransl() {
  FreeTimer(releaseTimer_);
  WriteCollected();
}

const TClassInfo& TWtransl::StaticClassInfo() {
  static const TClassInfo info("TWtransl", &TComponent::StaticClassInfo(),
                               {PublishedField("LanguageFile", &TWtransl::LanguageFile)});
  return info;
}

bool TWtransl::Translate(const std::string& target, TComponent* component, std::u16string* text,
                         const std::string& source) {
  const std::string targetLanguage = target.empty() ? ReadDefaultLanguage() : target;
  const std::string sourceLanguage = source.empty() ? SourceLanguage : source;
  bool ran = false;
  {
    platform::CriticalSectionGuard guard(lock_);
    TargetLanguage = targetLanguage;
    if (!dictionary_) dictionary_ = std::make_unique<TWtranslLanguagesList>();
    if (dictionary_->Source != sourceLanguage || dictionary_->Target != targetLanguage) {
      dictionary_->Source = sourceLanguage;
      dictionary_->Target = targetLanguage;
      loadedCount_ = LoadDictionary(LanguageFile, sourceLanguage, *dictionary_, targetLanguage);
    }
    if (releaseTimer_) releaseTimer_->SetEnabled(false);
    if (options_.CollectMode != TWtranslOptions::CollectNone || loadedCount_ > 0) {
      ran = TranslatePass(component, text);
    }
  }
  if (ran) StartReleaseTimer();
  return ran;
}

bool TWtransl::TranslatePass(TComponent* component, std::u16string* text) {
  if (component == nullptr) {
    if (text != nullptr) *text = TranslateText(*text);
    return true;
  }
  if (component->Tag != 9998) TranslateComponent(*component);
  WalkOwned(*component);
  return true;
}

std::string TWtransl::ReadDefaultLanguage() const {
  std::string language;
  for (const std::string& path : SplitFileList(LanguageFile)) {
    const std::optional<std::string> content = ReadWholeFile(path);
    if (!content) continue;
    const TWtranslLanguagesSection section = ReadLanguagesSection(*content);
    language = section.Default;
    if (section.NamesLanguages) break;
  }
  return language;
}

// The count covers every file read, so that entries of any file can start a pass.
int32_t TWtransl::LoadDictionary(const std::string& files, const std::string& source,
                                 TWtranslLanguagesList& dictionary, const std::string& target) {
  platform::CriticalSectionGuard guard(lock_);
  dictionary.Clear();
  options_ = InitialOptions(savedLocale_);
  int32_t count = -1;
  for (const std::string& path : SplitFileList(files)) {
    if (!FileExists(path)) continue;
    const std::optional<std::string> content = ReadWholeFile(path);
    if (!content) break;
    count = count < 0 ? 0 : count;
    ReadLanguageText(*content, source, target, options_,
                     [&](const std::string& sourceText, const std::string& translation) {
                       dictionary.Add(sourceText, DecodeTranslation(translation, options_));
                       ++count;
                       // a reload after a release must not bring back texts met already
                       if (options_.CollectMode == TWtranslOptions::CollectUnused &&
                           usedTexts_.count(sourceText) == 0) {
                         collected_.insert(sourceText);
                       }
                     });
  }
  if (platform::ThreadLocale() != options_.Locale) platform::SetThreadLocale(options_.Locale);
  return count;
}

void TWtransl::StartReleaseTimer() {
  platform::CriticalSectionGuard guard(lock_);
  try {
    if (!releaseTimer_) {
      releaseTimer_ = std::make_unique<TmoxTimerEx>();
      releaseTimer_->SetEnabled(false);
      releaseTimer_->SetOnTimer([this](TmoxTimerEx&) { ReleaseDictionary(); });
    }
    releaseTimer_->SetInterval(ReleaseInterval);
    releaseTimer_->SetEnabled(true);
  } catch (const std::exception&) {
    // without a timer the dictionary stays until the translator goes
  }
}

void TWtransl::ReleaseDictionary() {
  platform::CriticalSectionGuard guard(lock_);
  releaseTimer_->SetEnabled(false);
  dictionary_.reset();
  loadedCount_ = 0;
}

void TWtransl::WriteCollected() {
  try {
    const TWtranslOptions options = Options();
    const std::set<std::string> texts = CollectedTexts();
    if (options.CollectMode == TWtranslOptions::CollectNone || texts.empty()) return;
    const std::string name =
        CollectedFileName(LanguageFile, options.CollectMode == TWtranslOptions::CollectUnused,
                          options.CollectFileMode == TWtranslOptions::FileNew);
    if (name.empty()) return;
    WriteCollectedFile(name, options.CollectFileMode == TWtranslOptions::FileAppend, SourceLanguage,
                       TargetLanguage, texts);
  } catch (const std::exception&) {
    // collecting is a help for translators; failing to write loses nothing else
  }
}

bool TWtransl::HasDictionary() {
  platform::CriticalSectionGuard guard(lock_);
  return dictionary_ != nullptr;
}

int32_t TWtransl::LoadedCount() {
  platform::CriticalSectionGuard guard(lock_);
  return loadedCount_;
}

TWtranslOptions TWtransl::Options() {
  platform::CriticalSectionGuard guard(lock_);
  return options_;
}

std::set<std::string> TWtransl::CollectedTexts() {
  platform::CriticalSectionGuard guard(lock_);
  return collected_;
}
