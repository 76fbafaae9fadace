#include <string>

#include "IsoTestSupport.h"

namespace {

const Bytes kAskPdu960{0xF0, 0x00, 0x00, 0x01, 0x00, 0x01, 0x03, 0xC0};

using IsoConnect = IsoTcpTest;

TEST_F(IsoConnect, RequestCarriesRackSlotTsapsAndAsksFor960ByteForPdus) {
  Start({Confirm(), GrantPdu(480)}, daveProtoISOTCP, 1, 3);
  ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  EXPECT_EQ(dc_->maxPDUlength, 480);
  EXPECT_EQ(dc_->TPDUsize, 1024);
  const std::vector<Bytes> received = Finish();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], (Bytes{0x03, 0x00, 0x00, 0x16, 0x11, 0xE0, 0x00, 0x00, 0x00, 0x01, 0x00,
                                0xC1, 0x02, 0x01, 0x00, 0xC2, 0x02, 0x01, 0x23, 0xC0, 0x01, 0x0A}));
  EXPECT_EQ(JobParameters(received[1]), kAskPdu960);
}

TEST_F(IsoConnect, Cp243UsesMicroWinTsapsWhateverRackAndSlot) {
  Start({Confirm(), GrantPdu(240)}, daveProtoISOTCP243, 9, 40);  // beyond what a TSAP could hold
  ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  const Bytes request = Finish().at(0);
  EXPECT_EQ(Bytes(request.begin() + 11, request.begin() + 19),
            (Bytes{0xC1, 0x02, 0x4D, 0x57, 0xC2, 0x02, 0x4D, 0x57}));
}

TEST_F(IsoConnect, UsesWhatThePlcGrantsButNeverMoreThanAsked) {
  Start({Confirm(), GrantPdu(1920)});
  ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  EXPECT_EQ(dc_->maxPDUlength, 960);
}

TEST_F(IsoConnect, SmallerTransportUnitGrantedIsUsed) {
  Start({Send(Tpkt({0x11, 0xD0, 0x00, 0x01, 0x44, 0x31, 0x00, 0xC1, 0x02, 0x01, 0x00, 0xC2, 0x02,
                    0x01, 0x02, 0xC0, 0x01, 0x07})),
         GrantPdu(240)});
  ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  EXPECT_EQ(dc_->TPDUsize, 128);
}

TEST_F(IsoConnect, CallersTimeOutIsKept) {
  Start({Confirm(), GrantPdu(240)});
  di_->timeout = 1234567;
  daveConnection* second = daveNewConnection(di_, 2, 0, 2);
  EXPECT_EQ(di_->timeout, 1234567);
  EXPECT_EQ(daveConnectPLC(dc_), daveResOK);
  EXPECT_EQ(di_->timeout, 1234567);
  daveFree(second);
}

TEST_F(IsoConnect, RefusedByDisconnectRequestOrClosedConnection) {
  Start({Send(Tpkt({0x06, 0x80, 0x00, 0x01, 0x00, 0x01, 0x88}))});
  EXPECT_EQ(daveConnectPLC(dc_), daveResConnectionRefused);
  EXPECT_EQ(dc_->connected, 0);
  Finish();

  Start({Send({}, true)});
  EXPECT_EQ(daveConnectPLC(dc_), daveResConnectionRefused);
  const std::string text = daveStrerror(daveResConnectionRefused);
  EXPECT_NE(text.find("rack and slot"), std::string::npos);
  EXPECT_NE(text.find("connections are used up"), std::string::npos);
}

TEST_F(IsoConnect, NoConfirmWithinTimeOut) {
  Start({Send({})});
  di_->timeout = 100000;
  EXPECT_EQ(daveConnectPLC(dc_), daveResTimeout);
}

struct BadConfirm {
  const char* what;
  Bytes reply;
  int32_t result;
};

class IsoConnectBadConfirm : public IsoTcpTest, public ::testing::WithParamInterface<BadConfirm> {};

