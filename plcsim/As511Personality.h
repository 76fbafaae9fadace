#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "LinePersonality.h"
#include "S5Image.h"

namespace plcsim {

// An S5 PLC's programming port (AS511): SYS_PAR, B_INFO for data blocks and reads of
// its memory image; any other function, a missing block or a range outside the image
// is refused with DLE NAK. Like the PLC it gives up a transaction after a 500 ms gap.
class As511Personality : public LinePersonality {
 public:
  explicit As511Personality(const PlcMemory& memory) : image_(memory) {}
  Bytes OnBytes(const uint8_t* data, size_t size) override;

 private:
  enum class State { kIdle, kFunction, kAwaitAck, kHeader };
  // What follows the PG's next DLE ACK.
  enum class Next { kOpening, kHeader, kAnswer, kAfterAnswer, kClosing, kDone };

  void OnByte(uint8_t byte, Bytes& out);
  void OnAck(Bytes& out);
  void OnHeaderByte(uint8_t byte, Bytes& out);
  void AwaitAck(Next next);
  // The answer data of the function for the header, or nothing to refuse it.
  std::optional<Bytes> Answer() const;

  S5Image image_;
  State state_ = State::kIdle;
  Next next_ = Next::kOpening;
  bool afterDle_ = false;
  uint8_t function_ = 0;
  Bytes header_;
  Bytes answer_;
  std::chrono::steady_clock::time_point lastByte_{};
};

std::unique_ptr<LinePersonality> MakeAs511Personality(const PersonalitySettings& settings);

}  // namespace plcsim
