#include "LinePersonality.h"

#include "As511Personality.h"

namespace plcsim {

const std::vector<PersonalityKind>& PersonalityKinds() {
  static const std::vector<PersonalityKind> kinds = {
      {"as511", "an S5 PLC on its programming port (AS511)", true, MakeAs511Personality},
  };
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
