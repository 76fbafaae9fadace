#include "LinePersonality.h"

namespace plcsim {

const std::vector<PersonalityKind>& PersonalityKinds() {
  static const std::vector<PersonalityKind> kinds = {};
  return kinds;
}

const PersonalityKind* FindPersonality(const std::string& name) {
  for (const PersonalityKind& kind : PersonalityKinds()) {
    if (name == kind.name) {
      return &kind;
    }
  }
  return nullptr;
}

}  // namespace plcsim
