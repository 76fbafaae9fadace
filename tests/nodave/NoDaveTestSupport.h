#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FakeNoDaveControl.h"
#include "nodave/NoDaveComponent.h"
#include "platform/Library.h"

namespace nodave_test {

// A folder of the stand-in libraries, beside the test executable.
inline std::string FakeFolder(std::string relative = NODAVE_FAKE_FOLDER) {
  std::replace(relative.begin(), relative.end(), '/', platform::kPathSeparator);
  return platform::ProgramFolder() + platform::kPathSeparator + relative;
}

// The loaded stand-in's controls; null when it is not loaded.
inline TFakeNoDaveControl* FakeControl() {
  auto control = reinterpret_cast<TFakeNoDaveControlFunc>(
      platform::FindExport(NoDaveLibraryHandle(), "fakeNoDaveControl"));
  return control != nullptr ? control() : nullptr;
}

// One link on the stand-in library, with its events collected.
class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNoDaveLibraryFolder(FakeFolder());
    link_ = std::make_unique<TNoDaveEx>();
    control_ = FakeControl();
    ASSERT_NE(control_, nullptr) << NoDaveLibraryFileName();
    *control_ = TFakeNoDaveControl();
    link_->OnError = [this](TNoDave&, const std::string& message) { errors_.push_back(message); };
    link_->OnInfo = [this](TNoDave&, const std::string& message) { infos_.push_back(message); };
  }

  void TearDown() override {
    link_.reset();
    EXPECT_EQ(NoDaveLoadCount(), 0);
    SetNoDaveLibraryFolder(FakeFolder());
  }

  // A link that connects through the loopback path (a socket protocol).
  void UseSocket() {
    link_->SetProtocol(daveProtoISOTCP);
    link_->SetIPAddress("127.0.0.1");
    link_->SetIPPort(45001);
  }

  // Everything a connect opened has been released again.
  void ExpectNothingLeft() const {
    EXPECT_EQ(control_->portsOpened, control_->portsClosed);
    EXPECT_EQ(control_->interfacesLive, 0);
    EXPECT_EQ(control_->connectionsLive, 0);
    EXPECT_EQ(control_->unknownFrees, 0);
  }

  std::unique_ptr<TNoDaveEx> link_;
  TFakeNoDaveControl* control_ = nullptr;
  std::vector<std::string> errors_;
  std::vector<std::string> infos_;
};

}  // namespace nodave_test
