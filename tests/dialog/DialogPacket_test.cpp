// GetOptionsDialog through the exports: the packet, the sizing protocol and
// the names a host may ask for, sound or not.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "platform/Resources.h"

namespace {

using dialog_test::kHeaderSize;
using dialog_test::SplitPacket;
using dialog_test::TDialogAnswer;
using dialog_test::TDialogPacket;

constexpr uintptr_t kUnknownInstance = 1;
constexpr uintptr_t kNoResources = 2;
constexpr uintptr_t kBufferTooSmall = 3;
constexpr char kGuard = '\xA5';

class DialogPacket : public dialog_test::TDialogTest {
 protected:
  // A buffer of `length` bytes holding `content`, followed by guard bytes
  // that the plug-in must leave alone.
  struct TGuardedBuffer {
    TGuardedBuffer(const std::string& content, size_t length) : Bytes(length + 64, kGuard) {
      Bytes.replace(0, content.size(), content);
      Length = length;
    }
    bool GuardIntact() const {
      return Bytes.find_first_not_of(kGuard, Length) == std::string::npos;
    }
    std::string Bytes;
    size_t Length;
  };

  TDialogAnswer AskWith(uintptr_t instance, TGuardedBuffer& buffer, int32_t claimed) {
    return Ask(instance, buffer.Bytes.data(), claimed);
  }

