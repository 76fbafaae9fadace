#pragma once

#include "Bytes.h"
#include "Socket.h"
#include "nodave.h"

namespace nodave {

// The byte line of the serial protocols. Every byte goes through the interface
// record's read and write functions: the library's own below, which talk to a port
// that setPort opened, or the caller's (the plug-in carries the bytes over its host).

// Sends the bytes; daveResOK, or daveResWriteFailed when the write function refused.
int32_t LineWrite(daveInterface* di, const Bytes& bytes);

// Reads exactly `length` bytes; daveResTimeout when the read function gave up (it
// waits up to the interface's time-out), or when the deadline had passed before it
// was asked.
int32_t LineRead(daveInterface* di, uint8_t* data, size_t length, Clock::time_point deadline);
int32_t LineReadByte(daveInterface* di, uint8_t& byte, Clock::time_point deadline);

// What a wait that ended in `result` reports: a silence after garbled bytes (when
// `garbled`) is daveResLineErrors, which says more.
inline int32_t AfterGarble(int32_t result, bool garbled) {
  return garbled && result == daveResTimeout ? daveResLineErrors : result;
}

// The tries of one step on a serial line: a request sent again while its answer is
// missing, or a wait for the peer's block that may be waited once more. The serial
// protocols time every wait on its own, so each try has its own deadline, one
// interface time-out from its start: a try met by silence is followed by the next
// one, not by the end of the call. A step ends after `most` failed tries; each lasts
// its time-out at most, plus the read it had started last (the read function ends
// that one within another time-out).
class Tries {
 public:
  Tries(const daveInterface* di, int most) : di_(di), left_(most) {}

  // False once `most` tries have failed; otherwise `deadline` is the next try's.
  bool Next(Clock::time_point& deadline) const;
  bool Left() const { return left_ > 0; }
  // Counts a failed try. A damaged or refused answer stays the step's failure over a
  // silence after it: it says more about the line.
  void Failed(int32_t result);
  // daveResTimeout when every try met silence.
  int32_t Failure() const { return failure_; }

 private:
  const daveInterface* di_;
  int left_;
  int32_t failure_ = daveResTimeout;
};

// Runs `attempt(deadline)` in up to `most` tries until it succeeds; a write that failed
// ends it at once, any other failure is tried again. daveResOK, or Tries' failure.
template <typename Attempt>
int32_t Retry(const daveInterface* di, int most, Attempt attempt) {
  Tries tries(di, most);
  Clock::time_point deadline;
  while (tries.Next(deadline)) {
    const int32_t result = attempt(deadline);
    if (result == daveResOK || result == daveResWriteFailed) {
      return result;
    }
    tries.Failed(result);
  }
  return tries.Failure();
}

// The read and write functions daveNewInterface installs. They serve only handles
// that setPort opened (and not yet closed); for any other handle they fail.
int32_t DAVE_CALL PortRead(daveInterface* di, char* buffer, int32_t length);
int32_t DAVE_CALL PortWrite(daveInterface* di, const char* buffer, int32_t length);

}  // namespace nodave
