// The script resource "FORM_DATA" unpacked: its three sections, and the
// dialog script's syntax tree with its declarations, procedures, the steps of
// FormCreate and the request tree definition.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "FormStreamReader.h"
#include "Gunzip.h"
#include "ScriptTree.h"
#include "XmlWellFormed.h"
#include "platform/Library.h"
#include "platform/Resources.h"
#include "plc/PluginDM_Settings.h"
#include "resources/SettingsMapLines.h"
#include "settings/moxStringHolder.h"
#include "xml/pimXMLTree.h"

namespace {

const std::string kSeparator = "\r\n\r\n<=======>\r\n\r\n";

// The three sections of the script resource, split at the separators.
std::vector<std::string> Sections(const std::string& text) {
  std::vector<std::string> sections;
  size_t start = 0;
  for (size_t found = text.find(kSeparator); found != std::string::npos;
       found = text.find(kSeparator, start)) {
    sections.push_back(text.substr(start, found - start));
    start = found + kSeparator.size();
  }
  sections.push_back(text.substr(start));
  return sections;
}

// One line of the request tree definition, split into its fields.
struct TDefinitionLine {
  int Depth;
  std::string Element, Caption, Kind, Range, Default;
  bool operator==(const TDefinitionLine& other) const {
    return Depth == other.Depth && Element == other.Element && Caption == other.Caption &&
           Kind == other.Kind && Range == other.Range && Default == other.Default;
  }
};

std::ostream& operator<<(std::ostream& out, const TDefinitionLine& line) {
  return out << line.Depth << " " << line.Element << "~" << line.Caption << "~" << line.Kind << "~"
             << line.Range << "~" << line.Default;
}

std::vector<TDefinitionLine> DefinitionLines(const std::string& definition) {
  std::vector<TDefinitionLine> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = definition.find("\r\n", start);
    const std::string line = definition.substr(start, end - start);
    TDefinitionLine parsed{static_cast<int>(line.find_first_not_of(' ')), "", "", "", "", ""};
    std::string* fields[] = {&parsed.Element, &parsed.Caption, &parsed.Kind, &parsed.Range,
                             &parsed.Default};
    size_t field = 0;
    for (const char c : line.substr(static_cast<size_t>(parsed.Depth))) {
      if (c == '~') {
        if (++field == 5) break;
      } else {
        fields[field]->push_back(c);
      }
    }
    lines.push_back(parsed);
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

class DialogScript : public dialog_test::TDialogTest {
 protected:
  void SetUp() override {
    TDialogTest::SetUp();
    if (IsSkipped()) return;
    const dialog_test::TDialogPacket packet = DefaultPacket();
    FText = Gunzip(packet.Script);
    FForm = ReadFormStream(packet.Form);
    FSections = Sections(FText);
    ASSERT_EQ(FSections.size(), 3u);
    FTree.ParseText(FSections[0]);
    FProgram = FTree.FindNode("program");
    ASSERT_NE(FProgram, nullptr);
  }

  const TpimXMLNode& Procedure(const std::string& name) const {
    for (const TpimXMLNode* procedure : ChildrenOf(*FProgram, "procedure")) {
      if (AttributeOf(*ChildrenOf(*procedure, "name").at(0), "text") == name) return *procedure;
    }
    throw EScriptTree("no procedure " + name);
  }

  // The rendered statements of a procedure's body.
  std::vector<std::string> Body(const std::string& name) const {
    std::vector<std::string> statements;
    for (const TpimXMLNode* statement :
         ChildrenOf(*ChildrenOf(Procedure(name), "compoundstmt").at(0))) {
      statements.push_back(Render(*statement));
    }
    return statements;
  }

  // What the script's names stand for: the menu items' captions from the
  // form, the constants, CRLF and the colour.
  std::map<std::string, std::string> Names() const {
    std::map<std::string, std::string> names = {{"CRLF", "\r\n"},
                                                {"IntToHex(clBlack, 6)", "000000"}};
    for (const TpimXMLNode* constant : ChildrenOf(*FProgram, "const")) {
      names[AttributeOf(*constant->FindNode("ident"), "text")] =
          Evaluate(*constant->FindNode("expr"), {});
    }
    for (const TStreamComponent& menu : FForm.Children) {
      for (const TStreamComponent& item : menu.Children) {
        names[item.Name + ".Caption"] = item.Has("Caption") ? item.Property("Caption").Text : "";
      }
    }
    return names;
  }

  // The expression assigned to `target` inside FormCreate's Sender branch.
  const TpimXMLNode& AssignedIn(const TpimXMLNode& block, const std::string& target) const {
    for (const TpimXMLNode* statement : ChildrenOf(block, "assignstmt")) {
      if (Render(*statement->FindNode("dsgn")) == target) return *ChildrenOf(*statement, "expr")[0];
    }
    throw EScriptTree("no assignment to " + target);
  }

  const TpimXMLNode& SenderBranch() const {
    const TpimXMLNode& body = *ChildrenOf(Procedure("FormCreate"), "compoundstmt").at(0);
    const TpimXMLNode& branch = *ChildrenOf(body, "ifstmt").at(0)->FindNode("thenstmt");
    return *ChildrenOf(branch, "compoundstmt").at(0);
  }

  std::string FText;
  TStreamComponent FForm;
  std::vector<std::string> FSections;
  TpimXMLTree FTree;
  const TpimXMLNode* FProgram = nullptr;
};

TEST_F(DialogScript, SectionsAreScriptFormNameAndPropertyMap) {
  EXPECT_EQ(FSections[0].rfind("<?xml version=\"1.0\"?><program>", 0), 0u);
  EXPECT_EQ(FSections[0].find_first_of("\r\n"), std::string::npos) << "no line break inside";
  const std::string end = "<types></types></program>";
  EXPECT_EQ(FSections[0].substr(FSections[0].size() - end.size()), end);
  EXPECT_EQ(FSections[1], "TFRMOPTION");
  std::string map;
  for (const char* line : kSettingsMapLines) map += std::string(line) + "\r\n";
  EXPECT_EQ(FSections[2], map);
  EXPECT_EQ(FText, FSections[0] + kSeparator + "TFRMOPTION" + kSeparator + map);
}

TEST_F(DialogScript, ScriptIsWellFormedXml) {
  EXPECT_EQ(XmlWellFormedError(FSections[0]), "");
  std::vector<std::string> kinds;
  for (const TpimXMLNode* child : ChildrenOf(*FProgram)) kinds.push_back(child->Name());
  std::vector<std::string> expected(60, "var");
  expected.insert(expected.end(), {"procedure", "procedure", "const", "const", "procedure",
                                   "procedure", "compoundstmt", "types"});
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(ChildrenOf(*FProgram, "compoundstmt")[0]->ChildCount(), 0u) << "empty main block";
  EXPECT_EQ(ChildrenOf(*FProgram, "types")[0]->ChildCount(), 0u);
}

TEST_F(DialogScript, VariablesNameEveryComponentWithItsClassThenTheEditor) {
  std::vector<std::pair<std::string, std::string>> declared;
  for (const TpimXMLNode* variable : ChildrenOf(*FProgram, "var")) {
    declared.emplace_back(AttributeOf(*variable->FindNode("ident"), "text"),
                          AttributeOf(*variable->FindNode("type"), "text"));
  }
  std::vector<std::pair<std::string, std::string>> expected;
  std::function<void(const TStreamComponent&)> collect = [&](const TStreamComponent& parent) {
    for (const TStreamComponent& child : parent.Children) {
      expected.emplace_back(child.Name, child.ClassName);
      collect(child);
    }
  };
  collect(FForm);
  expected.emplace_back("propTree", "TVirtualParamTreeviewEx");
  EXPECT_EQ(declared, expected);
}

TEST_F(DialogScript, ProceduresTakeSenderAndDoTheirSteps) {
  const std::vector<std::string> procedures = {"btnCancelClick", "btnOKClick", "FormCreate",
                                               "FormDestroy"};
  for (const std::string& name : procedures) {
    const TpimXMLNode& parameters = *ChildrenOf(Procedure(name), "parameters").at(0);
    ASSERT_EQ(parameters.ChildCount(), 1u) << name;
    EXPECT_EQ(AttributeOf(*parameters.FindNode("ident"), "text"), "Sender");
    EXPECT_EQ(AttributeOf(*parameters.FindNode("type"), "text"), "TObject");
  }
  EXPECT_EQ(Body("btnCancelClick"), (std::vector<std::string>{"propTree.CancelEdit", "Hide"}));
  EXPECT_EQ(Body("btnOKClick"), (std::vector<std::string>{"propTree.CancelEdit", "Hide",
                                                          "lblParams.Caption := propTree.AsText"}));
  EXPECT_EQ(Body("FormDestroy"),
            (std::vector<std::string>{"if propTree <> nil then FreeVirtualParamTreeview(propTree)",
                                      "propTree := nil"}));
  std::vector<std::string> locals;
  for (const TpimXMLNode* variable : ChildrenOf(Procedure("FormCreate"), "var")) {
    locals.push_back(AttributeOf(*variable->FindNode("ident"), "text") + ": " +
                     AttributeOf(*variable->FindNode("type"), "text"));
  }
  EXPECT_EQ(locals,
            (std::vector<std::string>{"aPlugin: TmoxPlugin", "res: String", "CRLF: String"}));
}

TEST_F(DialogScript, ConstantsSeparateValueListEntries) {
  const std::map<std::string, std::string> names = Names();
  EXPECT_EQ(names.at("PARAM_OPTION_VALUE_SEP"), "==");
  EXPECT_EQ(names.at("PARAM_OPTION_LIST_SEP"), "||");
}

TEST_F(DialogScript, FormCreateSetsUpTheEditorOnlyWithASender) {
  const std::vector<std::string> body = Body("FormCreate");
  ASSERT_EQ(body.size(), 5u);
  EXPECT_EQ(body[0], "aPlugin := Owner");
  EXPECT_EQ(body[1], "CRLF := LineEnding");
  EXPECT_EQ(body[2], "propTree := nil");
  EXPECT_EQ(body[3].rfind("if Sender <> nil then begin propTree := CreateVirtualParamTreeview(", 0),
            0u);
  EXPECT_NE(body[3].find(" end else LoadPluginConfigForm(Self)"), std::string::npos);
  EXPECT_EQ(body[4], "if propTree <> nil then propTree.AsText := lblParams.Caption")
      << "a form made without a sender has no editor";

  std::vector<std::string> steps;
  for (const TpimXMLNode* statement : ChildrenOf(SenderBranch())) {
    const std::string text = Render(*statement);
    if (text.find("Caption :=") == std::string::npos || text.rfind("if ", 0) == 0) {
      steps.push_back(text);
    }
  }
  ASSERT_EQ(steps.size(), 6u);
  EXPECT_EQ(steps[0].rfind("propTree := CreateVirtualParamTreeview(Self, pan1, ", 0), 0u);
  EXPECT_EQ(steps[1], "InitPluginConfigForm(Self, [ifoCloseForm, ifoStdControls])");
  EXPECT_EQ(steps[2], "propTree.HelpContext := 1");
  EXPECT_EQ(steps[3],
            "if aPlugin.CallEvent('GetMemoryTypeList', [0], res) then MemoryTypeList.Caption := "
            "res");
  EXPECT_EQ(steps[4], "TButton(FindComponent('btnOK')).OnClick := @btnOKClick");
  EXPECT_EQ(steps[5], "TButton(FindComponent('btnCancel')).OnClick := @btnCancelClick");
}

TEST_F(DialogScript, ValueListsJoinCaptionsAndStoredValues) {
  const std::map<std::string, std::string> names = Names();
  EXPECT_EQ(Evaluate(AssignedIn(SenderBranch(), "PollUnitList.Caption"), names),
            "Millisecond==MS||Second==S||Minute==M||Hour==H");
  EXPECT_EQ(Evaluate(AssignedIn(SenderBranch(), "DataTypeList.Caption"), names),
            "Decimal, 8 bit==D8||Decimal, 16 bit==D16||Decimal, 32 bit==D32||"
            "Decimal, 64 bit==D64||Single precision float, 32 bit==F32||"
            "Double precision float, 64 bit==F64||String (zero ended)==S||"
            "Bit (coil status)==BIT");
}

TEST_F(DialogScript, TreeEditorGetsTheHeaderAndTheDefinitionLinesInOrder) {
  const TpimXMLNode& call = *AssignedIn(SenderBranch(), "propTree").FindNode("dsgn");
  const std::vector<const TpimXMLNode*> arguments = ChildrenOf(call, "expr");
  ASSERT_EQ(arguments.size(), 4u);
  const std::map<std::string, std::string> names = Names();
  EXPECT_EQ(Evaluate(*arguments[2], names),
            "propTree~Requests queue~RootNodeName,MODBUSRTUQUERY,Panel,OpenSave");
  const std::vector<TDefinitionLine> expected = {
      {0, "Request", "@MsgReq", "dtCategory,Editable", "", ""},
      {1, "Enabled", "@MsgSendReq", "dtCheckbox", "", "2"},
      {1, "Area", "@MsgFunc", "dtComboDropDownValuesList", "@MemoryTypeList", "8"},
      {1, "Datablock", "@TxtDatablock", "dtInteger", "0,65535", "0"},
      {1, "Offset", "@MsgDataAddress", "dtInteger", "-0,65535", "-0"},
      {1, "Size", "@MsgRegRead", "dtInteger", "1,65535", "1"},
      {1, "Timeout", "@MsgReqTimeout", "dtInteger", "1,65535", "3000"},
      {1, "RequestMethod", "@MsgReqMethod", "dtCategory", "", ""},
      {2, "MethodOnce", "@MsgMOnce", "dtCheckbox,RadioButton", "", "2"},
      {2, "MethodPoll", "@MsgPolling", "dtCheckbox,RadioButton", "", "0"},
      {3, "PollInterval", "@MsgPollInt", "dtInteger", "1,655350", "1000"},
      {3, "PollUnits", "@MsgPollUnits", "dtComboDropDownValuesList", "@PollUnitList", "MS"},
      {1, "Response", "@MsgResponseItems", "dtCategory,Optional", "F0F0F0,000000", ""},
      {2, "Item", "@MsgResponseItem", "dtCategory,Editable,Repeatable", "F0F0F0,000000", ""},
      {3, "Name", "@MsgName", "dtUpperCase", "", "ITEM"},
      {3, "Offset", "@MsgOffset", "dtInteger", "-1,65535", "-1"},
      {3, "Count", "@MsgCount", "dtInteger", "1,65535", "1"},
      {3, "AppendCnt", "@MsgAppendCnt", "dtCheckbox", "", "2"},
      {4, "ZeroBaseCnt", "@MsgZeroBaseCnt", "dtCheckbox", "", "0"},
      {3, "DataType", "@MsgDataType", "dtComboDropDownValuesList", "@DataTypeList", "D8"},
      {3, "LE", "@MsgLE", "dtCheckbox", "", "0"},
      {3, "Unsigned", "@MsgUnsigned", "dtCheckbox", "", "2"},
      {3, "Swapped", "@MsgSwapped", "dtCheckbox", "", "2"},
      {3, "Default", "@MsgDefault", "dtString", "", "0"},
      {3, "Scale", "@MsgScale", "dtExtended", "", "1"},
  };
  const std::string definition = Evaluate(*arguments[3], names);
  EXPECT_EQ(DefinitionLines(definition), expected);
  EXPECT_EQ(definition.find("~\r\n"), std::string::npos) << "no trailing empty fields";
  EXPECT_NE(definition.substr(definition.size() - 2), "\r\n");
  for (const TDefinitionLine& line : expected) {
    EXPECT_EQ(names.count(line.Caption.substr(1) + ".Caption"), 1u) << line.Caption;
  }
}

TEST_F(DialogScript, PositionsPointAtTheirPlaceInTheScriptSource) {
  const std::string source(platform::FindRcData(platform::ProgramModule(), "DIALOG_SCRIPT_SOURCE"));
  ASSERT_FALSE(source.empty());
  std::vector<size_t> lineStarts = {0};
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] == '\n') lineStarts.push_back(i + 1);
  }
  size_t checked = 0;
  std::function<void(const TpimXMLNode&)> check = [&](const TpimXMLNode& node) {
    for (const TpimXMLNode* child : ChildrenOf(node)) check(*child);
    if (node.Name() == "program" || node.Name() == "types") {
      EXPECT_EQ(node.AttributeCount(), 0u);
      return;
    }
    size_t line = 0;
    size_t column = 0;
    ASSERT_EQ(std::sscanf(AttributeOf(node, "pos").c_str(), "%zu:%zu", &line, &column), 2)
        << node.Name();
    ASSERT_TRUE(line >= 1 && line <= lineStarts.size() && column >= 1) << node.Name();
    if (node.Name() == "expr") {
      EXPECT_FALSE(AttributeOf(node, "pos1").empty());
    }
    const std::string text = AttributeOf(node, "text");
    if (text.empty()) return;
    EXPECT_EQ(source.compare(lineStarts[line - 1] + column - 1, text.size(), text), 0)
        << node.Name() << " " << text << " at " << line << ":" << column;
    ++checked;
  };
  check(*FProgram);
  EXPECT_GT(checked, 300u);
}

}  // namespace
