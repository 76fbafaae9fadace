#include <gtest/gtest.h>

#include <stdexcept>

#include "NoDaveTestSupport.h"

namespace {

using Properties = nodave_test::LinkTest;

TEST_F(Properties, ANewLinkHasItsDefaultsAndIsInactive) {
  EXPECT_EQ(link_->Area(), daveDB);
  EXPECT_EQ(link_->DBNumber(), 1);
  EXPECT_EQ(link_->CPUSlot(), 2);
  EXPECT_EQ(link_->MPIRemote(), 2);
  EXPECT_EQ(link_->IPPort(), 102);
  EXPECT_EQ(link_->IntfTimeout(), 1500000);
  EXPECT_EQ(link_->COMPort(), "COM1:");
  EXPECT_EQ(link_->IntfName(), "IF1");
  EXPECT_EQ(link_->Protocol(), daveProtoMPI);
  EXPECT_FALSE(link_->Active());
  EXPECT_EQ(link_->LastError(), 0);
  EXPECT_EQ(link_->Buffer(), "");
  EXPECT_EQ(control_->debugFlags, 0);
}

TEST_F(Properties, ProtocolPresetsItsPortAndAreaKeepsTheBlockNumberMeaningful) {
  link_->SetIPPort(5);
  link_->SetProtocol(daveProtoMPI);
  EXPECT_EQ(link_->IPPort(), 5);
  link_->SetProtocol(daveProtoIBH);
  EXPECT_EQ(link_->IPPort(), 1099);
  link_->SetProtocol(daveProtoNLPro);
  EXPECT_EQ(link_->IPPort(), 7777);
  link_->SetProtocol(daveProtoISOTCP);
  EXPECT_EQ(link_->IPPort(), 102);

  link_->SetArea(daveInputs);
  EXPECT_EQ(link_->DBNumber(), 0);
  link_->SetArea(daveDB);
  EXPECT_EQ(link_->DBNumber(), 1);
  link_->SetDBNumber(7);
  link_->SetArea(daveDI);
  EXPECT_EQ(link_->DBNumber(), 7);
}

TEST_F(Properties, DebugOptionsReachTheLibraryAsFlagBits) {
  link_->SetDebugOptions(DebugFlag(daveDebugConnect) | DebugFlag(daveDebugPDU));
  EXPECT_EQ(control_->debugFlags, 0x0420);
  EXPECT_EQ(link_->DebugOptions(), 0x0420);
}

TEST_F(Properties, ThePublishedTableListsThePropertiesInOrderAndRefusesNonsense) {
  const TClassInfo& info = link_->ClassInfo();
  EXPECT_EQ(info.ClassName(), "TNoDaveEx");
  EXPECT_TRUE(info.InheritsFrom(TNoDave::StaticClassInfo()));
  const auto properties = info.Properties();
  ASSERT_EQ(properties.size(), 2u + 23u);
  EXPECT_EQ(properties[2]->Name, "Active");
  EXPECT_EQ(properties[24]->Name, "Protocol");
  EXPECT_EQ(info.FindProperty("Buffer")->Set, nullptr);
  EXPECT_EQ(info.FindProperty("LastErrMsg")->Set, nullptr);

  info.FindProperty("protocol")->Set(*link_, int32_t{daveProtoIBH});
  EXPECT_EQ(link_->Protocol(), daveProtoIBH);
  EXPECT_EQ(std::get<int32_t>(info.FindProperty("IPPort")->Get(*link_)), 1099);
  info.FindProperty("COMPort")->Set(*link_, std::string("COM4:"));
  EXPECT_EQ(link_->COMPort(), "COM4:");
  EXPECT_THROW(info.FindProperty("Area")->Set(*link_, int32_t{14}), std::out_of_range);
  EXPECT_THROW(info.FindProperty("Protocol")->Set(*link_, int32_t{-1}), std::out_of_range);
  EXPECT_EQ(link_->Protocol(), daveProtoIBH);

  info.FindProperty("Active")->Set(*link_, true);
  EXPECT_TRUE(link_->Active());
}

TEST_F(Properties, SettingsOfTheConnectionDisconnectAndOthersLeaveItUp) {
  UseSocket();
  link_->Connect();
  ASSERT_TRUE(link_->Active());
  link_->SetCOMPort("COM2:");  // not used by a socket protocol
  link_->SetDBNumber(3);
  EXPECT_TRUE(link_->Active());
  link_->SetIPPort(45002);
  EXPECT_FALSE(link_->Active());

  link_->Connect();
  link_->SetCPUSlot(3);
  EXPECT_FALSE(link_->Active());
  link_->Connect();
  link_->SetProtocol(daveProtoISOTCP243);
  EXPECT_FALSE(link_->Active());
  ExpectNothingLeft();
}

}  // namespace
