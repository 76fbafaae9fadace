#include "nodave/NoDaveDyn.h"

#include <gtest/gtest.h>

#include "NoDaveTestSupport.h"

namespace {

using nodave_test::FakeFolder;

class Binding : public ::testing::Test {
 protected:
  void SetUp() override { SetNoDaveLibraryFolder(FakeFolder()); }
  void TearDown() override { SetNoDaveLibraryFolder(FakeFolder()); }
};

TEST_F(Binding, TheFirstLinkLoadsTheLibraryAndTheLastReleasesIt) {
  auto first = std::make_unique<TNoDave>();
  const platform::ModuleHandle loaded = NoDaveLibraryHandle();
  ASSERT_NE(loaded, 0u);
  auto second = std::make_unique<TNoDaveEx>();
  EXPECT_EQ(NoDaveLoadCount(), 2);
  EXPECT_EQ(NoDaveLibraryHandle(), loaded);
  for (const TNoDaveEntryBase* entry : NoDave().All)
    EXPECT_TRUE(entry->Resolved()) << entry->Name();
  EXPECT_EQ(NoDave().All.size(), 17u);

  first.reset();
  EXPECT_NE(NoDaveLibraryHandle(), 0u);
  second.reset();
  EXPECT_EQ(NoDaveLoadCount(), 0);
  EXPECT_EQ(NoDaveLibraryHandle(), 0u);
  EXPECT_FALSE(NoDave().daveReadBytes.Resolved());

  TNoDave third;
  EXPECT_NE(NoDaveLibraryHandle(), 0u);
  EXPECT_TRUE(NoDave().daveReadBytes.Resolved());
}

TEST_F(Binding, TheFolderGivesTheFileNameAndAnUnmatchedReleaseChangesNothing) {
  SetNoDaveLibraryFolder("");
  EXPECT_EQ(NoDaveLibraryFileName(), kNoDaveLibraryName);
  const std::string folder = std::string("plugins") + platform::kPathSeparator;
  SetNoDaveLibraryFolder(folder);
  EXPECT_EQ(NoDaveLibraryFileName(), folder + kNoDaveLibraryName);
  SetNoDaveLibraryFolder("plugins");
  EXPECT_EQ(NoDaveLibraryFileName(), folder + kNoDaveLibraryName);

  UnloadNoDave();
  EXPECT_EQ(NoDaveLoadCount(), 0);
}

TEST_F(Binding, WithoutTheLibraryALinkIsMadeAndConfiguredButItsConnectReportsWhy) {
  SetNoDaveLibraryFolder(FakeFolder("no-such-folder"));
  std::vector<std::string> errors;
  {
    TNoDaveEx link;
    EXPECT_EQ(NoDaveLibraryHandle(), 0u);
    link.OnError = [&](TNoDave&, const std::string& message) { errors.push_back(message); };
    link.SetProtocol(daveProtoISOTCP);
    link.SetDebug(0xFFFF);
    link.SetActive(true);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.LastErrMsg(), "");
  }
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].rfind("Error in function TNoDave.SetDebug: the protocol library ", 0), 0u);
  EXPECT_EQ(errors[1].rfind("Error in function TNoDave.Connect: the protocol library ", 0), 0u);
  EXPECT_NE(errors[1].find("is not loaded"), std::string::npos) << errors[1];
}

TEST_F(Binding, AMissingEntryPointFailsOnlyTheCallsThatNeedIt) {
  SetNoDaveLibraryFolder(FakeFolder(NODAVE_FAKE_PARTIAL_FOLDER));
  std::vector<std::string> errors;
  TNoDaveEx link;
  ASSERT_NE(NoDaveLibraryHandle(), 0u);
  EXPECT_FALSE(NoDave().daveReadBytes.Resolved());
  link.OnError = [&](TNoDave&, const std::string& message) { errors.push_back(message); };
  link.PortHandle = 1;
  link.Connect();
  ASSERT_TRUE(link.Active());

  uint8_t buffer[4];
  link.ReadBytes(daveDB, 1, 0, 4, buffer);
  EXPECT_EQ(link.LastError(), TNoDave::kNoLibraryCall);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("Error in function TNoDave.DoReadBytes: "), std::string::npos);
  EXPECT_NE(errors[0].find("has no entry point daveReadBytes"), std::string::npos) << errors[0];
}

TEST_F(Binding, ADisconnectThatCannotCloseThePortIsReportedAndLeavesTheLinkInactive) {
  SetNoDaveLibraryFolder(FakeFolder(NODAVE_FAKE_PARTIAL_FOLDER));
  std::vector<std::string> errors;
  TNoDaveEx link;
  link.OnError = [&](TNoDave&, const std::string& message) { errors.push_back(message); };
  link.Connect();  // opens its serial port
  ASSERT_TRUE(link.Active());
  link.Disconnect();
  EXPECT_FALSE(link.Active());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Error in function TNoDave.Disconnect: ", 0), 0u);
  EXPECT_NE(errors[0].find("has no entry point closePort"), std::string::npos) << errors[0];
  EXPECT_EQ(nodave_test::FakeControl()->interfacesLive, 0);
}

}  // namespace
