// The library's PPI receive path fed with the fuzzer's bytes as everything that comes
// back on the line: a connect and reads through the C API. Writes succeed until a read
// has found the line empty, so that every resend and poll loop ends with the input.
// Nothing is asserted: the sanitizers find overruns, and a loop that reads nothing
// and does not end shows as a hang.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "nodave.h"

namespace {

struct Line {
  const uint8_t* data;
  size_t size;
  size_t at;
  bool empty;
};

int32_t DAVE_CALL Read(daveInterface* di, char* buffer, int32_t length) {
  auto& line = *static_cast<Line*>(di->userData);
  if (length <= 0 || line.size - line.at < static_cast<size_t>(length)) {
    line.empty = true;
    return 0;
  }
  std::memcpy(buffer, line.data + line.at, static_cast<size_t>(length));
  line.at += static_cast<size_t>(length);
  return length;
}

int32_t DAVE_CALL Write(daveInterface* di, const char* /*buffer*/, int32_t length) {
  return static_cast<Line*>(di->userData)->empty ? 0 : length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr int32_t kTimeoutUs = 20000000;  // far beyond the fuzzer's hang limit
  constexpr int32_t kLengths[] = {4, 18, 222};
  Line line{data, size, 0, false};
  daveInterface* di =
      daveNewInterface(daveOSserialType{1, 1}, "FUZZ", 0, daveProtoPPI, daveSpeed187k);
  di->timeout = kTimeoutUs;
  di->readFn = Read;
  di->writeFn = Write;
  di->userData = &line;
  daveConnection* dc = daveNewConnection(di, 2, 0, 2);
  daveConnectPLC(dc);
  dc->connected = 1;  // on to the reads whatever the connect made of the bytes
  dc->maxPDUlength = 240;
  uint8_t buffer[222];
  for (int read = 0; !line.empty; ++read) {
    daveReadBytes(dc, read % 2 == 0 ? daveDB : daveV, 1, 0, kLengths[read % 3], buffer);
  }
  daveFree(dc);
  daveFree(di);
  return 0;
}
