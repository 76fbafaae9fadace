#include "moxShared/Public/Component/moxWideStrings.h"

const TClassInfo& TWideStrings::StaticClassInfo() {
  static const TClassInfo info("TWideStrings", nullptr, {});
  return info;
}
