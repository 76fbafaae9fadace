#include "threads/FIFOStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

#include "ThreadTestSupport.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The bytes first, first + 1, ... (modulo 256).
Bytes Sequence(int32_t length, uint8_t first) {
  Bytes bytes(length);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

Bytes Take(TFIFOStream& fifo, int32_t length) {
  Bytes bytes(length);
  fifo.Read(bytes.data(), length);
  return bytes;
}

void Put(TFIFOStream& fifo, const Bytes& bytes) {
  fifo.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
}

TEST(FIFOStream, FullIsNotEmptyAndBytesWrapInOrder) {
  TFIFOStream fifo(8, false, 1);
  EXPECT_EQ(fifo.FreeSpace(), 8);
  Put(fifo, Sequence(8, 1));
  EXPECT_EQ(fifo.Count(), 8);
  EXPECT_EQ(fifo.FreeSpace(), 0);
  EXPECT_EQ(Take(fifo, 8), Sequence(8, 1));
  Put(fifo, Sequence(5, 1));
  EXPECT_EQ(Take(fifo, 3), Sequence(3, 1));
  Put(fifo, Sequence(5, 6));  // wraps around the end
  EXPECT_EQ(Take(fifo, 7), Sequence(7, 4));
  EXPECT_EQ(fifo.Count(), 0);
}

TEST(FIFOStream, UnderAndOverRunRaiseAndLeaveTheStoreUnchanged) {
  TFIFOStream fifo(8, false, 1);
  Put(fifo, Sequence(2, 1));
  Bytes buffer(8);
  try {
    fifo.Read(buffer.data(), 3);
    ADD_FAILURE() << "no under-run";
  } catch (const EFIFOStream& error) {
    EXPECT_STREQ(error.what(), "Buffer under-run.");
  }
  Put(fifo, Sequence(4, 3));
  try {
    fifo.Write(buffer.data(), 3);
    ADD_FAILURE() << "no over-run";
  } catch (const EFIFOStream& error) {
    EXPECT_STREQ(error.what(), "Buffer over-run.");
  }
  EXPECT_EQ(Take(fifo, 6), Sequence(6, 1));
}

TEST(FIFOStream, OverwriteDropsAtLeastStepOldestBytesAndKeepsTheNewest) {
  TFIFOStream fifo(8, true, 4);
  Put(fifo, Sequence(8, 1));
  Put(fifo, Sequence(3, 101));
  EXPECT_EQ(fifo.Count(), 7);
  EXPECT_EQ(Take(fifo, 4), Sequence(4, 5));
  EXPECT_EQ(Take(fifo, 3), Sequence(3, 101));
  Put(fifo, Sequence(3, 200));
  Put(fifo, Sequence(20, 1));
  EXPECT_EQ(Take(fifo, 8), Sequence(8, 13));
}

TEST(FIFOStream, DiscardDropsOldestOnlyInOverwriteMode) {
  TFIFOStream overwriting(8, true, 1);
  Put(overwriting, Sequence(6, 1));
  overwriting.Discard(2);
  EXPECT_EQ(Take(overwriting, 2), Sequence(2, 3));
  overwriting.Discard(100);
  EXPECT_EQ(overwriting.Count(), 0);
  TFIFOStream strict(8, false, 1);
  Put(strict, Sequence(6, 1));
  strict.Discard(2);
  EXPECT_EQ(strict.Count(), 6);
}

TEST(FIFOStream, RejectsBadArgumentsAndChangesNothing) {
  EXPECT_THROW(TFIFOStream(0, true, 1), EFIFOStream);
  TFIFOStream fifo(8, true, 1);
  Put(fifo, Sequence(3, 1));
  Bytes buffer(8);
  EXPECT_THROW(fifo.Write(buffer.data(), -1), EFIFOStream);
  EXPECT_THROW(fifo.Read(buffer.data(), -1), EFIFOStream);
  EXPECT_THROW(fifo.Discard(-1), EFIFOStream);
  EXPECT_THROW(fifo.Write(nullptr, 1), EFIFOStream);
  fifo.Write(nullptr, 0);
  fifo.Read(nullptr, 0);
  EXPECT_EQ(Take(fifo, 3), Sequence(3, 1));
}

// A writer thread and a reader thread that reads what Count shows: the stream
// arrives complete and in order.
TEST(FIFOStream, StreamsBetweenAWriterAndAReaderThread) {
  constexpr int32_t kTotal = 60000;
  constexpr int32_t kBlock = 97;
  auto fifo = std::make_shared<TFIFOStream>(1024, false, 1);
  auto writer = threads_test::RunAsync([fifo] {
    for (int32_t written = 0; written < kTotal;) {
      const int32_t length = std::min({kBlock, kTotal - written, fifo->FreeSpace()});
      Put(*fifo, Sequence(length, static_cast<uint8_t>(written)));
      written += length;
    }
  });
  for (int32_t read = 0; read < kTotal;) {
    const int32_t length = std::min(fifo->Count(), kBlock);
    if (length == 0) {
      ASSERT_FALSE(threads_test::Finishes(writer, std::chrono::milliseconds(0)) &&
                   fifo->Count() == 0)
          << kTotal - read << " bytes never came";
      continue;
    }
    ASSERT_EQ(Take(*fifo, length), Sequence(length, static_cast<uint8_t>(read)));
    read += length;
  }
  ASSERT_TRUE(threads_test::Finishes(writer));
}

}  // namespace
