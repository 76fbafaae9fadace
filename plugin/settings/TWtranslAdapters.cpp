#include "settings/TWtranslAdapters.h"

#include <vector>

#include "moxShared/Public/Component/moxWideStrings.h"
#include "platform/Sync.h"
#include "settings/CustomTextResources.h"
#include "settings/TWtransl.h"
#include "settings/TWtranslText.h"

namespace {

struct TAdapterList {
  platform::CriticalSection Lock;
  std::vector<std::unique_ptr<TWtranslatorCustom>> Adapters;

  TAdapterList() {
    Adapters.push_back(
        std::make_unique<TWtranslatorCustomTntStrings>(&TWideStrings::StaticClassInfo(), ""));
    Adapters.push_back(std::make_unique<TWtranslatorCustomTextResources>(
        &TCustomTextResources::StaticClassInfo(), "*"));
  }
};

// Adapters live as long as the process: components may be translated until its end.
TAdapterList& Adapters() {
  static auto* list = new TAdapterList();
  return *list;
}

template <class Accept>
TWtranslatorCustom* FindAdapter(const Accept& accept) {
  TAdapterList& list = Adapters();
  platform::CriticalSectionGuard guard(list.Lock);
  for (const auto& adapter : list.Adapters) {
    if (accept(*adapter)) return adapter.get();
  }
  return nullptr;
}

}  // namespace

TWtranslatorCustom::TWtranslatorCustom(const TClassInfo* objectClass, std::string_view marker)
    : objectClass_(objectClass), marker_(AsciiLower(marker)) {}

bool TWtranslatorCustom::Serves(const TPersistent& object) const {
  return objectClass_ == nullptr || object.ClassInfo().InheritsFrom(*objectClass_);
}

bool TWtranslatorCustom::TranslateObject(TWtransl&, TPersistent&) { return false; }

bool TWtranslatorCustomTntStrings::TranslateObject(TWtransl& translator, TPersistent& object) {
  for (std::u16string& line : static_cast<TWideStrings&>(object).Lines) {
    line = translator.TranslateText(line);
  }
  return true;
}

bool TWtranslatorCustomTextResources::TranslateObject(TWtransl& translator, TPersistent& object) {
  static_cast<TCustomTextResources&>(object).TranslateTexts(translator);
  return true;
}

void AppendTranslatorAdapter(std::unique_ptr<TWtranslatorCustom> adapter) {
  TAdapterList& list = Adapters();
  platform::CriticalSectionGuard guard(list.Lock);
  list.Adapters.push_back(std::move(adapter));
}

TWtranslatorCustom* FindComponentAdapter(const TComponent& component) {
  return FindAdapter([&](const TWtranslatorCustom& adapter) { return adapter.Serves(component); });
}

TWtranslatorCustom* FindPropertyAdapter(const TPersistent& object) {
  if (object.ClassInfo().InheritsFrom(TComponent::StaticClassInfo())) return nullptr;
  return FindAdapter([&](const TWtranslatorCustom& adapter) {
    return adapter.ObjectClass() != nullptr && adapter.Serves(object);
  });
}
