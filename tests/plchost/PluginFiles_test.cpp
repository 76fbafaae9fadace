#include <gtest/gtest.h>

#include <string>

#include "PlchostTestSupport.h"
#include "PluginFiles.h"
#include "nodave/NoDaveDyn.h"

namespace {

std::string Failure(const std::string& plugin) {
  try {
    plchost::CheckPluginFiles(plugin);
    return {};
  } catch (const plchost::EPluginFiles& error) {
    return error.what();
  }
}

TEST(PlchostPluginFiles, NamesTheMissingPluginOrProtocolLibrary) {
  plchost_test::TTestFolder folder;
  const std::string plugin = folder.File(plchost::kPluginFileName);
  EXPECT_EQ(Failure(plugin), "the plug-in " + plugin + " does not exist");
  folder.Write(plchost::kPluginFileName, "x");
  const std::string message = Failure(plugin);
  EXPECT_NE(message.find(std::string("protocol library ") + folder.File(kNoDaveLibraryName)),
            std::string::npos)
      << message;
  folder.Write(kNoDaveLibraryName, "x");
  EXPECT_EQ(Failure(plugin), "");
}

TEST(PlchostPluginFiles, LooksBesideTheProgramByDefault) {
  EXPECT_EQ(plchost::PluginPathOf("/x/y.so"), "/x/y.so");
  const std::string beside = plchost::PluginPathOf("");
  EXPECT_EQ(beside.substr(beside.size() - std::string(plchost::kPluginFileName).size()),
            plchost::kPluginFileName);
}

}  // namespace
