// Feeds arbitrary bytes to the protocol library as the PLC's side of an ISO over
// TCP connection: connection confirm, setup communication answer and Read Var
// answers (TPKT, COTP, S7 header, data item). The first input bytes choose the
// reads; the rest is what the PLC "sends". Every read must stay within its
// buffer and deliver either exactly the bytes asked for or a result code.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "nodave.h"

namespace {

// Every area the library names.
constexpr int32_t kAreas[] = {daveSysInfo, daveSysFlags, daveAnaIn,  daveAnaOut,  daveCounter,
                              daveTimer,   daveP,        daveInputs, daveOutputs, daveFlags,
                              daveDB,      daveDI,       daveLocal,  daveV};

// The trace as the plug-in's debug switch takes it: every received byte is printed.
void DAVE_CALL Trace(daveInterface*, int32_t, const char* text, int32_t length) {
  Check(length >= 0 && (length == 0 || text[length - 1] == '\n'));
}

struct Read {
  int32_t area;
  int32_t db;
  int32_t start;
  int32_t length;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const bool connect = input.ConsumeBool();
  daveSetDebug(input.ConsumeBool() ? -1 : 0);
  std::vector<Read> reads(input.ConsumeIntegralInRange<size_t>(1, 3));
  for (Read& read : reads) {
    read.area = input.PickValueInArray(kAreas);
    read.db = input.ConsumeIntegralInRange<int32_t>(0, 3);
    read.start = input.ConsumeIntegralInRange<int32_t>(0, 300);
    read.length = input.ConsumeIntegralInRange<int32_t>(0, 1000);
  }
  const std::vector<uint8_t> plc = input.ConsumeRemainingBytes<uint8_t>();

  int ends[2];
  Check(socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0);
  // The PLC's bytes are all there before the library asks; then the PLC closes,
  // so a read that wants more ends at once instead of waiting for its time-out.
  Check(plc.empty() ||
        send(ends[1], plc.data(), plc.size(), 0) == static_cast<ssize_t>(plc.size()));
  shutdown(ends[1], SHUT_WR);

  daveInterface* di = daveNewInterface(daveOSserialType{ends[0], ends[0]}, "IF1", 0,
                                       daveProtoISOTCP, daveSpeed187k);
  di->debugFn = Trace;
  daveConnection* dc = daveNewConnection(di, 2, 0, 2);
  if (connect) {
    daveConnectPLC(dc);
  } else {
    // Straight to the reads, as after a connect that granted the largest PDU.
    dc->connected = 1;
    dc->maxPDUlength = 960;
    dc->TPDUsize = 1024;
  }
  for (const Read& read : reads) {
    // Exactly the bytes asked for: the address sanitizer sees any write beyond.
    std::vector<uint8_t> buffer(static_cast<size_t>(read.length));
    const int32_t result =
        daveReadBytes(dc, read.area, read.db, read.start, read.length, buffer.data());
    Check(result != daveResOK || dc->AnswLen == read.length);
    Check(result == daveResOK || dc->AnswLen == 0);
  }
  daveDisconnectPLC(dc);
  daveFree(dc);
  daveFree(di);
  close(ends[0]);
  close(ends[1]);
  return 0;
}