TEST_P(IsoConnectBadConfirm, GivesResultCode) {
  Start({Send(GetParam().reply)});
  di_->timeout = 300000;
  EXPECT_EQ(daveConnectPLC(dc_), GetParam().result) << GetParam().what;
  EXPECT_EQ(dc_->connected, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, IsoConnectBadConfirm,
    ::testing::Values(
        BadConfirm{
            "not TPKT", {0x47, 0x45, 0x54, 0x20, 0x2F, 0x20, 0x48}, daveResCannotEvaluatePDU},
        BadConfirm{"TPKT length below 7", {0x03, 0x00, 0x00, 0x05, 0x00}, daveResShortPacket},
        BadConfirm{"LI beyond the unit", Tpkt({0x40, 0xD0, 0x00}), daveResShortPacket},
        BadConfirm{"connect confirm too short", Tpkt({0x03, 0xD0, 0x00, 0x01}), daveResShortPacket},
        BadConfirm{"data unit instead of confirm", DataUnit({0x32}), daveResCannotEvaluatePDU},
        BadConfirm{"parameter longer than the header",
                   Tpkt({0x09, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0xC0, 0x05, 0x0A}),
                   daveResCannotEvaluatePDU},
        // Found by fuzzing: the size was read before its length was checked.
        BadConfirm{"transport unit size parameter without its byte, ending the unit",
                   Tpkt({0x08, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0xC0, 0x00}),
                   daveResCannotEvaluatePDU},
        BadConfirm{"transport unit size out of range",
                   Tpkt({0x09, 0xD0, 0x00, 0x01, 0x00, 0x01, 0x00, 0xC0, 0x01, 0x03}),
                   daveResCannotEvaluatePDU},
        BadConfirm{"TPKT longer than what arrives",
                   {0x03, 0x00, 0xFF, 0xFF, 0x11, 0xD0},
                   daveResTimeout}));

struct BadSetup {
  const char* what;
  std::function<Bytes(uint16_t)> answer;
  int32_t result;
};

class IsoConnectBadSetup : public IsoTcpTest, public ::testing::WithParamInterface<BadSetup> {};

TEST_P(IsoConnectBadSetup, GivesResultCode) {
  Start({Confirm(), AnswerWith(GetParam().answer)});
  EXPECT_EQ(daveConnectPLC(dc_), GetParam().result) << GetParam().what;
  EXPECT_EQ(dc_->connected, 0);
}

const Bytes kGrant240{0xF0, 0, 0, 1, 0, 1, 0x00, 0xF0};

INSTANTIATE_TEST_SUITE_P(
    Answers, IsoConnectBadSetup,
    ::testing::Values(BadSetup{"header error",
                               [](uint16_t ref) { return AnswerPdu(ref, {}, {}, 0x8104); }, 0x8104},
                      BadSetup{"other function",
                               [](uint16_t ref) {
                                 return AnswerPdu(ref, {0x04, 0x01}, {});
                               },
                               daveResUnexpectedFunc},
                      BadSetup{"granted PDU unusably small",
                               [](uint16_t ref) {
                                 return AnswerPdu(ref, {0xF0, 0, 0, 1, 0, 1, 0, 16}, {});
                               },
                               daveResCannotEvaluatePDU},
                      BadSetup{"parameter length larger than the PDU",
                               [](uint16_t ref) {
                                 Bytes pdu = AnswerPdu(ref, kGrant240, {});
                                 pdu[7] = 0x20;
                                 return pdu;
                               },
                               daveResCannotEvaluatePDU},
                      BadSetup{"header cut short",
                               [](uint16_t ref) {
                                 return Bytes{0x32, 0x03, 0x00, 0x00, uint8_t(ref >> 8)};
                               },
                               daveResShortPacket},
                      BadSetup{"not an S7 PDU",
                               [](uint16_t ref) {
                                 Bytes pdu = AnswerPdu(ref, kGrant240, {});
                                 pdu[0] = 0x72;
                                 return pdu;
                               },
                               daveResCannotEvaluatePDU}));

TEST(IsoConnectArguments, RackOrSlotOutOfRangeSendNothing) {
  daveInterface* di = daveNewInterface(daveOSserialType{1, 1}, "IF1", 0, daveProtoISOTCP, 2);
  daveConnection* dc = daveNewConnection(di, 2, 8, 2);
  EXPECT_EQ(daveConnectPLC(dc), daveResInvalidParam);
  daveConnection* slot = daveNewConnection(di, 2, 0, 32);
  EXPECT_EQ(daveConnectPLC(slot), daveResInvalidParam);
  daveFree(slot);
  daveFree(dc);
  daveFree(di);
}

TEST(IsoConnectArguments, UnknownProtocolCodesAreRefused) {
  for (int32_t protocol : {-1, 4, 121, 231}) {
    daveInterface* di = daveNewInterface(daveOSserialType{1, 1}, "IF1", 0, protocol, 2);
    daveConnection* dc = daveNewConnection(di, 2, 0, 2);
    uint8_t buffer[4];
    EXPECT_EQ(daveInitAdapter(di), daveResProtocolNotSupported) << protocol;
    EXPECT_EQ(daveConnectPLC(dc), daveResProtocolNotSupported) << protocol;
    EXPECT_EQ(daveReadBytes(dc, daveDB, 1, 0, 4, buffer), daveResProtocolNotSupported);
    daveFree(dc);
    daveFree(di);
  }
  EXPECT_NE(std::string(daveStrerror(daveResProtocolNotSupported)).find("unknown protocol code"),
            std::string::npos);
}

}  // namespace
