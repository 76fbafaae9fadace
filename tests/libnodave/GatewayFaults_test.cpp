// The faults an Ethernet gateway can show, each between our library and the
// simulator's gateway: a read or connect error with its own result code, intact
// buffers, and a working connection on the next connect.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "GatewayTestSupport.h"

namespace {

using Fault = GatewayServer::Fault;

// Walks the frames of one answer: IBH frames count their body in byte 2,
// NetLink-PRO frames have a 16-bit length in front.
size_t IbhSize(const Bytes& answer, size_t at) { return 8 + size_t{answer[at + 2]}; }

template <typename SizeOf>
size_t LastFrameAt(const Bytes& answer, SizeOf sizeOf) {
  size_t at = 0;
  while (at + sizeOf(answer, at) < answer.size()) {
    at += sizeOf(answer, at);
  }
  return at;
}

// Changes the last IBH frame's body by `delta` bytes at its end, keeping its length
// fields (body length, and the MPI length of frames from the PLC) consistent.
void ResizeLastIbh(Bytes& answer, int delta, bool mpiLength) {
  const size_t at = LastFrameAt(answer, IbhSize);
  const auto size = static_cast<std::ptrdiff_t>(answer.size()) + delta;
  answer.resize(static_cast<size_t>(size), 0x5A);
  answer[at + 2] = static_cast<uint8_t>(answer[at + 2] + delta);
  if (mpiLength) {
    answer[at + 14] = static_cast<uint8_t>(answer[at + 14] + delta);
  }
}

// The last IBH frame from the PLC turned into a disconnect.
void IbhDisconnect(Bytes& answer) {
  const size_t at = LastFrameAt(answer, IbhSize);
  answer.resize(at + 16);
  answer[at + 2] = 8;
  answer[at + 14] = 1;
  answer[at + 15] = 0x80;
}

const Bytes kNetLinkDisconnect{0x00, 0x07, 0x04, 0x82, 0x80, 0x0C, 0x14, 0x03, 0x80};

// The fault on the first answer only: the one to the read that follows the connect.
Fault Once(const Fault& fault) {
  auto done = std::make_shared<bool>(false);
  return [fault, done](Bytes& answer) {
    const bool first = !*done;
    *done = true;
    return !first || fault(answer);
  };
}

const Fault kDropMidway = [](Bytes& answer) {
  answer.resize(answer.size() / 2);
  return false;
};
const Fault kSilent = [](Bytes& answer) {
  answer.clear();
  return true;
};

struct FaultCase {
  const char* name;
  const Gateway* gateway;
  Fault fault;
  int32_t expected;
  bool atConnect = false;
  int32_t plc = 2;
  int32_t local = 0;
};

std::vector<FaultCase> ReadFaults() {
  return {
      {"ibh_drop", &kIbh, kDropMidway, daveResConnectionLost},
      {"ibh_error_telegram", &kIbh, [](Bytes& a) { return IbhDisconnect(a), true; },
       daveResGatewayConnectionEnded},
      {"ibh_truncated", &kIbh, [](Bytes& a) { return ResizeLastIbh(a, -10, true), true; },
       daveResCannotEvaluatePDU},
      {"ibh_oversized", &kIbh, [](Bytes& a) { return ResizeLastIbh(a, 20, true), true; },
       daveResCannotEvaluatePDU},
      {"ibh_cut_frame", &kIbh, [](Bytes& a) { return a.resize(a.size() - 3), true; },
       daveResTimeout},
      {"ibh_repeated_number", &kIbh,
       [](Bytes& a) { return a[LastFrameAt(a, IbhSize) + 16] = 0, true; }, daveResTimeout},
      {"ibh_other_address", &kIbh,
       [](Bytes& a) {
         for (size_t at = 0; at < a.size(); at += IbhSize(a, at)) {
           a[at + 10] = a[at + 6] == 0xC2 ? 9 : a[at + 10];
         }
         return true;
       },
       daveResWrongAddress},
      {"ibhppi_drop", &kIbhPpi, kDropMidway, daveResConnectionLost},
      {"ibhppi_truncated", &kIbhPpi, [](Bytes& a) { return ResizeLastIbh(a, -10, false), true; },
       daveResCannotEvaluatePDU},
      {"ibhppi_oversized", &kIbhPpi, [](Bytes& a) { return ResizeLastIbh(a, 20, false), true; },
       daveResCannotEvaluatePDU},
      {"ibhppi_wrong_reference", &kIbhPpi,
       [](Bytes& a) { return a[LastFrameAt(a, IbhSize) + 19] ^= 0xFF, true; }, daveResTimeout},
      {"ibhppi_other_address", &kIbhPpi,
       [](Bytes& a) { return a[LastFrameAt(a, IbhSize) + 10] = 9, true; }, daveResWrongAddress},
      {"nlpro_drop", &kNetLink, kDropMidway, daveResConnectionLost},
      {"nlpro_error_telegram", &kNetLink, [](Bytes& a) { return a = kNetLinkDisconnect, true; },
       daveResGatewayConnectionEnded},
      {"nlpro_truncated", &kNetLink,
       [](Bytes& a) {
         a.resize(a.size() - 10);
         a[1] = static_cast<uint8_t>(a[1] - 10);
         return true;
       },
       daveResCannotEvaluatePDU},
      {"nlpro_oversized", &kNetLink,
       [](Bytes& a) {
         a.assign(1002, 0x14);
         a[0] = 0x03;
         a[1] = 0xE8;
         return true;
       },
       daveResCannotEvaluatePDU},
      {"nlpro_wrong_reference", &kNetLink, [](Bytes& a) { return a[2 + 6 + 5] ^= 0xFF, true; },
       daveResTimeout},
      {"nlpro_other_address", &kNetLink, [](Bytes& a) { return a[3] = 0x89, true; },
       daveResWrongAddress},
  };
}

std::vector<FaultCase> ConnectFaults() {
  const Fault ibhIdsTaken = [](Bytes& a) {
    if (a.size() >= 10 && a[4] == 0x97) {
      a[9] = 1;
    }
    return true;
  };
  const Fault ibhRefused = [](Bytes& a) {
    const size_t at = LastFrameAt(a, IbhSize);
    if (at + 15 < a.size() && a[at + 15] == 0xD0) {
      IbhDisconnect(a);
    }
    return true;
  };
  const Fault netLinkRefused = [](Bytes& a) {
    if (a.size() > 8 && a[8] == 0xD0) {
      a = kNetLinkDisconnect;
    }
    return true;
  };
  const Fault netLinkSpeed = [](Bytes& a) {
    if (a[2] == 0x01 && a[3] == 0x03) {
      a = {0x00, 0x09, 0x01, 0x03, 0x20, 'E', '=', '0', '3', '1', '3'};
    }
    return true;
  };
  return {
      {"ibh_silent", &kIbh, kSilent, daveResTimeout, true},
      {"ibh_ids_taken", &kIbh, ibhIdsTaken, daveResGatewayNoFreeId, true},
      {"ibh_refused", &kIbh, ibhRefused, daveResPlcConnectionsUsedUp, true},
      {"ibh_no_plc", &kIbh, nullptr, daveResNoPlcAtAddress, true, 5},
      {"ibhppi_silent", &kIbhPpi, kSilent, daveResTimeout, true},
      {"ibhppi_no_plc", &kIbhPpi, nullptr, daveResTimeout, true, 5},
      {"nlpro_silent", &kNetLink, kSilent, daveResTimeout, true},
      {"nlpro_refused", &kNetLink, netLinkRefused, daveResPlcConnectionsUsedUp, true},
      {"nlpro_no_plc", &kNetLink, nullptr, daveResNoPlcAtAddress, true, 5},
      {"nlpro_local_address", &kNetLink, nullptr, daveResGatewayLocalAddress, true, 2, 2},
      {"nlpro_bus_speed", &kNetLink, netLinkSpeed, daveResGatewayBusSpeed, true},
  };
}

// Results our library reaches only when its time-out has run out: no answer, or none
// from the PLC addressed.
bool WaitsOutTheTimeout(int32_t result) {
  return result == daveResTimeout || result == daveResNoPlcAtAddress ||
         result == daveResWrongAddress;
}

class GatewayFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(GatewayFaults, FailWithTheirOwnResultAndRecover) {
  const FaultCase& c = GetParam();
  GatewayServer server(c.gateway->make, Memory());
  {
    Client client(
        server.Port(), *c.gateway, c.plc, c.local,
        WaitsOutTheTimeout(c.expected) ? Client::kNoAnswerTimeoutUs : Client::kAnswerTimeoutUs);
    int32_t result;
    if (c.atConnect) {
      server.SetFault(c.fault);
      result = client.Connect();
    } else {
      ASSERT_EQ(client.Connect(), daveResOK);
      server.SetFault(Once(c.fault));
      Bytes data;
      result = client.Read(daveDB, 1, 34, 18, data);
    }
    EXPECT_EQ(result, c.expected) << daveStrerror(result);
    EXPECT_EQ(std::string(daveStrerror(result)).find("unknown"), std::string::npos);
    // A spoilt answer on a connection that still stands spoils nothing after it.
    const bool stands = !c.atConnect && c.expected != daveResConnectionLost &&
                        c.expected != daveResGatewayConnectionEnded;
    if (stands) {
      ExpectReadsMatchMemory(client);
    }
  }
  server.SetFault(nullptr);
  Client client(server.Port(), *c.gateway);
  ASSERT_EQ(client.Connect(), daveResOK);
  ExpectReadsMatchMemory(client);
}

// Whether the client asked the gateway to end its connection to the PLC: an IBH
// frame of the MPI disconnect request, or a NetLink-PRO bus telegram carrying it.
bool SentPlcDisconnect(const Bytes& sent, const Gateway& gateway) {
  const bool ibh = gateway.protocol == daveProtoIBH;
  for (size_t at = 0; at + 3 < sent.size();) {
    const size_t size = ibh ? IbhSize(sent, at) : 2 + (size_t{sent[at]} << 8 | sent[at + 1]);
    if (at + size > sent.size()) {
      break;
    }
    const bool request = ibh ? size == 14 : sent[at + 2] == 0x04;
    if (request && sent[at + size - 1] == 0x80) {
      return true;
    }
    at += size;
  }
  return false;
}

// A connect that fails after the gateway has opened the PLC connection ends that
// connection: the gateway's connection IDs and the PLC's resources are not lost.
TEST(GatewayConnects, AFailedNegotiationEndsThePlcConnection) {
  const Fault silentS7 = [](Bytes& a) {
    const Bytes s7Answer{0x32, 0x03};
    if (std::search(a.begin(), a.end(), s7Answer.begin(), s7Answer.end()) != a.end()) {
      a.clear();
    }
    return true;
  };
  for (const Gateway* gateway : {&kIbh, &kNetLink}) {
    SCOPED_TRACE(gateway->name);
    GatewayServer server(gateway->make, Memory());
    server.SetFault(silentS7);
    {
      Client client(server.Port(), *gateway, 2, 0, Client::kNoAnswerTimeoutUs);
      EXPECT_EQ(client.Connect(), daveResTimeout);
    }
    EXPECT_TRUE(SentPlcDisconnect(server.Received(), *gateway));
  }
}

INSTANTIATE_TEST_SUITE_P(Read, GatewayFaults, ::testing::ValuesIn(ReadFaults()),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Connect, GatewayFaults, ::testing::ValuesIn(ConnectFaults()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
