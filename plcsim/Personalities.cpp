#include "GatewayPersonalities.h"
#include "LinePersonality.h"

namespace plcsim {

const std::vector<PersonalityKind>& PersonalityKinds() {
  static const std::vector<PersonalityKind> kinds = {
      {"ibh", "IBH-Link gateway (port 1099), S7-300/400 on its MPI bus", false, MakeIbhGateway,
       kIbhPort},
      {"ibhppi", "IBH-Link gateway (port 1099), S7-200 on its PPI bus", false, MakeIbhPpiGateway,
       kIbhPort},
      {"nlpro", "NetLink-PRO adapter (port 7777), PLC on its MPI bus", false, MakeNetLinkAdapter,
       kNetLinkPort},
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
