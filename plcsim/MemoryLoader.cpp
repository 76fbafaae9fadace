#include "MemoryLoader.h"

#include <cstdint>
#include <vector>

#include "Animation.h"

namespace plcsim {

namespace {

std::vector<uint8_t> Sequence(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t k = 0; k < size; ++k) {
    bytes[k] = static_cast<uint8_t>(k);
  }
  return bytes;
}

}  // namespace

void LoadMemory(const Description& description, PlcMemory& memory) {
  for (const AreaDeclaration& declared : description.blocks) {
    memory.AddBlock(declared.block, declared.size, declared.fill);
    if (declared.sequence) {
      memory.Write(declared.block, 0, Sequence(declared.size));
    }
  }
  for (const StaticBytes& fixed : description.bytes) {
    memory.Write(fixed.at.block, fixed.at.offset, fixed.bytes);
  }
  Animate(description.values, memory, 0);
}

}  // namespace plcsim
