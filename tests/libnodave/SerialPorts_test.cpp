// setPort and closePort on a pseudo-terminal, and the library's own read and write
// functions on the ports they open. POSIX only: the terminal is the simulator's.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Description.h"
#include "LinePacing.h"
#include "LineServer.h"
#include "MemoryLoader.h"
#include "PpiPersonality.h"
#include "PtyLine.h"
#include "nodave.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kTimeoutUs = 2000000;

Bytes ReadFromLine(plcsim::PtyLine& line, size_t count) {
  Bytes bytes(count);
  size_t have = 0;
  while (have < count) {
    const size_t got = line.ReadSome(bytes.data() + have, count - have);
    if (got == 0) {
      break;
    }
    have += got;
  }
  bytes.resize(have);
  return bytes;
}

bool Readable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, 0) > 0;
}

daveInterface* InterfaceOn(int32_t handle) {
  daveInterface* di =
      daveNewInterface(daveOSserialType{handle, handle}, "IF1", 0, daveProtoPPI, daveSpeed187k);
  di->timeout = kTimeoutUs;
  return di;
}

TEST(SerialPorts, LibrarysReadAndWriteFunctionsUseTheOpenedTerminal) {
  plcsim::PtyLine line;
  const int32_t port = setPort(line.Path().c_str(), "19200", 'E');
  ASSERT_GT(port, 0);
  daveInterface* di = InterfaceOn(port);
  const Bytes poll{0x10, 0x02, 0x00, 0x5C, 0x5E, 0x16};
  EXPECT_EQ(di->writeFn(di, reinterpret_cast<const char*>(poll.data()), 6), 6);
  EXPECT_EQ(ReadFromLine(line, 6), poll);

  const Bytes answer{0xE5, 0x68, 0x00, 0x16, 0xFF};
  ASSERT_TRUE(line.WriteAll(answer.data(), answer.size()));
  char got[5] = {};
  EXPECT_EQ(di->readFn(di, got, 2), 2);
  EXPECT_EQ(di->readFn(di, got + 2, 3), 3);
  EXPECT_EQ(Bytes(got, got + 5), answer);

  di->timeout = 100000;  // fewer bytes than asked: nothing, after the time-out
  ASSERT_TRUE(line.WriteAll(answer.data(), 1));
  EXPECT_EQ(di->readFn(di, got, 2), 0);
  daveFree(di);
  EXPECT_EQ(closePort(port), daveResOK);
  EXPECT_EQ(closePort(port), daveResInvalidParam);
}

TEST(SerialPorts, UnusableSettingsOpenNothing) {
  plcsim::PtyLine line;
  const std::string path = line.Path();
  EXPECT_EQ(setPort(path.c_str(), "1234", 'E'), 0);
  EXPECT_EQ(setPort(path.c_str(), "fast", 'E'), 0);
  EXPECT_EQ(setPort(path.c_str(), nullptr, 'E'), 0);
  EXPECT_EQ(setPort(path.c_str(), "9600", 'X'), 0);
  EXPECT_EQ(setPort("/dev/no-such-port", "9600", 'E'), 0);
  EXPECT_EQ(setPort("/dev/null", "9600", 'E'), 0);  // not a terminal
  EXPECT_EQ(setPort(nullptr, "9600", 'E'), 0);
  for (const char parity : {'E', 'e', 'O', 'o', 'N', 'n'}) {
    const int32_t port = setPort(path.c_str(), "9600", parity);
    EXPECT_GT(port, 0) << parity;
    closePort(port);
  }
}

