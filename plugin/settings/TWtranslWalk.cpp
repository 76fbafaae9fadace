// The component walk of the translator: which components and properties are
// translated, and how each value is translated or collected.
#include <exception>
#include <optional>
#include <utility>

#include "moxShared/Public/Component/moxCollection.h"
#include "moxShared/Public/Component/moxFont.h"
#include "platform/CodePage.h"
#include "settings/TWtransl.h"
#include "settings/TWtranslAdapters.h"

namespace {

constexpr int32_t kTagSkipAll = 9999;
constexpr int32_t kTagSkipSelf = 9998;
constexpr int32_t kTagCustomHook = 9997;
constexpr int32_t kTagExcludeBase = 10000;

// The properties that tags 10000 to 10047 exclude, by their bits.
constexpr const char* kExcludable[] = {"hint", "caption", "items", "strings", "text", "pages"};

// The fonts whose charset follows the language file.
constexpr const char* kFontProperties[] = {"Font", "FocusFont"};

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool ExcludedByTag(int32_t tag, const std::string& property) {
  if (tag < kTagExcludeBase || tag > kTagExcludeBase + 47) return false;
  const int bits = tag - kTagExcludeBase;
  for (int bit = 0; bit < 6; ++bit) {
    if ((bits & (1 << bit)) != 0 && AsciiLower(property) == kExcludable[bit]) return true;
  }
  return false;
}

// "[class]name" of each owner level, outermost first, joined by " -> ".
std::string OwnerPath(const TComponent* component) {
  std::string path;
  for (; component != nullptr; component = component->Owner()) {
    std::string level = "[";
    level.append(component->ClassInfo().ClassName()).append("]").append(component->Name);
    path = path.empty() ? level : level.append(" -> ").append(path);
  }
  return path;
}

void SetRightToLeftMode(TComponent& component, uint8_t mode) {
  const TPropertyInfo* property = component.ClassInfo().FindProperty("BiDiMode");
  if (mode != 0 && property != nullptr && property->Type == TPropertyType::Integer &&
      property->Set) {
    property->Set(component, int32_t{mode});
  }
}

// Always applied, the default charset too: the language file decides the
// charset of every font it reaches.
void SetFontCharset(TComponent& component, uint8_t charset) {
  for (const char* name : kFontProperties) {
    const TPropertyInfo* property = component.ClassInfo().FindProperty(name);
    if (property == nullptr || property->Type != TPropertyType::Object) continue;
    if (TFont* font = ObjectAs<TFont>(std::get<TPersistent*>(property->Get(component)))) {
      font->Charset = charset;
    }
  }
}

void TranslateString(TWtransl& translator, TComponent& component, const TPropertyInfo& property) {
  if (!property.Set) return;
  const std::string value = std::get<std::string>(property.Get(component));
  const std::string translated = translator.TranslateValue(value, &component, property.Name);
  if (translated != value) property.Set(component, translated);
}

// Line by line, so that each line is looked up (or collected) on its own.
void TranslateLines(TWtransl& translator, TComponent& component, const TPropertyInfo& property) {
  if (!property.Set) return;
  auto lines = std::get<std::vector<std::string>>(property.Get(component));
  bool changed = false;
  for (std::string& line : lines) {
    std::string translated = translator.TranslateValue(line, &component, property.Name);
    if (translated == line) continue;
    line = std::move(translated);
    changed = true;
  }
  if (changed) property.Set(component, lines);
}

}  // namespace

void TWtransl::TranslateComponent(TComponent& component) {
  SetRightToLeftMode(component, options_.RightToLeftMode);
  SetFontCharset(component, options_.FontCharset);
  TranslateProperties(component);
  if (TWtranslatorCustom* adapter = FindComponentAdapter(component)) {
    adapter->TranslateObject(*this, component);
  }
}

void TWtransl::TranslateProperties(TComponent& component) {
  for (const std::string& name : ComponentProperties) {
    if (ExcludedByTag(component.Tag, name)) continue;
    const TPropertyInfo* property = component.ClassInfo().FindProperty(name);
    if (property == nullptr) continue;
    try {
      TranslateProperty(component, *property);
    } catch (const std::exception&) {
      // a value that cannot be read or written stays as it is
    }
  }
}

void TWtransl::TranslateProperty(TComponent& component, const TPropertyInfo& property) {
  switch (property.Type) {
    case TPropertyType::String:
      TranslateString(*this, component, property);
      break;
    case TPropertyType::StringList:
      TranslateLines(*this, component, property);
      break;
    case TPropertyType::Object:
      TranslateObjectValue(std::get<TPersistent*>(property.Get(component)));
      break;
    case TPropertyType::Boolean:
    case TPropertyType::Integer:
    case TPropertyType::Double:
      break;
  }
}

// Collection items are translated as components; other objects go to an adapter.
void TWtransl::TranslateObjectValue(TPersistent* object) {
  if (object == nullptr) return;
  if (TCollection* collection = ObjectAs<TCollection>(object)) {
    for (int i = 0; i < collection->Count(); ++i) TranslateComponent(collection->Item(i));
  } else if (TWtranslatorCustom* adapter = FindPropertyAdapter(*object)) {
    adapter->TranslateObject(*this, *object);
  }
}

void TWtransl::WalkOwned(TComponent& component) {
  for (int i = 0; i < component.ComponentCount(); ++i) {
    TComponent& owned = *component.Component(i);
    if (owned.Tag == kTagSkipAll || StartsWith(owned.Name, "__")) continue;
    if (owned.Tag != kTagSkipSelf && owned.Tag != kTagCustomHook) TranslateComponent(owned);
    if (!StartsWith(owned.Name, "_")) WalkOwned(owned);
  }
}

std::optional<std::u16string> TWtransl::LookUpValue(const std::string& value,
                                                    const TComponent* component,
                                                    std::string_view property) {
  platform::CriticalSectionGuard guard(lock_);
  if (!dictionary_) return std::nullopt;
  const TWtranslLanguagesList::TLookup lookup = dictionary_->LookUp(value);
  if (options_.CollectMode != TWtranslOptions::CollectNone) {
    Collect(lookup, value, component, property);
    return std::nullopt;
  }
  if (!lookup.Found) return std::nullopt;
  return lookup.Translation;
}

std::string TWtransl::TranslateValue(const std::string& value, const TComponent* component,
                                     std::string_view property) {
  const std::optional<std::u16string> translation = LookUpValue(value, component, property);
  return translation ? platform::WideToAnsi(*translation) : value;
}

// Kept wide all the way, so that no character is lost to the 8-bit code page.
std::u16string TWtransl::TranslateText(const std::u16string& text) {
  const std::optional<std::u16string> translation =
      LookUpValue(platform::WideToAnsi(text), nullptr, {});
  return translation ? *translation : text;
}

void TWtransl::Collect(const TWtranslLanguagesList::TLookup& lookup, const std::string& value,
                       const TComponent* component, std::string_view property) {
  if (!lookup.Translatable || !HasWordCharacter(value)) return;
  const std::string& key = lookup.Keys.Escaped;
  switch (options_.CollectMode) {
    case TWtranslOptions::CollectUntranslated:
      if (!lookup.Found) collected_.insert(key);
      break;
    case TWtranslOptions::CollectWithObjects:
      if (!lookup.Found) {
        collected_.insert(OwnerPath(component) + "." + std::string(property) + "=" + key);
      }
      break;
    case TWtranslOptions::CollectUnused:
      if (collected_.empty()) collected_.insert(std::string());
      collected_.erase(key);
      usedTexts_.insert(key);
      break;
    default:
      break;
  }
}
