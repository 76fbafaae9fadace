#include "PlcMemory.h"

#include <algorithm>
#include <mutex>
#include <string>

namespace plcsim {

BlockId PlcMemory::Normalized(BlockId block) {
  if (block.area == Area::kInstanceDataBlocks) {
    block.area = Area::kDataBlocks;
  }
  if (block.area != Area::kDataBlocks) {
    block.number = 0;
  }
  return block;
}

void PlcMemory::AddBlock(BlockId block, size_t size, uint8_t fill) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  blocks_[Normalized(block)].assign(size, fill);
}

void PlcMemory::Write(BlockId block, size_t offset, const std::vector<uint8_t>& bytes) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  const auto found = blocks_.find(Normalized(block));
  if (found == blocks_.end()) {
    throw MemoryError("write to a missing block");
  }
  std::vector<uint8_t>& memory = found->second;
  if (offset > memory.size() || bytes.size() > memory.size() - offset) {
    throw MemoryError("write beyond the end of a block of " + std::to_string(memory.size()) +
                      " bytes");
  }
  std::copy(bytes.begin(), bytes.end(), memory.begin() + static_cast<ptrdiff_t>(offset));
}

ItemResult PlcMemory::Read(BlockId block, size_t offset, size_t length, uint8_t* out) const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  const auto found = blocks_.find(Normalized(block));
  if (found == blocks_.end()) {
    return ItemResult::kObjectMissing;
  }
  const std::vector<uint8_t>& memory = found->second;
  if (offset > memory.size() || length > memory.size() - offset) {
    return ItemResult::kAddressOutOfRange;
  }
  std::copy_n(memory.begin() + static_cast<ptrdiff_t>(offset), length, out);
  return ItemResult::kSuccess;
}

std::vector<std::pair<BlockId, size_t>> PlcMemory::Blocks() const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  std::vector<std::pair<BlockId, size_t>> blocks;
  for (const auto& [id, memory] : blocks_) {
    blocks.emplace_back(id, memory.size());
  }
  return blocks;
}

}  // namespace plcsim
