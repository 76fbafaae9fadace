#pragma once

#include <memory>

#include "LinePersonality.h"

namespace plcsim {

// The Ethernet gateways, each with the PLC of the settings behind it.

// IBH-Link with an S7-300/400 on its MPI bus.
std::unique_ptr<LinePersonality> MakeIbhGateway(const PersonalitySettings& settings);
// IBH-Link with an S7-200 on its PPI bus.
std::unique_ptr<LinePersonality> MakeIbhPpiGateway(const PersonalitySettings& settings);
// NetLink-PRO adapter with the PLC on its MPI bus.
std::unique_ptr<LinePersonality> MakeNetLinkAdapter(const PersonalitySettings& settings);

// The ports the gateways listen on.
constexpr uint16_t kIbhPort = 1099;
constexpr uint16_t kNetLinkPort = 7777;

}  // namespace plcsim
