#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "PlcMemory.h"

namespace plcsim {

// An S5 PLC's 64 KiB address space over the simulator's memory, as an S5-115U lays it
// out: data blocks one after another from kFirstBlock, each behind its 5-word block
// header, and the areas at the addresses the system parameters report. Reads go
// through to the live memory; addresses where nothing lies read as zero.
class S5Image {
 public:
  static constexpr uint16_t kFirstBlock = 0x1000;
  static constexpr uint16_t kSystemData = 0xEA00;
  static constexpr uint16_t kCounters = 0xEC00;
  static constexpr uint16_t kTimers = 0xED00;
  static constexpr uint16_t kFlags = 0xEE00;
  static constexpr uint16_t kInputs = 0xEF00;
  static constexpr uint16_t kOutputs = 0xEF80;
  static constexpr uint16_t kModules = 0xF000;
  static constexpr size_t kHeaderSize = 10;

  // The layout follows the blocks `memory` holds now; data blocks that do not fit
  // below the system data are left out.
  explicit S5Image(const PlcMemory& memory);

  // Copies `count` bytes from `start`; false past the end of the address space.
  bool Read(size_t start, size_t count, uint8_t* out) const;
  // The answer to SYS_PAR (without the DLE doubling).
  std::vector<uint8_t> SystemParameters() const;
  // The answer to B_INFO for a data block, or nothing when the block does not exist.
  std::optional<std::vector<uint8_t>> BlockInfo(uint8_t number) const;

 private:
  // A piece of the address space: a block's header bytes, or live memory.
  struct Piece {
    size_t address = 0;
    size_t size = 0;
    std::vector<uint8_t> fixed;  // the header, or empty for live memory
    BlockId source;
  };
  struct DataBlock {
    uint8_t number = 0;
    uint16_t address = 0;  // of data word 0
    std::vector<uint8_t> header;
  };

  void PlaceDataBlocks();
  void PlaceArea(Area area, uint16_t address, size_t largest);

  const PlcMemory& memory_;
  std::vector<Piece> pieces_;
  std::vector<DataBlock> dataBlocks_;
};

}  // namespace plcsim
