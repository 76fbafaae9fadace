#pragma once

#include <string>

#include "ByteStream.h"
#include "SocketIo.h"

namespace plcsim {

// A pseudo-terminal whose far end a client opens as if it were a serial port. The
// simulator keeps that end open too, so the line outlives each client.
class PtyLine : public ByteStream {
 public:
  // Raises SocketError when no pseudo-terminal can be made.
  PtyLine();
  ~PtyLine() override;
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  // The path a client opens, /dev/pts/N.
  const std::string& Path() const { return path_; }
  // Waits for bytes; 0 once Stop was called.
  size_t ReadSome(uint8_t* buffer, size_t size) override;
  bool WriteAll(const uint8_t* buffer, size_t size) override;
  void Stop() { wake_.Raise(); }

 private:
  int master_ = -1;
  int terminal_ = -1;
  std::string path_;
  WakeSignal wake_;
};

}  // namespace plcsim
