#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <shared_mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "S7Codes.h"

namespace plcsim {

class MemoryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One block of memory: an area, and for data blocks the block number (0 otherwise).
struct BlockId {
  Area area = Area::kDataBlocks;
  uint16_t number = 0;

  bool operator<(const BlockId& other) const {
    return std::make_pair(area, number) < std::make_pair(other.area, other.number);
  }
};

// The simulated PLC's memory: areas and data blocks of fixed size. Clients read
// it while the animation writes it; each read or write is whole.
class PlcMemory {
 public:
  // Adds a block filled with `fill`, or replaces it.
  void AddBlock(BlockId block, size_t size, uint8_t fill);
  // Raises MemoryError when the block is missing or too short.
  void Write(BlockId block, size_t offset, const std::vector<uint8_t>& bytes);
  // Copies `length` bytes at `offset`; instance data blocks are the data blocks.
  ItemResult Read(BlockId block, size_t offset, size_t length, uint8_t* out) const;
  // Every block with its size, in order of area and number.
  std::vector<std::pair<BlockId, size_t>> Blocks() const;

 private:
  static BlockId Normalized(BlockId block);

  mutable std::shared_mutex mutex_;
  std::map<BlockId, std::vector<uint8_t>> blocks_;
};

}  // namespace plcsim
