#pragma once

#include <string>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"

// Text lines kept wide, for texts that must not pass through the 8-bit code page.
class TWideStrings : public TPersistent {
 public:
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::vector<std::u16string> Lines;
};
