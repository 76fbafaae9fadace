#include "LinePersonality.h"
#include "PpiPersonality.h"

namespace plcsim {

const std::vector<PersonalityKind>& PersonalityKinds() {
  static const std::vector<PersonalityKind> kinds = {
      {"ppi", "an S7-200 on its PPI port (protocol 10)", true, MakePpiPersonality},
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
