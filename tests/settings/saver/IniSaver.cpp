// Test helper: saves to one INI file many times, one new key per save, so that
// a concurrent writer that loses an update leaves a key missing.
// Arguments: INI file path, key prefix, number of saves. Exit code 0 when every
// save succeeded.

#include <cstdlib>
#include <string>

#include "moxShared/Public/Component/moxComponent.h"
#include "settings/TWregistry.h"

namespace {

class TCounter : public TComponent {
 public:
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info("TCounter", &TComponent::StaticClassInfo(),
                                 {PublishedField("Count", &TCounter::Count)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  int32_t Count = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string prefix = argv[2];
  const int count = std::atoi(argv[3]);
  TCounter counter;
  int failures = 0;
  for (int i = 1; i <= count; ++i) {
    TWreg store;
    store.INIFile = argv[1];
    store.INIFileSectionPrefix = "Saver";
    store.Components = {"Count," + prefix + std::to_string(i)};
    counter.Count = i;
    if (!store.SaveValues(&counter)) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
