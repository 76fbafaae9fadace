// The RT_RCDATA lookup of the service layer on this test program's own
// resources.

#include <gtest/gtest.h>

#include <string>

#include "platform/Library.h"
#include "platform/Resources.h"

namespace {

void FunctionOfThisProgram() {}

TEST(Resources, FoundByNameInAnyLetterCase) {
  const platform::ModuleHandle program = platform::ProgramModule();
  const std::string_view source = platform::FindRcData(program, "DIALOG_SCRIPT_SOURCE");
  ASSERT_FALSE(source.empty());
  EXPECT_NE(source.find("procedure FormCreate"), std::string::npos);
  EXPECT_EQ(platform::FindRcData(program, "dialog_script_source"), source);
  EXPECT_EQ(platform::FindRcDataOfAddress(reinterpret_cast<const void*>(&FunctionOfThisProgram),
                                          "Dialog_Script_Source"),
            source);
}

TEST(Resources, UnknownNamesNumbersAndNoModuleFindNothing) {
  const platform::ModuleHandle program = platform::ProgramModule();
  for (const char* name :
       {"", "#1", "#10", "DIALOG_SCRIPT", "DIALOG_SCRIPT_SOURCE ", "FORM_DATA"}) {
    EXPECT_TRUE(platform::FindRcData(program, name).empty()) << name;
  }
  EXPECT_TRUE(platform::FindRcData(0, "DIALOG_SCRIPT_SOURCE").empty());
  EXPECT_TRUE(platform::FindRcDataOfAddress(nullptr, "DIALOG_SCRIPT_SOURCE").empty());
}

}  // namespace
