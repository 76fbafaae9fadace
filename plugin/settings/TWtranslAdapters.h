#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "moxShared/Public/Component/moxComponent.h"

class TWtransl;

// The base of translation adapters: they translate what the property walk
// cannot reach. An adapter serves components of its class (or every component
// without a class).
class TWtranslatorCustom {
 public:
  TWtranslatorCustom(const TClassInfo* objectClass, std::string_view marker);
  virtual ~TWtranslatorCustom() = default;

  const TClassInfo* ObjectClass() const { return objectClass_; }
  const std::string& Marker() const { return marker_; }  // lower case
  bool Serves(const TComponent& component) const;

  // True when the adapter translated the object.
  virtual bool TranslateObject(TWtransl& translator, TComponent& object);

 private:
  const TClassInfo* objectClass_;
  std::string marker_;
};

// Asks a TCustomTextResources component to translate its texts.
class TWtranslatorCustomTextResources : public TWtranslatorCustom {
 public:
  using TWtranslatorCustom::TWtranslatorCustom;
  bool TranslateObject(TWtransl& translator, TComponent& object) override;
};

void AppendTranslatorAdapter(std::unique_ptr<TWtranslatorCustom> adapter);

// Appends an adapter of class A to the process-wide list, after those there.
template <class A>
void RegisterTranslatorAdapter(const TClassInfo* objectClass, std::string_view marker) {
  AppendTranslatorAdapter(std::make_unique<A>(objectClass, marker));
}

// The first registered adapter that serves the component; nullptr when none.
// The text-resource adapter is registered from the start.
TWtranslatorCustom* FindComponentAdapter(const TComponent& component);
