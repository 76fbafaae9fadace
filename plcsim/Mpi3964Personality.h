#pragma once

#include <deque>

#include "LinePersonality.h"
#include "MpiAdapter.h"

namespace plcsim {

// The serial PC Adapter's 3964R line (MPI protocol codes 0, 1 and 3). The adapter
// has priority: when both sides ask for the line at once it asks again and waits for
// the PC's grant. It tolerates a PC that repeats its STX before sending the block,
// and one that grants the line before the adapter asked for it.
class Mpi3964Personality : public LinePersonality {
 public:
  Mpi3964Personality(const PersonalitySettings& settings, bool shortHeader)
      : adapter_(settings, shortHeader) {}

  Bytes OnBytes(const uint8_t* data, size_t size) override;

 private:
  enum class State { kIdle, kReceiving, kAwaitGrant, kAwaitAck };

  void OnByte(uint8_t byte, Bytes& out);
  void Receive(uint8_t byte, Bytes& out);
  void BlockEnded(uint8_t check, Bytes& out);
  void StartSending(Bytes& out);
  // The PC refused our block or did not take it: try again, a few times.
  void SendAgain(Bytes& out);
  void NextBlock(Bytes& out);

  MpiAdapter adapter_;
  State state_ = State::kIdle;
  Bytes block_;
  bool afterDle_ = false;
  bool awaitCheck_ = false;
  bool tooLong_ = false;
  uint8_t check_ = 0;
  std::deque<Bytes> outgoing_;
  int tries_ = 0;
};

}  // namespace plcsim