  std::string Resource(const char* name) {
    return std::string(platform::FindRcData(Library().Module(), name));
  }
};

TEST_F(DialogPacket, SizingProtocolAsksForTheSizeThenFillsAnExactBuffer) {
  const uintptr_t instance = Create();
  const TDialogAnswer size = Ask(instance, nullptr, 0);
  EXPECT_EQ(size.Kind, kSlotCount);
  EXPECT_EQ(size.Ptr, kBufferTooSmall);
  ASSERT_GT(size.Length, static_cast<int32_t>(kHeaderSize));

  // The buffer starts with an empty name: the default form.
  const std::string noName(1, '\0');
  TGuardedBuffer shortBuffer(noName, static_cast<size_t>(size.Length - 1));
  const TDialogAnswer tooSmall = AskWith(instance, shortBuffer, size.Length - 1);
  EXPECT_EQ(tooSmall.Ptr, kBufferTooSmall);
  EXPECT_EQ(tooSmall.Length, size.Length);
  EXPECT_EQ(shortBuffer.Bytes.find_first_not_of(kGuard, 1), std::string::npos) << "touched";

  TGuardedBuffer exact(noName, static_cast<size_t>(size.Length));
  const TDialogAnswer filled = AskWith(instance, exact, size.Length);
  EXPECT_EQ(filled.Kind, kSlotSize);
  EXPECT_EQ(filled.Length, 0);
  EXPECT_EQ(filled.Ptr, static_cast<uintptr_t>(size.Length));
  EXPECT_TRUE(exact.GuardIntact());
}

TEST_F(DialogPacket, HeaderPlacesFormExtraAndScriptBackToBack) {
  const std::string packet = FetchPacket(Create());
  const TDialogPacket parts = SplitPacket(packet);
  ASSERT_EQ(parts.Header.size(), 6u);
  const uint32_t formLength = parts.Header[1];
  const uint32_t scriptLength = parts.Header[5];
  EXPECT_EQ(parts.Header, (std::vector<uint32_t>{24, formLength, 24 + formLength, 0,
                                                 24 + formLength, scriptLength}));
  EXPECT_EQ(packet.size(), 24 + formLength + scriptLength);
  EXPECT_EQ(parts.Form, Resource("TFRMOPTION"));
  EXPECT_EQ(parts.Script, Resource("FORM_DATA"));
  EXPECT_EQ(parts.Form.substr(0, 4), "TPF0");
  EXPECT_EQ(Resource("FORM_NAME"), "TFRMOPTION");
}

TEST_F(DialogPacket, ScriptResourceIsGzipWithoutNameOrTimeAtTheHighestLevel) {
  const std::string script = DefaultPacket().Script;
  ASSERT_GE(script.size(), 18u);
  EXPECT_EQ(script.substr(0, 4), std::string("\x1f\x8b\x08\x00", 4)) << "no name, no flags";
  EXPECT_EQ(script.substr(4, 4), std::string(4, '\0')) << "no time";
  EXPECT_EQ(script[8], '\x02') << "highest compression";
}

TEST_F(DialogPacket, RequestedNameInAnyCaseGivesThatFormWithoutScript) {
  const uintptr_t instance = Create();
  const TDialogPacket parts = SplitPacket(FetchPacket(instance, "tfrmoption"));
  ASSERT_EQ(parts.Header.size(), 6u);
  EXPECT_EQ(parts.Form, Resource("TFRMOPTION"));
  EXPECT_TRUE(parts.Extra.empty());
  EXPECT_TRUE(parts.Script.empty()) << "there is no TFRMOPTION_CODE";
  EXPECT_EQ(parts.Header[4], kHeaderSize + parts.Form.size());
}

TEST_F(DialogPacket, NamesWithoutResourcesAnswerNoResources) {
  const uintptr_t instance = Create();
  for (const std::string& name :
       {std::string("NOSUCHFORM"), std::string("\x01\xff\x80\x7f", 4), std::string("#10"),
        std::string("#1"), std::string(" TFRMOPTION"), std::string("TFRMOPTION_CODE")}) {
    std::string buffer = name + '\0';
    const TDialogAnswer answer = Ask(instance, buffer.data(), static_cast<int32_t>(buffer.size()));
    EXPECT_EQ(answer.Kind, kSlotCount);
    EXPECT_EQ(answer.Ptr, kNoResources) << name;
    EXPECT_EQ(buffer, name + '\0') << "the name buffer is left alone";
  }
}

TEST_F(DialogPacket, NameFillingTheWholeBufferIsReadUpToItsLength) {
  const uintptr_t instance = Create();
  TGuardedBuffer unterminated("TFRMOPTION", 10);
  const TDialogAnswer answer = AskWith(instance, unterminated, 10);
  EXPECT_EQ(answer.Ptr, kBufferTooSmall);
  EXPECT_EQ(answer.Length, static_cast<int32_t>(kHeaderSize + Resource("TFRMOPTION").size()));
  EXPECT_TRUE(unterminated.GuardIntact());

  TGuardedBuffer cut("TFRMOPTION", 10);
  EXPECT_EQ(AskWith(instance, cut, 3).Ptr, kNoResources) << "only TFR is the name";
}

TEST_F(DialogPacket, LengthsThatLieAreNotTrustedBeyondWhatTheyClaim) {
  const uintptr_t instance = Create();
  TGuardedBuffer negative("TFRMOPTION", 10);
  const TDialogAnswer fromNegative = AskWith(instance, negative, -5);
  EXPECT_EQ(fromNegative.Ptr, kBufferTooSmall) << "no name: the default form";
  EXPECT_EQ(negative.Bytes.substr(0, 10), "TFRMOPTION");
  EXPECT_TRUE(negative.GuardIntact());

  const TDialogAnswer noBuffer = Ask(instance, nullptr, 1 << 30);
  EXPECT_EQ(noBuffer.Ptr, kBufferTooSmall) << "a length without a buffer holds nothing";
  EXPECT_GT(noBuffer.Length, static_cast<int32_t>(kHeaderSize));
}

TEST_F(DialogPacket, NoRecordAndUnknownInstanceAreAnsweredSafely) {
  Exports().GetOptionsDialog(nullptr);
  char buffer[16] = "TFRMOPTION";
  const TDialogAnswer unknown = Ask(0x12345, buffer, sizeof buffer);
  EXPECT_EQ(unknown.Kind, kSlotCount);
  EXPECT_EQ(unknown.Length, 0);
  EXPECT_EQ(unknown.Ptr, kUnknownInstance);
  EXPECT_EQ(Ask(0, buffer, sizeof buffer).Ptr, kUnknownInstance);
  EXPECT_STREQ(buffer, "TFRMOPTION");
}

}  // namespace
