// Damaged or hostile stored data: no crash, the defaults stay, nothing else is lost.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string_view>

#include "SettingsTestSupport.h"
#include "settings/TWregMapLine.h"
#include "settings/TWregistry.h"

namespace {

using namespace settings_test;

class BadInput : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string ini_ = folder_.File("bad.ini");
};

// A key that is there but holds no number reads as 0; a key that is missing or
// cut off keeps the default.
TEST_F(BadInput, TruncatedFileKeepsTheDefaultsOfWhatIsMissingAndReadsNoNumberAsZero) {
  WriteFile(ini_, "[Common]\r\nLeft=12\r\nTop=\r\nHeight=4x\r\nProto=0x\r\nMin interval=1.\r\nWid");
  TTestSettings settings;
  EXPECT_TRUE(MakeStore(ini_, "")->LoadValues(&settings));
  EXPECT_EQ(settings.Left, 12);
  EXPECT_EQ(settings.Top, 0);
  EXPECT_EQ(settings.Height, 0);
  EXPECT_EQ(settings.comboProto_ItemIndex, 0);
  EXPECT_EQ(settings.spMinInt_Value, 1.0);  // "1." is a number
  EXPECT_EQ(settings.Width, 481);
}

TEST_F(BadInput, BinaryFileIsReadAndRewrittenWithoutLoss) {
  std::mt19937 random(42);
  std::string junk(size_t{65536}, '\0');
  for (char& c : junk) c = static_cast<char>(random());
  junk[100] = '\0';
  WriteFile(ini_, junk + "\r\n[Common]\r\nLeft=55\r\nParser config=x%00y\r\n");
  TTestSettings settings;
  EXPECT_TRUE(MakeStore(ini_, "")->LoadValues(&settings));
  EXPECT_EQ(settings.Left, 55);
  EXPECT_EQ(settings.lblParams_Caption, std::string("x\0y", 3));

  settings.Top = 1;
  EXPECT_TRUE(MakeStore(ini_, "")->SaveValues(&settings));
  TTestSettings reloaded;
  EXPECT_TRUE(MakeStore(ini_, "")->LoadValues(&reloaded));
  EXPECT_EQ(reloaded.Top, 1);
  EXPECT_EQ(reloaded.lblParams_Caption, settings.lblParams_Caption);
  // The junk lines are still there, apart from line ends and blank edges.
  const std::string text = ReadFile(ini_);
  size_t start = 0;
  int lost = 0;
  while (start < junk.size()) {
    const size_t end = std::min(junk.find_first_of("\r\n", start), junk.size());
    const std::string_view line = TrimControls(std::string_view(junk).substr(start, end - start));
    if (line.find('=') == std::string_view::npos && text.find(line) == std::string::npos) ++lost;
    start = end + 1;
  }
  EXPECT_EQ(lost, 0);
}

TEST_F(BadInput, BrokenEscapesAndInvalidUtf8LoadAsTheirBytes) {
  WriteFile(ini_,
            "[Common]\r\nParser config=50%+%4\r\nOpen files dir=%C3%28%FF\r\n"
            "Save files dir=%%%\r\n");
  TTestSettings settings;
  EXPECT_TRUE(MakeStore(ini_, "")->LoadValues(&settings));
  EXPECT_EQ(settings.lblParams_Caption, "50% %4");
  EXPECT_EQ(settings.OpenDialog_FileName, "\xC3(\xFF");
  EXPECT_EQ(settings.SaveDialog_FileName, "%%");
}

TEST_F(BadInput, MegabyteValuesRoundTripBesideTheOthers) {
  TTestSettings saved;
  saved.lblParams_Caption.assign(4 << 20, 'v');
  saved.lblParams_Caption[12345] = '\n';
  saved.Left = 3;
  EXPECT_TRUE(MakeStore(ini_, "")->SaveValues(&saved));
  TTestSettings loaded;
  EXPECT_TRUE(MakeStore(ini_, "")->LoadValues(&loaded));
  EXPECT_EQ(loaded.lblParams_Caption, saved.lblParams_Caption);
  EXPECT_EQ(loaded.Left, 3);
  EXPECT_EQ(loaded.comboProto_ItemIndex, 2);
}

TEST_F(BadInput, UnwritableFileMakesTheSaveFail) {
  TTestSettings settings;
  // A folder where the file should be: the INI file cannot be written.
  EXPECT_FALSE(MakeStore(folder_.File("") + ".", "")->SaveValues(&settings));
}

}  // namespace
