#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "LinePersonality.h"
#include "nodave.h"

// An in-process serial line between an interface of our library and a simulator
// personality: the interface's read and write functions go straight to the far end,
// so a whole protocol runs in the test's thread without sockets or waiting. A read
// that finds too few bytes returns 0 at once, as a read function does at its time-out
// (or after the time-out, as on a real line, with `silenceLasts`).
class LineWire {
 public:
  using Bytes = std::vector<uint8_t>;
  // Changes what crosses the line in one direction (drops, corrupts, adds bytes).
  using Fault = std::function<void(Bytes& bytes)>;

  explicit LineWire(plcsim::LinePersonality& farEnd) : farEnd_(farEnd) {}

  // Installs the wire's read and write functions in the interface.
  void Attach(daveInterface* di);

  Fault toPlc;    // applied to each write of the library
  Fault fromPlc;  // applied to each answer of the far end
  // A read that finds too few bytes returns 0 after the interface's time-out.
  bool silenceLasts = false;
  // Each byte a read returns takes this long to arrive.
  std::chrono::microseconds byteGap{0};

  // Everything the library wrote, and the writes one by one.
  const std::vector<Bytes>& Writes() const { return writes_; }
  // Bytes the far end sent that the library has not read.
  size_t Unread() const { return pending_.size(); }

 private:
  static int32_t DAVE_CALL Read(daveInterface* di, char* buffer, int32_t length);
  static int32_t DAVE_CALL Write(daveInterface* di, const char* buffer, int32_t length);

  plcsim::LinePersonality& farEnd_;
  std::vector<Bytes> writes_;
  std::deque<uint8_t> pending_;
};
