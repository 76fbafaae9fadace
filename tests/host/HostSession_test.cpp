#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostSession.h"
#include "HostTestSupport.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/Library.h"

// A whole instance life in the host's order, through the session class, with
// the host's message window and sink.

namespace {

using HostSession = host_test::TPluginTest;

int64_t AsInt(const TVariant& value) { return VarAsType(value, VarType::I8).Data().I8; }

TEST_F(HostSession, RunsAnInstanceInTheHostsOrder) {
  host_test::TRecordingSink sink;
  host::THostWindow window;
  std::vector<host::TLogLine> logged;
  {
    host::THostSession session(Library(), 12,
                               {&sink,
                                &window,
                                [&](const std::vector<host::TLogLine>& lines) {
                                  logged.insert(logged.end(), lines.begin(), lines.end());
                                },
                                {}});
    session.Create();
    EXPECT_EQ(session.Load({"", "", "", "EN"}), 0);

    const host::TCommandResult parent =
        session.Command("GET-MODULE-PARAMETER", {{"PARAM", TVariant::OfAnsi("ParentApp")}}, true);
    EXPECT_EQ(static_cast<uint32_t>(AsInt(parent.Result)),
              static_cast<uint32_t>(platform::ProgramModule()));
    const host::TCommandResult index =
        session.Command("GET-MODULE-PARAMETER", {{"PARAM", TVariant::OfAnsi("ModuleIndex")}}, true);
    EXPECT_EQ(AsInt(index.Result), 12);

    const host::TModuleInfo info = session.ModuleInfo();
    EXPECT_EQ(info.InterfaceVersion, 4u);
    EXPECT_NO_THROW(session.ParserItems());
    EXPECT_EQ(session.SetState("", 0x03, true), 0);
    EXPECT_EQ(session.Event("PORT-OPEN"), 0);
    const uint8_t received[] = {0x32, 0x03, 0x00};
    EXPECT_EQ(session.ProcessData(1, received, sizeof received), 0);

    // A request without data leaves a warning; the window fetches it.
    TPluginCallRec request = session.Record();
    host::THostParams params;
    request.Params = params.AsInterfaceRef();
    request.DataFlags = kDataRequest;
    EXPECT_EQ(Exports().ProcessData(&request), 0);
    EXPECT_TRUE(host_test::PumpUntil([&] { return !logged.empty(); }));

    EXPECT_EQ(session.Unload(), 0);
    EXPECT_EQ(session.Free(), 0);
  }
  ASSERT_FALSE(logged.empty());
  EXPECT_EQ(logged.back().Level, host::TLogLevel::Warning);
  EXPECT_NE(logged.back().Text.find("No data for processing"), std::string::npos);
}

TEST_F(HostSession, GoingUnloadsAndFreesALiveInstance) {
  uintptr_t instance = 0;
  {
    host::THostSession session(Library(), 13);
    session.Create();
    EXPECT_EQ(session.Load({}), 0);
    instance = session.Instance();
  }
  TPluginCallRec record = host::MakeCallRecord(instance);
  EXPECT_EQ(Exports().FreePluginInstance(&record), -1);
}

TEST_F(HostSession, ACreatedInstanceCannotBeCreatedAgain) {
  host::THostSession session(Library(), 14);
  session.Create();
  EXPECT_THROW(session.Create(), host::EHostSession);
}

}  // namespace
