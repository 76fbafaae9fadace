#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "threads/Thread_Common.h"

class EFIFOStream : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A bounded first-in first-out byte store for one writer and one reader
// thread. It never waits: reading more than is stored raises "Buffer under-run.";
// writing more than fits raises "Buffer over-run." or, in Overwrite mode, drops
// the oldest bytes, at least Step of them at a time. Lengths are byte counts;
// a negative one is rejected and changes nothing.
class TFIFOStream : public TThreadObject {
 public:
  TFIFOStream(int32_t size, bool overwrite, int32_t step);
  ~TFIFOStream() noexcept override;

  int32_t Count();
  int32_t FreeSpace();
  // Removes the `length` oldest bytes into `buffer`, in order.
  void Read(void* buffer, int32_t length);
  void Write(const void* buffer, int32_t length);
  // Overwrite mode only (otherwise nothing happens): drops the oldest bytes.
  void Discard(int32_t count);

 private:
  // Position `length` bytes after `position`, wrapping at the end of the store.
  int32_t Advance(int32_t position, int32_t length) const;
  void DropOldest(int32_t count);

  std::unique_ptr<uint8_t[]> store_;
  const int32_t size_;
  const int32_t step_;
  int32_t writePosition_ = 0;
  int32_t readPosition_ = 0;
  int32_t count_ = 0;  // kept beside the positions: equal positions mean empty or full
  const bool overwrite_;
};
