// Feeds arbitrary bytes to the library as everything an S5 PLC answers on its
// programming port: a connect, then a read of a data block, flags or timers (by the
// input's length: a second transaction after a broken one would wait out the PLC's
// half-second pause). Whatever comes, the library must not crash or write beyond the
// caller's buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "nodave.h"

namespace {

struct Line {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t at = 0;
};

Line line;

// Delivers exactly the bytes asked for, or nothing at the end of the input, as a
// read function does at its time-out.
int32_t DAVE_CALL ReadLine(daveInterface* /*di*/, char* buffer, int32_t length) {
  const auto wanted = static_cast<size_t>(length);
  if (length <= 0 || line.size - line.at < wanted) {
    return 0;
  }
  std::memcpy(buffer, line.data + line.at, wanted);
  line.at += wanted;
  return length;
}

int32_t DAVE_CALL WriteLine(daveInterface* /*di*/, const char* /*buffer*/, int32_t length) {
  return length;
}

constexpr int32_t kTimeoutUs = 100000;  // shorter than the pause before a retry: none

// Exactly as long as asked: the sanitizer catches a write beyond.
void ReadOne(daveConnection* dc, size_t choice) {
  struct Read {
    int32_t area, db, start, length;
  };
  constexpr Read kReads[] = {{daveDB, 1, 4, 24}, {daveFlags, 0, 0, 240}, {daveTimer, 0, 1, 3}};
  const Read& read = kReads[choice % 3];
  std::vector<uint8_t> buffer(static_cast<size_t>(read.length));
  daveReadBytes(dc, read.area, read.db, read.start, read.length, buffer.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  line = Line{data, size, 0};
  daveInterface* di = daveNewInterface(daveOSserialType{1, 1}, "fuzz", 0, daveProtoAS511, 0);
  di->timeout = kTimeoutUs;
  di->readFn = ReadLine;
  di->writeFn = WriteLine;
  daveConnection* dc = daveNewConnection(di, 2, 0, 0);
  if (daveConnectPLC(dc) == daveResOK) {
    ReadOne(dc, size);
  }
  daveDisconnectPLC(dc);
  daveFree(dc);
  daveFree(di);
  return 0;
}
