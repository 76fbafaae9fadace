// Module parameters and the paths a module derives from the host's settings.
#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "moxShared/Public/Common/moxVarConvert.h"

namespace {

std::unique_ptr<TmoxPlugin> MakeModule() { return TmoxPlugin::Create<TmoxPlugin>(nullptr, 0); }

std::string Text(const TVariant& value) { return VarToAnsi(value); }

}  // namespace

TEST(ModuleParams, KeysIgnoreCaseExceptTheIndexedAndCustomOnes) {
  auto module = MakeModule();
  EXPECT_TRUE(module->SetModuleParameter("LOGTITLE", TVariant::OfAnsi("Simatic")));
  EXPECT_EQ(Text(module->GetModuleParameter("logtitle")), "Simatic");
  EXPECT_EQ(module->GetModuleParameter("LogTitle").Type(), VarType::BStr);
  module->ParserItems().Parse("Desc|NAME|integer|", true);
  EXPECT_EQ(Text(module->GetModuleParameter("ParserItemName0")), "NAME");
  EXPECT_EQ(module->GetModuleParameter("ParserItemType0").Data().I4, pitInteger);
  EXPECT_EQ(module->GetModuleParameter("parseritemname0").Type(), VarType::Empty);
  EXPECT_EQ(module->GetModuleParameter("ParserItemName1").Type(), VarType::Empty);
  EXPECT_EQ(module->GetModuleParameter("ParserItemNamex").Type(), VarType::Empty);
  EXPECT_EQ(module->GetModuleParameter("NoSuchKey").Type(), VarType::Empty);
  EXPECT_FALSE(module->SetModuleParameter("NoSuchKey", TVariant::OfI4(1)));
  EXPECT_FALSE(module->SetModuleParameter("ModuleType", TVariant::OfAnsi("abc")));
  EXPECT_FALSE(module->SetModuleParameter("ModuleType", TVariant::Null()));
  EXPECT_TRUE(module->SetModuleParameter("ModuleType", TVariant::OfI4(0x103)));
  EXPECT_EQ(module->ModuleType, 3);
  EXPECT_TRUE(module->SetModuleParameter("ModuleType", TVariant()));  // Empty converts to 0
  EXPECT_EQ(module->ModuleType, 0);
}

TEST(ModuleParams, CustomParametersByNameIndexAndCount) {
  auto module = MakeModule();
  EXPECT_TRUE(module->SetModuleParameter("Custom_Speed", TVariant::OfI4(5)));
  EXPECT_TRUE(module->SetModuleParameter("Custom:Mode", TVariant::OfAnsi("fast")));
  EXPECT_TRUE(module->SetModuleParameter("Custom Three", TVariant::OfI4(3)));
  EXPECT_EQ(module->GetModuleParameter("Custom_Speed").Data().I4, 5);
  EXPECT_EQ(module->GetModuleParameter("CustomCOUNT").Data().I4, 3);
  EXPECT_TRUE(module->SetModuleParameter("Custom:5", TVariant::OfI4(9)));  // beyond: nothing
  EXPECT_EQ(module->GetModuleParameter("CustomCOUNT").Data().I4, 3);
  EXPECT_TRUE(module->SetModuleParameter("Custom:1", TVariant::OfAnsi("slow")));
  EXPECT_EQ(Text(module->GetModuleParameter("Custom_Mode")), "slow");
  EXPECT_EQ(module->GetModuleParameter("Custom_Missing").Type(), VarType::Null);
  EXPECT_EQ(module->GetModuleParameter("custom_Speed").Type(), VarType::Empty);
  EXPECT_FALSE(module->SetModuleParameter("Custom", TVariant::OfI4(1)));
  EXPECT_TRUE(module->SetModuleParameter("CustomCOUNT", TVariant()));
  EXPECT_EQ(module->GetModuleParameter("CustomCOUNT").Data().I4, 0);
}

TEST(ModuleParams, ConfigIdComesFromTheSectionPrefix) {
  auto module = MakeModule();
  module->IniSectionPrefix = "Plugin{Cfg:Main}Rest";
  EXPECT_EQ(module->ModuleConfigId(), "Main");
  module->IniSectionPrefix = "{Main}";
  EXPECT_EQ(module->ModuleConfigId(), "Main");
  module->IniSectionPrefix = "";
  EXPECT_EQ(module->ModuleConfigId(), "");
}

TEST(ModuleParams, DataPathsEndWithASeparatorAndHoldNoForbiddenCharacters) {
  auto module = MakeModule();
  module->RegistryPath = "Software\\Maker\\App\\My:App?\\Plugins";
  module->Description = "Siemens Simatic S5,S7\r\nsecond line";
  const std::string appData = module->AppDataPath();
  ASSERT_FALSE(appData.empty());
  EXPECT_NE(appData.find("My App "), std::string::npos);
  const std::string data = module->ModuleDataPath();
  EXPECT_EQ(data.rfind("Siemens Simatic S5,S7"), data.size() - 22);
  const char last = data.back();
  EXPECT_TRUE(last == '/' || last == '\\');
}

TEST(ModuleParams, CustomCommandsTextIsAppendedToTheList) {
  auto module = MakeModule();
  const std::string text = "a|b|c|1|0\r\n";
  EXPECT_TRUE(module->SetModuleParameter("CustomCommands", TVariant::OfAnsi(text)));
  EXPECT_TRUE(module->SetModuleParameter("CustomCommands", TVariant::OfAnsi(text)));
  EXPECT_EQ(Text(module->GetModuleParameter("CustomCommands")), text + text);
}
