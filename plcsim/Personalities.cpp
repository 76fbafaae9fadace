#include "GatewayPersonalities.h"
#include "LinePersonality.h"

#include "As511Personality.h"
#include "Mpi3964Personality.h"
#include "MpiHdlcPersonality.h"
#include "PpiPersonality.h"

namespace plcsim {

const std::vector<PersonalityKind>& PersonalityKinds() {
  static const std::vector<PersonalityKind> kinds = {
      {"ppi", "an S7-200 on its PPI port (protocol 10)", true, MakePpiPersonality},
      {"mpi", "MPI PC adapter, 3964R, PLC address in every telegram (MPI protocol, code 0)", true,
       [](const PersonalitySettings& s) -> std::unique_ptr<LinePersonality> {
         return std::make_unique<Mpi3964Personality>(s, false);
       }},
      {"mpi2", "MPI PC adapter, 3964R, short telegram header (code 1)", true,
       [](const PersonalitySettings& s) -> std::unique_ptr<LinePersonality> {
         return std::make_unique<Mpi3964Personality>(s, true);
       }},
      {"mpi3", "MPI adapter on the Step 7 link (MPI protocol (Step 7 version), code 2)", true,
       [](const PersonalitySettings& s) -> std::unique_ptr<LinePersonality> {
         return std::make_unique<MpiHdlcPersonality>(s);
       }},
      {"mpi4", "MPI PC adapter as mpi2, the PC asking for the line after connecting (code 3)", true,
       [](const PersonalitySettings& s) -> std::unique_ptr<LinePersonality> {
         return std::make_unique<Mpi3964Personality>(s, true);
       }},
      {"as511", "an S5 PLC on its programming port (AS511)", true, MakeAs511Personality},
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
