#include "S5Image.h"

#include <algorithm>

#include "ByteOrder.h"

namespace plcsim {
namespace {

constexpr size_t kAddressSpace = 0x10000;
constexpr uint8_t kValidDataBlock = 0x41;
constexpr uint8_t kProgrammerId = 0x80;
constexpr size_t kLargestBlockNumber = 255;
constexpr size_t kHeaderWords = 5;
constexpr size_t kSystemParametersSize = 51;
constexpr uint8_t kSoftwareVersion = 0x01;

// The sizes of the areas in a 115U: 128 bytes of process image each way, 256 bytes of
// flags, 128 timers and 128 counters.
constexpr size_t kImageSize = 128;
constexpr size_t kFlagsSize = 256;
constexpr size_t kTimersSize = 256;
constexpr size_t kCountersSize = 256;

std::vector<uint8_t> BlockHeader(uint8_t number, size_t words) {
  std::vector<uint8_t> header{0x70, 0x70, kValidDataBlock, number, kProgrammerId, 0, 0, 0};
  Append16(header, words);
  return header;
}

}  // namespace

S5Image::S5Image(const PlcMemory& memory) : memory_(memory) {
  PlaceDataBlocks();
  PlaceArea(Area::kCounters, kCounters, kCountersSize);
  PlaceArea(Area::kTimers, kTimers, kTimersSize);
  PlaceArea(Area::kFlags, kFlags, kFlagsSize);
  PlaceArea(Area::kInputs, kInputs, kImageSize);
  PlaceArea(Area::kOutputs, kOutputs, kImageSize);
}

void S5Image::PlaceDataBlocks() {
  size_t address = kFirstBlock;
  for (const auto& [id, size] : memory_.Blocks()) {
    if (id.area != Area::kDataBlocks || id.number > kLargestBlockNumber) {
      continue;
    }
    const size_t words = kHeaderWords + (size + 1) / 2;
    if (address + 2 * words > kSystemData) {
      break;
    }
    const auto number = static_cast<uint8_t>(id.number);
    DataBlock block{number, static_cast<uint16_t>(address + kHeaderSize),
                    BlockHeader(number, words)};
    pieces_.push_back(Piece{address, kHeaderSize, block.header, id});
    pieces_.push_back(Piece{block.address, size, {}, id});
    dataBlocks_.push_back(std::move(block));
    address += 2 * words;
  }
}

void S5Image::PlaceArea(Area area, uint16_t address, size_t largest) {
  for (const auto& [id, size] : memory_.Blocks()) {
    if (id.area == area) {
      pieces_.push_back(Piece{address, std::min(size, largest), {}, id});
    }
  }
}

bool S5Image::Read(size_t start, size_t count, uint8_t* out) const {
  if (start > kAddressSpace || count > kAddressSpace - start) {
    return false;
  }
  std::fill_n(out, count, 0);
  const size_t end = start + count;
  for (const Piece& piece : pieces_) {
    const size_t from = std::max(start, piece.address);
    const size_t to = std::min(end, piece.address + piece.size);
    if (from >= to) {
      continue;
    }
    const size_t offset = from - piece.address;
    if (piece.fixed.empty()) {
      memory_.Read(piece.source, offset, to - from, out + (from - start));
    } else {
      std::copy(piece.fixed.begin() + static_cast<ptrdiff_t>(offset),
                piece.fixed.begin() + static_cast<ptrdiff_t>(offset + to - from),
                out + (from - start));
    }
  }
  return true;
}

std::vector<uint8_t> S5Image::SystemParameters() const {
  std::vector<uint8_t> answer{0};
  for (const uint16_t address :
       {kModules, kModules, kInputs, kOutputs, kFlags, kTimers, kCounters, kSystemData}) {
    Append16(answer, address);
  }
  answer.push_back(kSoftwareVersion);
  answer.resize(kSystemParametersSize, 0);
  return answer;
}

std::optional<std::vector<uint8_t>> S5Image::BlockInfo(uint8_t number) const {
  for (const DataBlock& block : dataBlocks_) {
    if (block.number == number) {
      std::vector<uint8_t> answer{0};
      Append16(answer, block.address);
      answer.insert(answer.end(), block.header.begin(), block.header.end());
      return answer;
    }
  }
  return std::nullopt;
}

}  // namespace plcsim
