#include "Gunzip.h"

#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr int kMaxBits = 15;

class TBitReader {
 public:
  TBitReader(const std::string& data, size_t position) : FData(data), FPosition(position) {}

  uint32_t Bits(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<uint32_t>(Bit()) << i;
    return value;
  }
  int Bit() {
    if (FBitCount == 0) {
      FCurrent = Byte();
      FBitCount = 8;
    }
    const int bit = FCurrent & 1;
    FCurrent >>= 1;
    --FBitCount;
    return bit;
  }
  uint8_t Byte() {
    if (FPosition >= FData.size()) throw EGunzip("stream ends early");
    return static_cast<uint8_t>(FData[FPosition++]);
  }
  void AlignToByte() { FBitCount = 0; }
  size_t Position() const { return FPosition; }

 private:
  const std::string& FData;
  size_t FPosition;
  uint8_t FCurrent = 0;
  int FBitCount = 0;
};

// A canonical Huffman code given by its code lengths.
class THuffman {
 public:
  explicit THuffman(const std::vector<uint8_t>& lengths) {
    for (uint8_t length : lengths) ++FCounts[length];
    FCounts[0] = 0;
    std::array<uint16_t, kMaxBits + 2> offsets{};
    for (int length = 1; length <= kMaxBits; ++length) {
      offsets[length + 1] = static_cast<uint16_t>(offsets[length] + FCounts[length]);
    }
    FSymbols.resize(lengths.size());
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
      if (lengths[symbol] != 0)
        FSymbols[offsets[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
    }
  }

  int Decode(TBitReader& reader) const {
    int code = 0;
    int first = 0;
    int index = 0;
    for (int length = 1; length <= kMaxBits; ++length) {
      code |= reader.Bit();
      const int count = FCounts[length];
      if (code - first < count) return FSymbols[static_cast<size_t>(index + code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    throw EGunzip("bad Huffman code");
  }

 private:
  std::array<uint16_t, kMaxBits + 1> FCounts{};
  std::vector<uint16_t> FSymbols;
};

constexpr uint16_t kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void InflateBlock(TBitReader& reader, const THuffman& literals, const THuffman& distances,
                  std::string& out) {
  for (;;) {
    const int symbol = literals.Decode(reader);
    if (symbol < 256) {
      out.push_back(static_cast<char>(symbol));
      continue;
    }
    if (symbol == 256) return;
    const size_t lengthCode = static_cast<size_t>(symbol - 257);
    if (lengthCode >= 29) throw EGunzip("bad length code");
    const size_t length = kLengthBase[lengthCode] + reader.Bits(kLengthExtra[lengthCode]);
    const auto distanceCode = static_cast<size_t>(distances.Decode(reader));
    if (distanceCode >= 30) throw EGunzip("bad distance code");
    const size_t distance = kDistanceBase[distanceCode] + reader.Bits(kDistanceExtra[distanceCode]);
    if (distance > out.size()) throw EGunzip("distance before the start");
    for (size_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
  }
}

void FixedBlock(TBitReader& reader, std::string& out) {
  std::vector<uint8_t> lengths(288, 8);
  std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
  std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
  InflateBlock(reader, THuffman(lengths), THuffman(std::vector<uint8_t>(30, 5)), out);
}

void DynamicBlock(TBitReader& reader, std::string& out) {
  static constexpr uint8_t kOrder[] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                       11, 4,  12, 3, 13, 2, 14, 1, 15};
  const size_t literalCount = reader.Bits(5) + 257;
  const size_t distanceCount = reader.Bits(5) + 1;
  const size_t codeCount = reader.Bits(4) + 4;
  std::vector<uint8_t> codeLengths(19, 0);
  for (size_t i = 0; i < codeCount; ++i)
    codeLengths[kOrder[i]] = static_cast<uint8_t>(reader.Bits(3));
  const THuffman lengthCode(codeLengths);
  std::vector<uint8_t> lengths;
  while (lengths.size() < literalCount + distanceCount) {
    const int symbol = lengthCode.Decode(reader);
    if (symbol < 16) {
      lengths.push_back(static_cast<uint8_t>(symbol));
      continue;
    }
    uint8_t repeated = 0;
    size_t times = 0;
    if (symbol == 16) {
      if (lengths.empty()) throw EGunzip("repeat without a length");
      repeated = lengths.back();
      times = 3 + reader.Bits(2);
    } else {
      times = symbol == 17 ? 3 + reader.Bits(3) : 11 + reader.Bits(7);
    }
    lengths.insert(lengths.end(), times, repeated);
  }
  if (lengths.size() != literalCount + distanceCount) throw EGunzip("too many code lengths");
  const std::vector<uint8_t> literals(lengths.begin(),
                                      lengths.begin() + static_cast<long>(literalCount));
  const std::vector<uint8_t> distances(lengths.begin() + static_cast<long>(literalCount),
                                       lengths.end());
  InflateBlock(reader, THuffman(literals), THuffman(distances), out);
}

void StoredBlock(TBitReader& reader, std::string& out) {
  reader.AlignToByte();
  const uint32_t length = reader.Byte() | (reader.Byte() << 8);
  const uint32_t complement = reader.Byte() | (reader.Byte() << 8);
  if ((length ^ 0xFFFFu) != complement) throw EGunzip("bad stored block length");
  for (uint32_t i = 0; i < length; ++i) out.push_back(static_cast<char>(reader.Byte()));
}

uint32_t Crc32(const std::string& data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const char c : data) {
    crc ^= static_cast<uint8_t>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

uint32_t Le32(TBitReader& reader) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(reader.Byte()) << (8 * i);
  return value;
}

void SkipZeroEnded(TBitReader& reader) {
  while (reader.Byte() != 0) {
  }
}

}  // namespace

std::string Gunzip(const std::string& stream) {
  TBitReader reader(stream, 0);
  if (reader.Byte() != 0x1F || reader.Byte() != 0x8B || reader.Byte() != 8) {
    throw EGunzip("no gzip deflate stream");
  }
  const uint8_t flags = reader.Byte();
  for (int i = 0; i < 6; ++i) reader.Byte();  // time, extra flags, system
  if (flags & 0x04) {
    const uint32_t extra = reader.Byte() | (reader.Byte() << 8);
    for (uint32_t i = 0; i < extra; ++i) reader.Byte();
  }
  if (flags & 0x08) SkipZeroEnded(reader);
  if (flags & 0x10) SkipZeroEnded(reader);
  if (flags & 0x02) reader.Bits(16);
  std::string out;
  for (bool last = false; !last;) {
    last = reader.Bit() != 0;
    switch (reader.Bits(2)) {
      case 0:
        StoredBlock(reader, out);
        break;
      case 1:
        FixedBlock(reader, out);
        break;
      case 2:
        DynamicBlock(reader, out);
        break;
      default:
        throw EGunzip("bad block type");
    }
  }
  reader.AlignToByte();
  if (Le32(reader) != Crc32(out)) throw EGunzip("CRC-32 differs");
  if (Le32(reader) != static_cast<uint32_t>(out.size())) throw EGunzip("length differs");
  return out;
}
