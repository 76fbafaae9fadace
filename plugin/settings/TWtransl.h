#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"
#include "platform/Sync.h"
#include "settings/TWtranslDictionary.h"
#include "settings/TWtranslDirectives.h"

class TmoxTimerEx;

// The translator: loads the pairs of one language pair from language files and
// replaces the values of chosen properties of a component, and of what it
// owns, by their translations: strings, the lines of string lists, the items
// of collections and, through adapters, other objects. The dictionary is freed a while after the
// last translation; the timer doing so runs on the thread of the first
// translation, which must process its messages.
class TWtransl : public TComponent {
 public:
  explicit TWtransl(TComponent* owner = nullptr);
  // Writes the collected texts.
  ~TWtransl() override;

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Set these before translating.
  std::string LanguageFile = "app.lng";  // paths joined by "|", read in order
  std::vector<std::string> ComponentProperties{"CAPTION", "HINT", "TEXT", "TITLE", "CAPTIONS"};
  std::string SourceLanguage = "EN";
  std::string TargetLanguage;
  uint32_t ReleaseInterval = 20000;  // ms after the last translation

  // Loads the dictionary for the pair when needed, then translates the
  // component and what it owns, or without one the text in place. An empty
  // target is read from the files; an empty source keeps SourceLanguage. True
  // when a translation pass ran.
  bool Translate(const std::string& target, TComponent* component, std::u16string* text = nullptr,
                 const std::string& source = {});

  // The language the files name as default (the "[Languages]" section).
  std::string ReadDefaultLanguage() const;

  // Fills `dictionary` from the files for source -> target, resetting and then
  // applying their directives. The number of entries read; -1 when no file could be read.
  int32_t LoadDictionary(const std::string& files, const std::string& source,
                         TWtranslLanguagesList& dictionary, const std::string& target);

  // The translation of one value met on `component` (may be null) in
  // `property`; the value itself in a collect mode, or when there is none. For
  // adapters, while a translation pass runs.
  std::string TranslateValue(const std::string& value, const TComponent* component,
                             std::string_view property);
  std::u16string TranslateText(const std::u16string& text);

  // Writes the collected texts beside the last language file; errors are swallowed.
  void WriteCollected();

  // State, for the module and for tests.
  bool HasDictionary();
  int32_t LoadedCount();
  TWtranslOptions Options();
  std::set<std::string> CollectedTexts();

 private:
  bool TranslatePass(TComponent* component, std::u16string* text);
  void TranslateComponent(TComponent& component);
  void TranslateProperties(TComponent& component);
  void TranslateProperty(TComponent& component, const TPropertyInfo& property);
  void TranslateObjectValue(TPersistent* object);
  void WalkOwned(TComponent& component);
  void Collect(const TWtranslLanguagesList::TLookup& lookup, const std::string& value,
               const TComponent* component, std::string_view property);
  std::optional<std::u16string> LookUpValue(const std::string& value, const TComponent* component,
                                            std::string_view property);
  void StartReleaseTimer();
  void ReleaseDictionary();

  platform::CriticalSection lock_;
  std::unique_ptr<TWtranslLanguagesList> dictionary_;
  int32_t loadedCount_ = 0;
  TWtranslOptions options_;
  const uint32_t savedLocale_;
  std::set<std::string> collected_;
  std::set<std::string> usedTexts_;  // met while collecting unused entries
  std::unique_ptr<TmoxTimerEx> releaseTimer_;
};
