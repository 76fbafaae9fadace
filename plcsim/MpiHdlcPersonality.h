#pragma once

#include "LinePersonality.h"
#include "MpiAdapter.h"

namespace plcsim {

// An MPI adapter on the Step 7 link (MPI protocol code 2): frames 7E ctl [LEN ~LEN
// payload] CRC 7E. FC opens a session (CE), CA closes it (CE). Each data frame of the
// PC is acknowledged with a receive-ready frame and answered with data frames numbered
// HDLC-style (own send number, the PC's number + 1); the PC's numbering is accepted
// as it comes, and a frame with the number of the one before is a repeat, answered
// with the answer sent before. Damaged frames are dropped.
class MpiHdlcPersonality : public LinePersonality {
 public:
  explicit MpiHdlcPersonality(const PersonalitySettings& settings) : adapter_(settings, false) {}

  Bytes OnBytes(const uint8_t* data, size_t size) override;

 private:
  // Takes one frame (or skips a byte that starts none) from the front of what has
  // come; false when more bytes are needed.
  bool TakeFrame(Bytes& out);
  void OnControl(uint8_t control, Bytes& out);
  void OnData(uint8_t control, const Bytes& payload, Bytes& out);

  MpiAdapter adapter_;
  Bytes received_;
  bool session_ = false;
  uint8_t sendNumber_ = 0;
  int lastPcNumber_ = -1;
  Bytes lastAnswer_;
};

}  // namespace plcsim
