#include "As511Personality.h"

#include "ByteOrder.h"

namespace plcsim {
namespace {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kDc2 = 0x12;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kSyn = 0x16;

constexpr uint8_t kReadMemory = 0x04;
constexpr uint8_t kSystemParameters = 0x18;
constexpr uint8_t kBlockInfo = 0x1A;
constexpr uint8_t kDataBlockType = 0x01;

constexpr std::chrono::milliseconds kGiveUp(500);
constexpr size_t kLongestHeader = 16;
constexpr size_t kReadLeadingBytes = 5;

// Sends `data` as a block: every DLE doubled, closed by DLE ETX.
void AppendBlock(Bytes& out, const Bytes& data) {
  for (const uint8_t byte : data) {
    out.push_back(byte);
    if (byte == kDle) {
      out.push_back(kDle);
    }
  }
  out.insert(out.end(), {kDle, kEtx});
}

}  // namespace

Bytes As511Personality::OnBytes(const uint8_t* data, size_t size) {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastByte_ >= kGiveUp) {
    state_ = State::kIdle;
  }
  lastByte_ = now;
  Bytes out;
  for (size_t i = 0; i < size; ++i) {
    OnByte(data[i], out);
  }
  return out;
}

void As511Personality::OnByte(uint8_t byte, Bytes& out) {
  switch (state_) {
    case State::kIdle:
      if (byte == kStx) {
        out.insert(out.end(), {kDle, kAck});
        state_ = State::kFunction;
      }
      break;
    case State::kFunction:
      function_ = byte;
      out.push_back(kStx);
      AwaitAck(Next::kOpening);
      break;
    case State::kAwaitAck:
      if (!afterDle_ && byte == kDle) {
        afterDle_ = true;
      } else if (afterDle_ && byte == kAck) {
        OnAck(out);
      } else {
        state_ = State::kIdle;  // anything else breaks the transaction
      }
      break;
    case State::kHeader:
      OnHeaderByte(byte, out);
      break;
  }
}

void As511Personality::AwaitAck(Next next) {
  state_ = State::kAwaitAck;
  next_ = next;
  afterDle_ = false;
}

void As511Personality::OnAck(Bytes& out) {
  switch (next_) {
    case Next::kOpening:
      AppendBlock(out, Bytes{kSyn});
      AwaitAck(Next::kHeader);
      break;
    case Next::kHeader:
      state_ = State::kHeader;
      header_.clear();
      afterDle_ = false;
      break;
    case Next::kAnswer:
      AppendBlock(out, answer_);
      AwaitAck(Next::kAfterAnswer);
      break;
    case Next::kAfterAnswer:
      out.push_back(kStx);
      AwaitAck(Next::kClosing);
      break;
    case Next::kClosing:
      AppendBlock(out, Bytes{kDc2});
      AwaitAck(Next::kDone);
      break;
    case Next::kDone:
      state_ = State::kIdle;
      break;
  }
}

void As511Personality::OnHeaderByte(uint8_t byte, Bytes& out) {
  if (!afterDle_ && byte == kDle) {
    afterDle_ = true;
    return;
  }
  const bool end = afterDle_ && byte == kEot;
  if ((afterDle_ && byte != kDle && !end) || header_.size() > kLongestHeader) {
    state_ = State::kIdle;
    return;
  }
  afterDle_ = false;
  if (!end) {
    header_.push_back(byte);
    return;
  }
  std::optional<Bytes> answer = Answer();
  if (!answer) {
    out.insert(out.end(), {kDle, kNak});
    state_ = State::kIdle;
    return;
  }
  out.insert(out.end(), {kDle, kAck, kStx});
  answer_ = std::move(*answer);
  AwaitAck(Next::kAnswer);
}

std::optional<Bytes> As511Personality::Answer() const {
  switch (function_) {
    case kSystemParameters:
      return header_.empty() ? std::optional<Bytes>(image_.SystemParameters()) : std::nullopt;
    case kBlockInfo:
      if (header_.size() != 2 || header_[0] != kDataBlockType) {
        return std::nullopt;
      }
      return image_.BlockInfo(header_[1]);
    case kReadMemory: {
      if (header_.size() != 4) {
        return std::nullopt;
      }
      const size_t start = BigEndian16(header_.data());
      const size_t end = BigEndian16(header_.data() + 2);
      if (end < start) {
        return std::nullopt;
      }
      Bytes answer(kReadLeadingBytes + end - start + 1, 0);
      image_.Read(start, end - start + 1, answer.data() + kReadLeadingBytes);
      return answer;
    }
    default:
      return std::nullopt;
  }
}

std::unique_ptr<LinePersonality> MakeAs511Personality(const PersonalitySettings& settings) {
  return std::make_unique<As511Personality>(*settings.memory);
}

}  // namespace plcsim
