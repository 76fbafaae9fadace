#include <gtest/gtest.h>

#include <cstring>

#include "NoDaveTestSupport.h"

namespace {

using Connect = nodave_test::LinkTest;

// The plug-in's side of the transport: what the library wrote, what reads answer.
struct TTransport {
  std::string written;
  std::vector<uint8_t> answer;  // served over and over; empty: reads time out
  TDaveInterfaceRecord* intf = nullptr;
  std::vector<std::string> trace;
};

TTransport& TransportOf(TDaveInterfaceRecord* intf) {
  return *static_cast<TTransport*>(intf->userData);
}

int32_t NODAVE_CALL TransportRead(TDaveInterfaceRecord* intf, uint8_t* buffer, int32_t length) {
  const std::vector<uint8_t>& answer = TransportOf(intf).answer;
  if (answer.empty()) return 0;
  for (int32_t i = 0; i < length; ++i) buffer[i] = answer[static_cast<size_t>(i) % answer.size()];
  return length;
}

int32_t NODAVE_CALL TransportWrite(TDaveInterfaceRecord* intf, const uint8_t* buffer,
                                   int32_t length) {
  TTransport& transport = TransportOf(intf);
  transport.intf = intf;
  transport.written.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
  return length;
}

void NODAVE_CALL TransportDebug(TDaveInterfaceRecord* intf, int32_t, const char* text,
                                int32_t length) {
  TransportOf(intf).trace.emplace_back(text, static_cast<size_t>(length));
}

class CallbackPath : public Connect {
 protected:
  void SetUp() override {
    Connect::SetUp();
    link_->PortHandle = 1;
    link_->ReadFunc = TransportRead;
    link_->WriteFunc = TransportWrite;
    link_->DebugFunc = TransportDebug;
    link_->UserData = &transport_;
    link_->ReadOnConnect = false;
  }

  TTransport transport_;
};

TEST_F(Connect, AGivenPortHandleIsUsedTwiceAndNeverClosedByTheLink) {
  link_->PortHandle = 1;
  link_->SetMPILocal(1);
  link_->SetMPIRemote(4);
  link_->SetCPURack(1);
  link_->SetCPUSlot(3);
  link_->SetIntfName("$ABCD");
  link_->SetBufLen(4);
  int connects = 0;
  link_->OnConnect = [&](TNoDave&) { ++connects; };
  link_->Connect();
  ASSERT_TRUE(link_->Active());
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(control_->portsOpened, 0);
  EXPECT_EQ(control_->rfd, 1);
  EXPECT_EQ(control_->wfd, 1);
  EXPECT_STREQ(control_->intfName, "$ABCD");
  EXPECT_EQ(control_->localMPI, 1);
  EXPECT_EQ(control_->protocol, 0);
  EXPECT_EQ(control_->speed, 2);
  EXPECT_EQ(control_->remoteMPI, 4);
  EXPECT_EQ(control_->rack, 1);
  EXPECT_EQ(control_->slot, 3);
  EXPECT_EQ(control_->readCalls, 1);  // ReadOnConnect reads the own buffer

  link_->Connect();
  EXPECT_EQ(connects, 1);
  link_->Disconnect();
  link_->Disconnect();
  EXPECT_EQ(control_->portsClosed, 0);
  EXPECT_EQ(control_->plcDisconnects, 1);
  EXPECT_EQ(control_->adapterDisconnects, 1);
  ExpectNothingLeft();
  EXPECT_TRUE(errors_.empty());
}

TEST_F(Connect, EachKindOfPortIsOpenedAndClosedWithItsOwnCalls) {
  link_->SetCOMPort("COM3:");
  link_->SetCOMSpeed(daveComSpeed19_2k);
  link_->Connect();
  EXPECT_STREQ(control_->portName, "COM3:");
  EXPECT_STREQ(control_->baud, "19200");
  EXPECT_EQ(control_->parity, 'O');
  link_->Disconnect();
  EXPECT_EQ(control_->lastCloseKind, 1);
  EXPECT_EQ(control_->lastClosedHandle, 7);

  UseSocket();
  link_->Connect();
  EXPECT_EQ(control_->socketPort, 45001);
  EXPECT_STREQ(control_->socketHost, "127.0.0.1");
  EXPECT_EQ(control_->protocol, 122);
  link_->Disconnect();
  EXPECT_EQ(control_->lastCloseKind, 2);

  link_->SetProtocol(daveProtoS7Online);
  link_->PortHandle = 1;     // S7 online opens its own access point all the same
  control_->openResult = 0;  // a valid access point handle
  link_->Connect();
  EXPECT_TRUE(link_->Active());
  EXPECT_STREQ(control_->portName, "COM3:");
  link_->Disconnect();
  EXPECT_EQ(control_->lastCloseKind, 3);
  EXPECT_EQ(control_->lastClosedHandle, 0);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(Connect, APortThatDoesNotOpenIsReportedAndLeavesLastError) {
  UseSocket();
  control_->openResult = -1;
  link_->Connect();
  EXPECT_FALSE(link_->Active());
  EXPECT_EQ(link_->LastError(), 0);
  EXPECT_EQ(control_->interfacesLive, 0);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0],
            "Error in function TNoDave.Connect: cannot open a connection to 127.0.0.1:45001");
}

