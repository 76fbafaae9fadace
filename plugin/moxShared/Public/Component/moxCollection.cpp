#include "moxShared/Public/Component/moxCollection.h"

const TClassInfo& TCollection::StaticClassInfo() {
  static const TClassInfo info("TCollection", nullptr, {});
  return info;
}