// The plug-in hands the library the dummy handle 1 (stdout) when it carries the bytes
// itself; a caller may hand it any descriptor of its own. None is ever used.
TEST(SerialPorts, HandlesNotOpenedBySetPortAreNeverReadOrWritten) {
  plcsim::PtyLine line;
  const int32_t closed = setPort(line.Path().c_str(), "9600", 'N');
  ASSERT_GT(closed, 0);
  closePort(closed);
  const int ownTerminal = open(line.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(ownTerminal, 0);  // perhaps the very number closed above
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const Bytes marker{0x42};
  ASSERT_EQ(write(pipeEnds[1], marker.data(), 1), 1);

  const int savedStdout = dup(STDOUT_FILENO);
  dup2(pipeEnds[1], STDOUT_FILENO);  // what goes to handle 1 lands in the pipe
  std::vector<int32_t> written;
  std::vector<int32_t> read;
  for (const int32_t handle : {1, pipeEnds[0], pipeEnds[1], ownTerminal, closed, -1, 0}) {
    daveInterface* di = InterfaceOn(handle);
    di->timeout = 10000;
    char byte = 0x10;
    written.push_back(di->writeFn(di, &byte, 1));
    read.push_back(di->readFn(di, &byte, 1));
    daveFree(di);
  }
  dup2(savedStdout, STDOUT_FILENO);
  close(savedStdout);
  EXPECT_EQ(written, std::vector<int32_t>(7, 0));
  EXPECT_EQ(read, std::vector<int32_t>(7, 0));

  uint8_t left[2] = {};
  ASSERT_TRUE(Readable(pipeEnds[0]));
  EXPECT_EQ(::read(pipeEnds[0], left, sizeof left), 1);  // only the marker, still there
  EXPECT_EQ(left[0], 0x42);
  // Nothing reached the terminal: the next byte on the line is one sent properly.
  const int32_t port = setPort(line.Path().c_str(), "9600", 'N');
  daveInterface* di = InterfaceOn(port);
  char byte = 0x55;
  EXPECT_EQ(di->writeFn(di, &byte, 1), 1);
  EXPECT_EQ(ReadFromLine(line, 1), Bytes{0x55});
  daveFree(di);
  closePort(port);
  EXPECT_EQ(closePort(1), daveResInvalidParam);
  EXPECT_NE(fcntl(ownTerminal, F_GETFD), -1);  // a caller's descriptor stays open
  close(ownTerminal);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
}

// The simulator's S7-200 (memory not animated) served on a pseudo-terminal at 19200
// baud, until stopped.
class ServedLine {
 public:
  ServedLine() : pacing_(19200) {
    plcsim::LoadMemory(plcsim::ParseDescription(plcsim::kDefaultDescription), memory_);
    personality_ = plcsim::MakePpiPersonality({&memory_, 2});
    thread_ = std::thread([this] { plcsim::ServeLine(line_, *personality_, pacing_); });
  }
  ~ServedLine() {
    line_.Stop();
    thread_.join();
  }
  ServedLine(const ServedLine&) = delete;
  ServedLine& operator=(const ServedLine&) = delete;

  const std::string& Path() const { return line_.Path(); }
  const plcsim::PlcMemory& Memory() const { return memory_; }

 private:
  plcsim::PlcMemory memory_;
  plcsim::PtyLine line_;
  std::unique_ptr<plcsim::LinePersonality> personality_;
  plcsim::LinePacing pacing_;
  std::thread thread_;
};

TEST(SerialPorts, PpiReadsThroughASetPortTerminal) {
  ServedLine served;
  const int32_t port = setPort(served.Path().c_str(), "19200", 'E');
  ASSERT_GT(port, 0);
  daveInterface* di = InterfaceOn(port);
  daveConnection* dc = daveNewConnection(di, 2, 0, 2);
  EXPECT_EQ(daveConnectPLC(dc), daveResOK);
  for (const auto& [start, length] : std::vector<std::pair<int32_t, int32_t>>{{34, 18}, {0, 222}}) {
    Bytes got(static_cast<size_t>(length));
    Bytes want(got.size());
    EXPECT_EQ(daveReadBytes(dc, daveV, 0, start, length, got.data()), daveResOK);
    served.Memory().Read(plcsim::BlockId{plcsim::Area::kDataBlocks, 1}, static_cast<size_t>(start),
                         want.size(), want.data());
    EXPECT_EQ(got, want);
  }
  daveDisconnectPLC(dc);
  daveFree(dc);
  daveDisconnectAdapter(di);
  daveFree(di);
  EXPECT_EQ(closePort(port), daveResOK);
}

}  // namespace
#endif
