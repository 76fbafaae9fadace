#pragma once

#include <memory>

#include "LinePersonality.h"

namespace plcsim {

// An S7-200 on its PPI port: a PROFIBUS FDL slave at the PLC's address. A request
// carrying an S7 job (68 ... FC 6C/7C) is acknowledged with E5 and answered from the
// memory; the answer is handed out on the master's poll (10 ... FC 5C/7C) and kept
// for repeated polls until the next request; a poll before any answer gets E5.
// Telegrams for other stations and damaged ones are ignored; bytes that start no
// telegram are skipped. V memory is data block 1 of the memory.
std::unique_ptr<LinePersonality> MakePpiPersonality(const PersonalitySettings& settings);

}  // namespace plcsim
