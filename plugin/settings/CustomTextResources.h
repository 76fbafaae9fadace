#pragma once

#include <string>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"

class TWtransl;

// A component whose texts are plain string fields rather than properties. The
// walk over an owner leaves it alone (tag 9997); handed to TWtransl::Translate
// itself, it translates every registered text once.
class TCustomTextResources : public TComponent {
 public:
  static constexpr int32_t kTag = 9997;

  explicit TCustomTextResources(TComponent* owner = nullptr);

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool Translated() const { return translated_; }
  // Replaces each registered text by its translation, the first time only; a
  // text that fails keeps its value.
  void TranslateTexts(TWtransl& translator);

 protected:
  // Registers a field of the derived class; it must live as long as this object.
  void RegisterText(std::string& field) { texts_.push_back(&field); }

 private:
  std::vector<std::string*> texts_;
  bool translated_ = false;
};
