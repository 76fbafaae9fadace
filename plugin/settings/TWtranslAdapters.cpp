#include "settings/TWtranslAdapters.h"

#include <vector>

#include "platform/Sync.h"
#include "settings/CustomTextResources.h"
#include "settings/TWtranslText.h"

namespace {

struct TAdapterList {
  platform::CriticalSection Lock;
  std::vector<std::unique_ptr<TWtranslatorCustom>> Adapters;

  TAdapterList() {
    Adapters.push_back(std::make_unique<TWtranslatorCustomTextResources>(
        &TCustomTextResources::StaticClassInfo(), "*"));
  }
};

// Adapters live as long as the process: components may be translated until its end.
TAdapterList& Adapters() {
  static auto* list = new TAdapterList();
  return *list;
}

}  // namespace

TWtranslatorCustom::TWtranslatorCustom(const TClassInfo* objectClass, std::string_view marker)
    : objectClass_(objectClass), marker_(AsciiLower(marker)) {}

bool TWtranslatorCustom::Serves(const TComponent& component) const {
  return objectClass_ == nullptr || component.ClassInfo().InheritsFrom(*objectClass_);
}

bool TWtranslatorCustom::TranslateObject(TWtransl&, TComponent&) { return false; }

bool TWtranslatorCustomTextResources::TranslateObject(TWtransl& translator, TComponent& object) {
  static_cast<TCustomTextResources&>(object).TranslateTexts(translator);
  return true;
}

void AppendTranslatorAdapter(std::unique_ptr<TWtranslatorCustom> adapter) {
  TAdapterList& list = Adapters();
  platform::CriticalSectionGuard guard(list.Lock);
  list.Adapters.push_back(std::move(adapter));
}

TWtranslatorCustom* FindComponentAdapter(const TComponent& component) {
  TAdapterList& list = Adapters();
  platform::CriticalSectionGuard guard(list.Lock);
  for (const auto& adapter : list.Adapters) {
    if (adapter->Serves(component)) return adapter.get();
  }
  return nullptr;
}
