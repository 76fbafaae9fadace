#include <gtest/gtest.h>

#include "NoDaveTestSupport.h"
#include "OurLibraryLayout.h"

namespace {

TEST(OurLibrary, LaysOutItsRecordsWhereTheLinkLooks) {
  const nodave_test::TLibraryLayout layout = nodave_test::OurLibraryLayout();
  EXPECT_EQ(layout.timeout, offsetof(TDaveInterfaceRecord, timeout));
  EXPECT_EQ(layout.readHandle, offsetof(TDaveInterfaceRecord, rfd));
  EXPECT_EQ(layout.writeHandle, offsetof(TDaveInterfaceRecord, wfd));
  EXPECT_EQ(layout.readFunc, offsetof(TDaveInterfaceRecord, readFunc));
  EXPECT_EQ(layout.writeFunc, offsetof(TDaveInterfaceRecord, writeFunc));
  EXPECT_EQ(layout.userData, offsetof(TDaveInterfaceRecord, userData));
  EXPECT_EQ(layout.debugFunc, offsetof(TDaveInterfaceRecord, debugFunc));
  EXPECT_EQ(layout.maxPDUlength, offsetof(TDaveConnectionRecord, maxPDUlength));
  EXPECT_EQ(layout.handlePairSize, sizeof(TDaveOSserialType));
}

TEST(OurLibrary, ExportsEveryEntryPointAndReportsAPeerThatIsNotThere) {
  SetNoDaveLibraryFolder(platform::ProgramFolder());
  std::vector<std::string> errors;
  {
    TNoDaveEx link;
    ASSERT_NE(NoDaveLibraryHandle(), 0u) << NoDaveLibraryFileName();
    for (const TNoDaveEntryBase* entry : NoDave().All) {
      EXPECT_TRUE(entry->Resolved()) << entry->Name();
    }
    link.OnError = [&](TNoDave&, const std::string& message) { errors.push_back(message); };
    link.SetProtocol(daveProtoISOTCP);
    link.SetIPAddress("127.0.0.1");
    link.SetIPPort(1);  // nothing listens there
    link.Connect();
    EXPECT_FALSE(link.Active());
  }
  SetNoDaveLibraryFolder(nodave_test::FakeFolder());
  EXPECT_EQ(errors, std::vector<std::string>{
                        "Error in function TNoDave.Connect: cannot open a connection to "
                        "127.0.0.1:1"});
}

}  // namespace
