#include "ScriptTree.h"

namespace {

std::string Joined(const std::vector<std::string>& parts, const std::string& separator) {
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? separator : "") + parts[i];
  return text;
}

std::string RenderDesignator(const TpimXMLNode& designator) {
  std::string text;
  std::vector<std::string> arguments;
  auto closeArguments = [&] {
    if (!arguments.empty()) text += "(" + Joined(arguments, ", ") + ")";
    arguments.clear();
  };
  for (const TpimXMLNode* part : ChildrenOf(designator)) {
    if (part->Name() == "expr") {
      arguments.push_back(Render(*part));
      continue;
    }
    closeArguments();
    if (part->Name() == "addr") {
      text += AttributeOf(*part, "text");
    } else {
      if (!text.empty() && text != "@") text += ".";
      text += AttributeOf(*part, "text");
    }
  }
  closeArguments();
  return text;
}

std::string Unquoted(const std::string& literal) {
  if (literal.size() < 2 || literal.front() != '\'' || literal.back() != '\'') {
    throw EScriptTree("not a string literal: " + literal);
  }
  std::string text;
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    text.push_back(literal[i]);
    if (literal[i] == '\'') ++i;
  }
  return text;
}

}  // namespace

std::string AttributeOf(const TpimXMLNode& node, const std::string& name) {
  const std::string* value = node.AttributeValue(name);
  return value != nullptr ? *value : std::string();
}

std::vector<const TpimXMLNode*> ChildrenOf(const TpimXMLNode& node, const std::string& name) {
  std::vector<const TpimXMLNode*> children;
  for (size_t i = 0; i < node.ChildCount(); ++i) {
    if (name.empty() || node.Child(i).Name() == name) children.push_back(&node.Child(i));
  }
  return children;
}

std::string Render(const TpimXMLNode& node) {
  const std::string& kind = node.Name();
  if (kind == "dsgn") return RenderDesignator(node);
  std::vector<std::string> parts;
  for (const TpimXMLNode* child : ChildrenOf(node)) parts.push_back(Render(*child));
  if (kind == "expr") {
    const std::string text = Joined(parts, " ");
    const bool nested = node.Parent() != nullptr && node.Parent()->Name() == "expr";
    return nested ? "(" + text + ")" : text;
  }
  if (kind == "string" || kind == "number" || kind == "op") return AttributeOf(node, "text");
  if (kind == "set") return "[" + Joined(parts, ", ") + "]";
  if (kind == "assignstmt" && parts.size() == 2) return parts[0] + " := " + parts[1];
  if (kind == "callstmt" && parts.size() == 1) return parts[0];
  if (kind == "compoundstmt") return "begin " + Joined(parts, "; ") + " end";
  if (kind == "thenstmt" || kind == "elsestmt") return kind.substr(0, 4) + " " + Joined(parts, "");
  if (kind == "ifstmt") return "if " + Joined(parts, " ");
  throw EScriptTree("cannot render <" + kind + ">");
}

std::string Evaluate(const TpimXMLNode& expression,
                     const std::map<std::string, std::string>& names) {
  std::string text;
  bool wantOperand = true;
  for (const TpimXMLNode* part : ChildrenOf(expression)) {
    if (!wantOperand) {
      if (part->Name() != "op" || AttributeOf(*part, "text") != "+") {
        throw EScriptTree("only + joins texts: " + Render(expression));
      }
      wantOperand = true;
      continue;
    }
    if (part->Name() == "string") {
      text += Unquoted(AttributeOf(*part, "text"));
    } else if (part->Name() == "dsgn") {
      const auto found = names.find(Render(*part));
      if (found == names.end()) throw EScriptTree("no value for " + Render(*part));
      text += found->second;
    } else {
      throw EScriptTree("not a text: " + Render(*part));
    }
    wantOperand = false;
  }
  return text;
}
