#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "moxShared/Public/Component/moxComponent.h"

class TWtransl;

// The base of translation adapters: they translate what the property walk
// cannot reach. An adapter serves objects of its class (or, without a class,
// every component): a component adapter serves components, a property adapter
// serves an object that a property of a component holds.
class TWtranslatorCustom {
 public:
  TWtranslatorCustom(const TClassInfo* objectClass, std::string_view marker);
  virtual ~TWtranslatorCustom() = default;

  const TClassInfo* ObjectClass() const { return objectClass_; }
  const std::string& Marker() const { return marker_; }  // lower case
  bool Serves(const TPersistent& object) const;

  // True when the adapter translated the object.
  virtual bool TranslateObject(TWtransl& translator, TPersistent& object);

 private:
  const TClassInfo* objectClass_;
  std::string marker_;
};

// Translates each line of a wide string list, keeping it wide.
class TWtranslatorCustomTntStrings : public TWtranslatorCustom {
 public:
  using TWtranslatorCustom::TWtranslatorCustom;
  bool TranslateObject(TWtransl& translator, TPersistent& object) override;
};

// Asks a TCustomTextResources component to translate its texts.
class TWtranslatorCustomTextResources : public TWtranslatorCustom {
 public:
  using TWtranslatorCustom::TWtranslatorCustom;
  bool TranslateObject(TWtransl& translator, TPersistent& object) override;
};

void AppendTranslatorAdapter(std::unique_ptr<TWtranslatorCustom> adapter);

// Appends an adapter of class A to the process-wide list, after those there.
template <class A>
void RegisterTranslatorAdapter(const TClassInfo* objectClass, std::string_view marker) {
  AppendTranslatorAdapter(std::make_unique<A>(objectClass, marker));
}

// The first registered adapter that serves the component; nullptr when none.
// The wide string list and text-resource adapters are registered from the start.
TWtranslatorCustom* FindComponentAdapter(const TComponent& component);
// The first registered adapter with a class that serves the object; nullptr
// when none, and for a component, which the walk reaches through its owner.
TWtranslatorCustom* FindPropertyAdapter(const TPersistent& object);
