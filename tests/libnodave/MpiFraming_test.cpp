// The framing of the MPI adapter links byte for byte: 3964R blocks (block check, DLE
// doubling) and the Step 7 link's frames (CRC-16/X-25), against blocks and frames as
// adapters and PCs send them.
#include "Frame3964.h"
#include "HdlcFrame.h"
#include "MpiTelegram.h"
#include "MpiTestSupport.h"

namespace {

using nodave::BlockReader;

// Whole blocks as they cross the line after the STX/DLE handshake.
const char* const kBlocks[] = {
    "01 0D 02 10 03 1D",
    "01 0D 20 56 30 30 2E 38 33 10 03 4C",
    "01 03 02 27 00 9F 01 3C 00 90 01 14 00 00 05 02 00 1F 02 01 01 03 80 10 03 8A",
    "01 03 20 56 30 30 2E 38 33 10 03 42",
    "04 82 80 0D 00 14 E0 04 00 80 00 02 00 02 01 00 01 00 10 03 68",
    "04 82 80 0C 14 12 D0 04 00 80 00 02 00 02 01 00 01 00 10 03 4B",
    "04 82 80 0C 12 14 05 01 10 03 1B",
    "04 82 80 0C 12 14 F1 00 32 01 00 00 FF FF 00 08 00 00 F0 00 00 01 00 01 03 C0 10 03 E6",
    "04 82 80 0C 14 12 B0 01 00 10 03 AE",
    "04 82 80 0C 14 12 F1 00 32 03 00 00 FF FF 00 08 00 00 00 00 F0 00 00 01 00 01 00 F0 10 03 "
    "D7",
    "04 82 80 0C 12 14 F1 01 32 01 00 00 00 00 00 0E 00 00 04 01 12 0A 10 10 02 00 04 00 01 84 "
    "00 00 00 10 03 4C",
    "04 82 80 0C 14 12 F1 01 32 03 00 00 00 00 00 02 00 08 00 00 04 01 FF 04 00 20 11 22 10 10 "
    "44 10 03 7D",
    "04 82 80 0C 12 14 80 10 03 9F",
    "04 82 80 0C 14 12 C0 10 03 DF",
    "01 04 02 10 03 14",
    "01 04 20 10 03 36",
    "01 03 02 17 00 9F 01 3C 00 90 01 14 00 00 05 02 00 0F 05 01 01 03 80 10 03 AD",
    "00 0D 00 03 E0 04 00 80 00 02 01 06 01 00 00 01 02 02 01 00 10 03 7D",
    "00 0C 03 03 D0 04 00 80 01 06 00 02 00 01 02 02 01 00 01 00 10 03 4F",
    "00 0C 03 03 05 01 10 03 1B",
    "00 0C 03 03 F1 01 32 01 00 00 00 00 00 0E 00 00 04 01 12 0A 10 10 02 00 04 00 01 84 00 00 "
    "00 10 03 4C",
    "00 0C 03 03 F1 01 32 03 00 00 00 00 00 02 00 08 00 00 04 01 FF 04 00 20 11 22 33 44 10 03 "
    "4E",
};

// Reads a whole block; the last step and the payload.
BlockReader::Step ReadBlock(const Bytes& wire, Bytes& payload) {
  BlockReader reader;
  BlockReader::Step step = BlockReader::Step::kMore;
  for (size_t i = 0; i < wire.size() && step == BlockReader::Step::kMore; ++i) {
    step = reader.Take(wire[i]);
  }
  payload = reader.Payload();
  return step;
}

TEST(Mpi3964Blocks, ReadAndFramedAsOnTheLine) {
  for (const char* text : kBlocks) {
    const Bytes wire = Hex(text);
    Bytes payload;
    ASSERT_EQ(ReadBlock(wire, payload), BlockReader::Step::kComplete) << text;
    EXPECT_EQ(nodave::FrameBlock(payload), wire) << text;
    EXPECT_EQ(nodave::BlockCheck(payload), wire.back()) << text;
  }
}

TEST(Mpi3964Blocks, DoubledDleIsOneDataByte) {
  Bytes payload;
  ReadBlock(Hex(kBlocks[11]), payload);
  const Bytes data(payload.end() - 4, payload.end());
  EXPECT_EQ(data, Hex("11 22 10 44"));
}

TEST(Mpi3964Blocks, DamagedBlocksAreRecognised) {
  struct Case {
    const char* what;
    const char* wire;
    BlockReader::Step expected;
  };
  const Case cases[] = {
      {"wrong check", "01 0D 02 10 03 1C", BlockReader::Step::kBadCheck},
      {"a data byte changed", "01 0D 03 10 03 1D", BlockReader::Step::kBadCheck},
      {"a lone DLE", "01 10 0D 02 10 03 1D", BlockReader::Step::kMalformed},
      {"repeated STX before the block", "02 02 01 0D 02 10 03 1D", BlockReader::Step::kComplete},
  };
  for (const Case& c : cases) {
    Bytes payload;
    EXPECT_EQ(ReadBlock(Hex(c.wire), payload), c.expected) << c.what;
  }
  const Bytes tooLong = nodave::FrameBlock(Bytes(300, 0x20));
  Bytes payload;
  EXPECT_EQ(ReadBlock(tooLong, payload), BlockReader::Step::kTooLong);
  EXPECT_LE(payload.size(), nodave::kMaxMpiTelegram);
}

// Frames of the Step 7 link as adapters and PCs send them.
const char* const kFrames[] = {
    "7E FC 9B CD 7E",
    "7E CE 0A DF 7E",
    "7E CA 2E 99 7E",
    "7E 89 B1 E9 7E",
    "7E 8C 1C BE 7E",
    "7E 00 03 FC 01 0D 02 EA C3 7E",
    "7E 00 17 E8 01 03 02 17 00 9F 01 3C 00 90 01 14 00 00 05 02 00 1F 05 01 01 03 80 34 78 7E",
    "7E 01 09 F6 01 03 20 56 30 30 2E 38 33 44 65 7E",
    "7E 11 03 FC 01 08 02 C9 FB 7E",
    "7E 22 12 ED 04 82 00 0D 00 14 E0 04 00 80 00 02 00 02 01 00 01 00 CC FD 7E",
    "7E 23 12 ED 04 82 80 0C 14 12 D0 04 00 80 00 02 00 02 01 00 01 00 77 A0 7E",
    "7E 33 08 F7 04 82 80 0C 12 14 05 01 82 6E 7E",
    "7E 34 08 F7 04 82 80 0C 14 12 05 01 27 53 7E",
    "7E 44 1A E5 04 82 80 0C 12 14 F1 00 32 01 00 00 FF FF 00 08 00 00 F0 00 00 01 00 01 03 C0 "
    "49 51 7E",
    "7E 45 09 F6 04 82 80 0C 14 12 B0 01 00 82 83 7E",
    "7E 55 1C E3 04 82 80 0C 14 12 F1 00 32 03 00 00 FF FF 00 08 00 00 00 00 F0 00 00 01 00 01 "
    "00 F0 8C ED 7E",
    "7E 56 09 F6 04 82 80 0C 12 14 B0 01 00 B6 61 7E",
};

TEST(MpiStep7Frames, ParsedAndBuiltAsOnTheLine) {
  for (const char* text : kFrames) {
    const Bytes wire = Hex(text);
    size_t rest = 0;
    const nodave::HeadKind kind = nodave::ClassifyHead(wire.data(), rest);
    ASSERT_NE(kind, nodave::HeadKind::kInvalid) << text;
    EXPECT_EQ(nodave::kHdlcHead + rest, wire.size()) << text;
    nodave::HdlcFrame frame;
    ASSERT_TRUE(nodave::ParseFrame(wire, frame)) << text;
    const Bytes rebuilt = frame.data ? nodave::DataFrame(frame.control, frame.payload)
                                     : nodave::ControlFrame(frame.control);
    EXPECT_EQ(rebuilt, wire) << text;
    for (size_t i = 1; i + 1 < wire.size(); ++i) {  // any changed byte is caught
      Bytes damaged = wire;
      damaged[i] ^= 0x01;
      EXPECT_FALSE(nodave::ParseFrame(damaged, frame)) << text << " byte " << i;
    }
  }
}

TEST(MpiStep7Frames, CrcIsX25) {
  const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(nodave::Crc16X25(check.data(), check.size()), 0x906E);
}

TEST(MpiTelegrams, AdapterAnswersMapToResults) {
  struct Case {
    const char* answer;
    int32_t result;
  };
  const Case cases[] = {
      {"01 03 20 56 30 30 2E 38 33", daveResOK},               // V00.83
      {"01 03 20 45 3D 30 33 31 41", daveResNoPlcAtAddress},   // E=031A
      {"01 03 20 45 3D 30 33 31 33", daveResBusSpeedRefused},  // E=0313
      {"01 03 20 45 3D 30 33 31 35", daveResAdapterRefused},   // E=0315
      {"01 03 20 45 3D 30 33 33 30", daveResAdapterVariant},   // E=0330
      {"01 03 20 45 3D 30 33 46 46", daveResAdapterRefused},   // another adapter error
      {"01 03 20 45 3D 30", daveResAdapterVariant},            // cut short
      {"01 03 20", daveResAdapterVariant},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nodave::AdapterAnswerResult(Hex(c.answer)), c.result) << c.answer;
  }
  for (const int32_t result :
       {daveResNoPlcAtAddress, daveResBusSpeedRefused, daveResAdapterVariant}) {
    EXPECT_NE(std::string(daveStrerror(result)).find("check"), std::string::npos) << result;
  }
}

TEST(MpiTelegrams, MessageNumbersSkipZeroAfterTheFirstRound) {
  EXPECT_EQ(nodave::NextMessageNumber(0), 1);
  EXPECT_EQ(nodave::NextMessageNumber(254), 255);
  EXPECT_EQ(nodave::NextMessageNumber(255), 1);
}

}  // namespace
