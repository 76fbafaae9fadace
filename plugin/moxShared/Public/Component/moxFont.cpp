#include "moxShared/Public/Component/moxFont.h"

const TClassInfo& TFont::StaticClassInfo() {
  static const TClassInfo info("TFont", nullptr, {});
  return info;
}
