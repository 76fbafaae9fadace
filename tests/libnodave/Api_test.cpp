// Records, ports, texts and debug output through the C API.
#include <cstddef>
#include <string>
#include <vector>

#include "IsoTestSupport.h"

namespace {

TEST(Records, FixedMembersSitWhereThePlugInReadsThem) {
  EXPECT_EQ(offsetof(daveInterface, timeout), 0u);
  EXPECT_EQ(offsetof(daveInterface, fd.rfd), 4u);
  EXPECT_EQ(offsetof(daveInterface, fd.wfd), 8u);
  EXPECT_EQ(offsetof(daveConnection, maxPDUlength), 8u);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(offsetof(daveInterface, readFn), 92u);
    EXPECT_EQ(offsetof(daveInterface, writeFn), 96u);
    EXPECT_EQ(offsetof(daveInterface, userData), 104u);
    EXPECT_EQ(offsetof(daveInterface, debugFn), 108u);
  }
}

TEST(Records, NewInterfaceKeepsHandlesAndCopiesName) {
  std::string name(100, 'N');
  daveInterface* di =
      daveNewInterface(daveOSserialType{5, 6}, name.c_str(), 3, daveProtoISOTCP, daveSpeed187k);
  name.assign(100, 'X');
  EXPECT_EQ(di->fd.rfd, 5);
  EXPECT_EQ(di->fd.wfd, 6);
  EXPECT_GT(di->timeout, 0);
  EXPECT_EQ(std::string(di->name), std::string(sizeof di->name - 1, 'N'));
  EXPECT_EQ(di->userData, nullptr);
  daveFree(di);
}

TEST(Records, FreedGarbageAndNullRecordsAreRefusedNotUsed) {
  daveInterface* di = daveNewInterface(daveOSserialType{1, 1}, nullptr, 0, daveProtoISOTCP, 2);
  daveConnection* dc = daveNewConnection(di, 2, 0, 2);
  uint8_t buffer[4];
  daveFree(di);
  // The connection outlives its interface: refused, not used.
  EXPECT_EQ(daveConnectPLC(dc), daveResInvalidParam);
  EXPECT_EQ(daveReadBytes(dc, daveDB, 1, 0, 4, buffer), daveResInvalidParam);
  EXPECT_EQ(daveNewConnection(di, 2, 0, 2), nullptr);
  daveFree(dc);
  daveFree(dc);  // twice: ignored
  daveFree(di);
  daveFree(nullptr);
  int notARecord = 0;
  daveFree(&notARecord);
  EXPECT_EQ(daveConnectPLC(nullptr), daveResInvalidParam);
  EXPECT_EQ(daveDisconnectPLC(dc), daveResInvalidParam);
  EXPECT_EQ(daveInitAdapter(nullptr), daveResInvalidParam);
  EXPECT_EQ(daveDisconnectAdapter(reinterpret_cast<daveInterface*>(&notARecord)),
            daveResInvalidParam);
  EXPECT_EQ(daveReadBytes(nullptr, daveDB, 1, 0, 4, buffer), daveResInvalidParam);
}

TEST(Ports, CloseCallsCloseOnlyWhatTheLibraryOpened) {
  // The plug-in closes its dummy handle 1 after a serial connection.
  EXPECT_EQ(closePort(1), daveResInvalidParam);
  EXPECT_EQ(closeSocket(1), daveResInvalidParam);
  EXPECT_EQ(closeS7online(1), daveResInvalidParam);
  ScriptServer server({});
  const int32_t s = openSocket(server.Port(), "127.0.0.1");
  ASSERT_GT(s, 0);
  EXPECT_EQ(closeSocket(s), daveResOK);
  EXPECT_EQ(closeSocket(s), daveResInvalidParam);
}

TEST(Ports, FailedOpensReturnNoHandle) {
  int port = 0;
  {
    ScriptServer server({});
    port = server.Port();
    const int32_t s = openSocket(port, "127.0.0.1");  // lets the server end
    closeSocket(s);
  }
  EXPECT_EQ(openSocket(port, "127.0.0.1"), 0);  // nobody listens there any more
  EXPECT_EQ(openSocket(0, "127.0.0.1"), 0);
  EXPECT_EQ(openSocket(70000, "127.0.0.1"), 0);
  EXPECT_EQ(openSocket(102, nullptr), 0);
  EXPECT_EQ(setPort("no-such-port", "38400", 'O'), 0);
  EXPECT_LT(openS7online("S7ONLINE", nullptr), 0);
}

TEST(ErrorTexts, SayWhatToDoWhereTheCauseIsKnown) {
  const auto has = [](int32_t code, const char* part) {
    return std::string(daveStrerror(code)).find(part) != std::string::npos;
  };
  for (int32_t refused : {int32_t{daveResItemNotAvailable200}, 0x8103, 0xD241}) {
    EXPECT_TRUE(has(refused, "PUT/GET")) << refused;
    EXPECT_TRUE(has(refused, "optimized block access")) << refused;
    EXPECT_TRUE(has(refused, "download")) << refused;
  }
  for (int32_t missing : {int32_t{daveResItemNotAvailable}, 0x810A, 0xD209}) {
    EXPECT_TRUE(has(missing, "does not exist")) << missing;
  }
  EXPECT_TRUE(has(daveAddressOutOfRange, "shorter"));
  EXPECT_TRUE(has(daveResConnectionRefused, "rack and slot"));
  EXPECT_TRUE(has(daveResReadTooLarge, "split"));
  EXPECT_TRUE(has(daveResTimeout, "time-out"));
  EXPECT_STREQ(daveStrerror(0x85), "unknown item error 0x85");
  EXPECT_STREQ(daveStrerror(0x8A01), "unknown PLC error 0x8A01");
  EXPECT_STREQ(daveStrerror(-77), "unknown error -77");
}

// Collects what the library writes through the debug function of an interface whose
// user pointer names the collector.
struct DebugCollector {
  std::vector<std::string> lines;
  daveInterface* seen = nullptr;
  int wrongUser = 0;
};

void DAVE_CALL CollectDebug(daveInterface* di, int32_t, const char* text, int32_t length) {
  auto* collector = static_cast<DebugCollector*>(di->userData);
  collector->seen = di;
  collector->lines.emplace_back(text, static_cast<size_t>(length));
}

using Debug = IsoTcpTest;

TEST_F(Debug, OutputGoesThroughTheDebugFunctionWithTheUserPointerUntouched) {
  DebugCollector collector;
  Start({Confirm(), GrantPdu(240)});
  di_->userData = &collector;
  di_->debugFn = CollectDebug;
  daveSetDebug(daveDebugAll);
  EXPECT_EQ(daveGetDebug(), daveDebugAll);
  const int32_t result = daveConnectPLC(dc_);
  daveSetDebug(0);
  ASSERT_EQ(result, daveResOK);
  EXPECT_EQ(di_->userData, &collector);
  EXPECT_EQ(collector.seen, di_);
  ASSERT_FALSE(collector.lines.empty());
  bool rawSend = false;
  for (const std::string& line : collector.lines) {
    rawSend = rawSend || line.find("03 00 00 16 11 E0") != std::string::npos;
  }
  EXPECT_TRUE(rawSend);
  const size_t before = collector.lines.size();
  daveDisconnectPLC(dc_);
  uint8_t buffer[2];
  daveReadBytes(dc_, daveDB, 1, 0, 2, buffer);
  EXPECT_EQ(collector.lines.size(), before);  // flags off: silent
}

}  // namespace
