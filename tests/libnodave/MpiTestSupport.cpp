#include "MpiTestSupport.h"

#include <algorithm>
#include <sstream>
#include <thread>

#include "Description.h"
#include "Frame3964.h"
#include "HdlcFrame.h"
#include "MemoryLoader.h"

const MpiCode kMpiCodes[4] = {{daveProtoMPI, "mpi", false},
                              {daveProtoMPI2, "mpi2", false},
                              {daveProtoMPI3, "mpi3", true},
                              {daveProtoMPI4, "mpi4", false}};

std::string CodeName(const testing::TestParamInfo<MpiCode>& info) { return info.param.personality; }

Bytes Hex(const std::string& text) {
  std::istringstream in(text);
  Bytes bytes;
  std::string token;
  while (in >> token) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
  }
  return bytes;
}

Bytes Join(const std::vector<Bytes>& pieces) {
  Bytes all;
  for (const Bytes& piece : pieces) {
    all.insert(all.end(), piece.begin(), piece.end());
  }
  return all;
}

const plcsim::PlcMemory& DemoMemory() {
  static const plcsim::PlcMemory* memory = [] {
    auto* loaded = new plcsim::PlcMemory();
    plcsim::LoadMemory(plcsim::ParseDescription(plcsim::kDefaultDescription), *loaded);
    return loaded;
  }();
  return *memory;
}

namespace {

// A 3964R block as the simulator sends it alone: doubled payload, DLE ETX, check.
void EditBlock(Bytes& chunk, const TelegramEdit& edit) {
  if (chunk.size() < 4 || chunk[chunk.size() - 3] != nodave::kDle ||
      chunk[chunk.size() - 2] != nodave::kEtx || chunk[0] == nodave::kStx ||
      chunk[0] == nodave::kDle) {
    return;
  }
  nodave::BlockReader reader;
  for (const uint8_t byte : chunk) {
    if (reader.Take(byte) != nodave::BlockReader::Step::kMore) {
      break;
    }
  }
  Bytes telegram = reader.Payload();
  edit(telegram);
  chunk = nodave::FrameBlock(telegram);
}

void EditFrames(Bytes& chunk, const TelegramEdit& edit) {
  Bytes rebuilt;
  size_t at = 0;
  while (at + nodave::kHdlcHead <= chunk.size()) {
    size_t rest = 0;
    const nodave::HeadKind kind = nodave::ClassifyHead(chunk.data() + at, rest);
    const size_t size = kind == nodave::HeadKind::kInvalid ? 1 : nodave::kHdlcHead + rest;
    const Bytes frame(chunk.begin() + at, chunk.begin() + std::min(chunk.size(), at + size));
    nodave::HdlcFrame parsed;
    if (kind == nodave::HeadKind::kData && nodave::ParseFrame(frame, parsed)) {
      edit(parsed.payload);
      const Bytes edited = nodave::DataFrame(parsed.control, parsed.payload);
      rebuilt.insert(rebuilt.end(), edited.begin(), edited.end());
    } else {
      rebuilt.insert(rebuilt.end(), frame.begin(), frame.end());
    }
    at += frame.size();
  }
  rebuilt.insert(rebuilt.end(), chunk.begin() + std::min(at, chunk.size()), chunk.end());
  chunk = rebuilt;
}

}  // namespace

void EditTelegrams(bool step7, Bytes& chunk, const TelegramEdit& edit) {
  if (step7) {
    EditFrames(chunk, edit);
  } else {
    EditBlock(chunk, edit);
  }
}

void TimedWire::Attach(daveInterface* di) {
  di->readFn = &TimedWire::Read;
  di->writeFn = &TimedWire::Write;
  di->userData = this;
}

int32_t DAVE_CALL TimedWire::Read(daveInterface* di, char* buffer, int32_t length) {
  auto& wire = *static_cast<TimedWire*>(di->userData);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::microseconds(di->timeout);
  if (length <= 0 || wire.pending_.size() < static_cast<size_t>(length) ||
      wire.pending_[length - 1].first > giveUp) {
    std::this_thread::sleep_until(giveUp);  // the line stays silent for the whole time-out
    return 0;
  }
  std::this_thread::sleep_until(wire.pending_[length - 1].first);
  for (int32_t i = 0; i < length; ++i) {
    buffer[i] = static_cast<char>(wire.pending_[i].second);
  }
  wire.pending_.erase(wire.pending_.begin(), wire.pending_.begin() + length);
  return length;
}

int32_t DAVE_CALL TimedWire::Write(daveInterface* di, const char* buffer, int32_t length) {
  auto& wire = *static_cast<TimedWire*>(di->userData);
  const Bytes answer =
      wire.farEnd_.OnBytes(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(length));
  auto at = std::max(std::chrono::steady_clock::now(), wire.pending_.empty()
                                                           ? std::chrono::steady_clock::time_point{}
                                                           : wire.pending_.back().first);
  for (const uint8_t byte : answer) {
    at += wire.gap_;
    wire.pending_.emplace_back(at, byte);
  }
  return length;
}

void MpiLine::Start(const MpiCode& code) {
  Release();
  code_ = code;
  const plcsim::PersonalityKind* kind = plcsim::FindPersonality(code.personality);
  ASSERT_NE(kind, nullptr);
  adapter_ = kind->make(plcsim::PersonalitySettings{&DemoMemory(), 2});
  wire_ = std::make_unique<LineWire>(*adapter_);
  NewInterface();
}

void MpiLine::NewInterface(int32_t localAddress) {
  Release();
  di_ =
      daveNewInterface(daveOSserialType{0, 0}, "MPI", localAddress, code_.protocol, daveSpeed187k);
  wire_->Attach(di_);
}

void MpiLine::Connect(int32_t address) {
  ASSERT_EQ(daveInitAdapter(di_), daveResOK);
  daveFree(dc_);
  dc_ = daveNewConnection(di_, address, 0, 2);
  ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  EXPECT_EQ(dc_->maxPDUlength, 240);
}

void MpiLine::ExpectRead(int32_t area, int32_t db, int32_t start, int32_t length) {
  constexpr uint8_t kGuard = 0xEE;
  Bytes buffer(static_cast<size_t>(length) + 8, kGuard);
  ASSERT_EQ(daveReadBytes(dc_, area, db, start, length, buffer.data()), daveResOK)
      << "area " << area << " db " << db << " start " << start << " length " << length;
  const bool numbered = area == daveCounter || area == daveTimer;
  const auto blockArea = static_cast<plcsim::Area>(area);  // the same codes
  Bytes expected(static_cast<size_t>(length));
  DemoMemory().Read(plcsim::BlockId{blockArea, static_cast<uint16_t>(area == daveDB ? db : 0)},
                    static_cast<size_t>(numbered ? start * 2 : start), expected.size(),
                    expected.data());
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + length), expected)
      << "area " << area << " db " << db << " start " << start;
  EXPECT_TRUE(std::all_of(buffer.begin() + length, buffer.end(),
                          [](uint8_t byte) { return byte == kGuard; }));
}

void MpiLine::Release() {
  daveFree(dc_);
  daveFree(di_);
  dc_ = nullptr;
  di_ = nullptr;
}

void MpiLine::TearDown() { Release(); }
