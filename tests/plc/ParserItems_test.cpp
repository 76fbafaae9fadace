// The parser items of the Siemens module: its PLC fields and the named values
// of the request tree.

#include <gtest/gtest.h>

#include <string>

#include "PlcTestSupport.h"
#include "plc/PluginDM_ParserItems.h"
#include "xml/pimXMLTree.h"

namespace {

using plctest::Tree;

std::string Listed(const std::string& requests) {
  TDataSourceCfg settings(nullptr);
  settings.lblParams_Caption = Tree(requests);
  TParserItemList items;
  AddPlcParserItems(items, &settings);
  return items.Render();
}

constexpr char kPlcLines[] =
    "Local address|LOCAL_ADDRESS|Integer|\r\nRemote address|REMOTE_ADDRESS|Integer|\r\n"
    "Memory area|AREA|Integer|\r\nData block|DATABLOCK|Integer|";

TEST(PlcParserItems, CountedItemsListEachNameAndSingleOnesThePlainName) {
  EXPECT_EQ(Listed("<Request caption=\"R\"><Response><Item><Name>V</Name><Count>3</Count>"
                   "</Item></Response></Request>"),
            std::string(kPlcLines) + "\r\nR (V0)|V0||0\r\nR (V1)|V1||0\r\nR (V2)|V2||0");
  EXPECT_EQ(Listed("<Request caption=\"R\"><Response><Item><Name>V</Name></Item></Response>"
                   "</Request>"),
            std::string(kPlcLines) + "\r\nR|V||0");
}

TEST(PlcParserItems, CountersFromOneWithoutAppendingAndEmptyNames) {
  EXPECT_EQ(Listed("<R><Response><Item><Name>A</Name><Count>2</Count><ZeroBaseCnt>0"
                   "</ZeroBaseCnt></Item><Item><Name>B</Name><Count>2</Count><AppendCnt>0"
                   "</AppendCnt></Item><Item><Name></Name></Item></Response></R>"),
            std::string(kPlcLines) +
                "\r\nRequest #1 (A1)|A1||0\r\nRequest #1 (A2)|A2||0\r\nRequest #1|B||0");
}

TEST(PlcParserItems, AMalformedTreeReachesTheCaller) {
  TDataSourceCfg settings(nullptr);
  settings.lblParams_Caption = Tree("<R/>") + "</x><y/>";
  TParserItemList items;
  EXPECT_THROW(AddPlcParserItems(items, &settings), EpimXMLError);
}

}  // namespace
