#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "PlcMemory.h"
#include "S7Codes.h"

namespace plcsim {

// The answer to a job: an error, or the parameter and data blocks.
struct S7Reply {
  JobError error = JobError::kNone;
  std::vector<uint8_t> parameters;
  std::vector<uint8_t> data;
};

// Answers a Read Var job (its parameter block: function, item count, items)
// from `memory`, in an answer no larger than `pduSize`.
S7Reply ReadVar(const uint8_t* parameters, size_t size, size_t pduSize, const PlcMemory& memory);

}  // namespace plcsim
