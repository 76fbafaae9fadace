#pragma once

// Serves a fuzzer's bytes as what an MPI adapter sends, through the interface's read
// function, while the library runs a whole conversation: adapter set-up, connection,
// reads, disconnection. Reads past the end give up at once, as at a time-out.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "nodave.h"

namespace mpi_fuzz {

struct Feed {
  const uint8_t* data;
  size_t size;
};

inline int32_t DAVE_CALL Read(daveInterface* di, char* buffer, int32_t length) {
  auto& feed = *static_cast<Feed*>(di->userData);
  if (length <= 0 || static_cast<size_t>(length) > feed.size) {
    return 0;
  }
  std::memcpy(buffer, feed.data, static_cast<size_t>(length));
  feed.data += length;
  feed.size -= static_cast<size_t>(length);
  return length;
}

inline int32_t DAVE_CALL Write(daveInterface* /*di*/, const char* /*buffer*/, int32_t length) {
  return length;
}

inline void Converse(int32_t protocol, const uint8_t* data, size_t size) {
  Feed feed{data, size};
  daveInterface* di = daveNewInterface(daveOSserialType{0, 0}, "fuzz", 0, protocol, daveSpeed187k);
  di->readFn = Read;
  di->writeFn = Write;
  di->userData = &feed;
  daveInitAdapter(di);
  daveConnection* dc = daveNewConnection(di, 2, 0, 2);
  daveConnectPLC(dc);
  uint8_t buffer[222];
  daveReadBytes(dc, daveDB, 1, 0, 4, buffer);
  daveReadBytes(dc, daveDB, 1, 0, sizeof buffer, buffer);
  daveDisconnectPLC(dc);
  daveFree(dc);
  daveDisconnectAdapter(di);
  daveFree(di);
}

}  // namespace mpi_fuzz
