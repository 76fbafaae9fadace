#include "settings/CustomTextResources.h"

#include <exception>

#include "platform/CodePage.h"
#include "settings/TWtransl.h"

TCustomTextResources::TCustomTextResources(TComponent* owner) : TComponent(owner) { Tag = kTag; }

const TClassInfo& TCustomTextResources::StaticClassInfo() {
  static const TClassInfo info("TCustomTextResources", &TComponent::StaticClassInfo(), {});
  return info;
}

void TCustomTextResources::TranslateTexts(TWtransl& translator) {
  if (translated_) return;
  translated_ = true;
  for (std::string* text : texts_) {
    try {
      *text = translator.TranslateValue(*text, this, {});
    } catch (const std::exception&) {
      // the text stays as it was
    }
  }
}
