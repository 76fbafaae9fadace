#pragma once

#include <cstdint>

#include "moxShared/Public/Component/moxComponent.h"

// The font of a visual component, as far as texts need it: the character set
// they are drawn in, which a language file may set with its translations.
class TFont : public TPersistent {
 public:
  static constexpr uint8_t kDefaultCharset = 1;

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  uint8_t Charset = kDefaultCharset;
};
