#include <gtest/gtest.h>

#include "CommandLine.h"
#include "IsoSession.h"
#include "PlcsimTestSupport.h"

// A simulator told its rack and slot answers only connection requests that call
// them, and refuses the others with a disconnect, as a real CPU does.

namespace plcsim_test {
namespace {

struct Call {
  plcsim::AcceptedRackSlot accepted;
  Bytes calledTsap;
  bool answered;
};

TEST(RackSlot, AnswersOnlyTheRackAndSlotItIs) {
  const Call calls[] = {
      {{-1, -1}, {1, 2}, true},      {{-1, -1}, {0x4D, 0x57}, true}, {{0, 1}, {1, 1}, true},
      {{0, 1}, {1, 2}, false},       {{0, 1}, {2, 1}, true},         {{0, 1}, {1, 0x21}, false},
      {{1, 3}, {1, 0x23}, true},     {{1, 3}, {1, 0x03}, false},     {{-1, 2}, {3, 0x42}, true},
      {{-1, 2}, {3, 0x41}, false},   {{2, -1}, {1, 0x45}, true},     {{2, -1}, {1, 0x25}, false},
      {{0, 1}, {0x4D, 0x57}, false},
  };
  plcsim::PlcMemory memory;
  for (const Call& call : calls) {
    SCOPED_TRACE(testing::Message() << "rack " << call.accepted.rack << " slot "
                                    << call.accepted.slot << " called " << int{call.calledTsap[1]});
    plcsim::IsoSession session(memory, 960, call.accepted);
    const Bytes request = ConnectRequest(call.calledTsap);
    const plcsim::SessionStep step = session.OnPacket(request.data(), request.size());
    ASSERT_GE(step.reply.size(), 6u);
    if (call.answered) {
      EXPECT_EQ(step.reply[5], 0xD0) << "a connection confirm";
      EXPECT_TRUE(step.closeReason.empty());
    } else {
      // A disconnect request to the client's reference, reason "address unknown", then close.
      EXPECT_EQ(step.reply, Tpkt({6, 0x80, request[8], request[9], 0, 1, 0x03}));
      EXPECT_FALSE(step.closeReason.empty());
    }
  }
}

TEST(RackSlot, ARequestWithoutACalledTsapIsRefusedWhenARackOrSlotIsSet) {
  plcsim::PlcMemory memory;
  plcsim::IsoSession session(memory, 960, {0, 2});
  const Bytes request = Tpkt({6, 0xE0, 0, 0, 0, 1, 0});
  EXPECT_EQ(session.OnPacket(request.data(), request.size()).reply[5], 0x80);
}

TEST(RackSlot, TheCommandLineTakesRackAndSlot) {
  const plcsim::CommandLine line = plcsim::ParseCommandLine({"--rack", "1", "--slot", "3"});
  EXPECT_EQ(line.server.accepted.rack, 1);
  EXPECT_EQ(line.server.accepted.slot, 3);
  EXPECT_EQ(plcsim::ParseCommandLine({}).server.accepted.rack, -1);
  EXPECT_THROW(plcsim::ParseCommandLine({"--rack", "8"}), plcsim::UsageError);
  EXPECT_THROW(plcsim::ParseCommandLine({"--slot", "32"}), plcsim::UsageError);
}

}  // namespace
}  // namespace plcsim_test