TEST_F(Connect, AnAccessPointThatDoesNotOpenIsReportedWithTheLibrarysReason) {
  link_->SetProtocol(daveProtoS7Online);
  link_->SetCOMPort("S7ONLINE");
  control_->openResult = -1;
  control_->openError = -1061;
  link_->Connect();
  EXPECT_FALSE(link_->Active());
  EXPECT_EQ(link_->LastError(), 0);
  EXPECT_EQ(control_->interfacesLive, 0);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0],
            "Error in function TNoDave.Connect: cannot open the S7 online access point S7ONLINE: "
            "the PLC refused the request");
}

TEST_F(Connect, AFailureAtAnyStepReleasesWhatWasOpenedAndIsReported) {
  UseSocket();
  struct Step {
    void (*fail)(TFakeNoDaveControl&);
    int32_t lastError;
    int32_t adapterDisconnects;
  };
  const Step steps[] = {
      {[](TFakeNoDaveControl& c) { c.newInterfaceFails = true; }, 0, 0},
      {[](TFakeNoDaveControl& c) { c.initAdapterResult = 3; }, 3, 0},
      {[](TFakeNoDaveControl& c) { c.newConnectionFails = true; }, 0, 1},
      {[](TFakeNoDaveControl& c) { c.connectResult = 4; }, 4, 1},
  };
  for (const Step& step : steps) {
    *control_ = TFakeNoDaveControl();
    errors_.clear();
    step.fail(*control_);
    link_->Connect();
    EXPECT_FALSE(link_->Active());
    EXPECT_EQ(link_->LastError(), step.lastError);
    EXPECT_EQ(control_->portsOpened, 1);
    EXPECT_EQ(control_->adapterDisconnects, step.adapterDisconnects);
    EXPECT_EQ(control_->plcDisconnects, 0);
    ExpectNothingLeft();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].rfind("Error in function TNoDave.Connect: ", 0), 0u) << errors_[0];
  }
  EXPECT_EQ(errors_[0], "Error in function TNoDave.Connect: the PLC refused the request");
}

TEST_F(Connect, AThousandFailedConnectsLeaveNothingBehind) {
  UseSocket();
  control_->connectResult = 4;
  for (int i = 0; i < 1000; ++i) link_->Connect();
  EXPECT_EQ(control_->portsOpened, 1000);
  ExpectNothingLeft();
  EXPECT_EQ(errors_.size(), 1000u);
  EXPECT_TRUE(infos_.empty());
}

TEST_F(Connect, AConnectThatWorksAgainAfterFailuresIsReportedOnce) {
  UseSocket();
  control_->connectResult = 4;
  link_->Connect();
  link_->Connect();
  control_->connectResult = 0;
  link_->Connect();
  ASSERT_TRUE(link_->Active());
  ASSERT_EQ(infos_.size(), 1u);
  EXPECT_EQ(infos_[0], "Connected to the PLC again");
  link_->SetActive(false);
  link_->SetActive(true);
  EXPECT_EQ(infos_.size(), 1u);
}

TEST_F(CallbackPath, TheRecordCarriesTheLinksFunctionsTimeoutAndUserPointer) {
  transport_.answer = {0x55};
  link_->SetIntfTimeout(3000000);
  link_->SetDebug(0xFFFF);
  link_->Connect();
  ASSERT_TRUE(link_->Active());
  EXPECT_EQ(transport_.written, "INITCONN");
  ASSERT_NE(transport_.intf, nullptr);
  EXPECT_EQ(transport_.intf->timeout, 3000000);
  EXPECT_EQ(transport_.intf->rfd, 1);
  EXPECT_EQ(transport_.intf->wfd, 1);
  ASSERT_EQ(transport_.trace.size(), 2u);
  EXPECT_EQ(transport_.trace[0], "INIT\r\n");

  link_->SetIntfTimeout(10000000);  // changes the live record at once
  EXPECT_EQ(transport_.intf->timeout, 10000000);

  transport_.answer = {10, 255, 18};
  link_->ReadBytes(daveFlags, 0, 0, 3, nullptr);
  EXPECT_EQ(link_->LastError(), 0);
  EXPECT_EQ(link_->Buffer(), "0A FF 12");
  EXPECT_EQ(transport_.written, "INITCONNREAD");
}

TEST_F(CallbackPath, AnUnansweredConnectFailsWithTheLibrarysText) {
  link_->Connect();
  EXPECT_FALSE(link_->Active());
  EXPECT_EQ(link_->LastError(), kFakeNoAnswer);
  EXPECT_EQ(link_->LastErrMsg(), "the PLC did not answer");
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "Error in function TNoDave.Connect: the PLC did not answer");
  ExpectNothingLeft();
}

}  // namespace
