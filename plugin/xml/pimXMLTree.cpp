#include "xml/pimXMLTree.h"

#include "xml/pimXMLBuilder.h"
#include "xml/pimXMLText.h"

TpimXMLNode::~TpimXMLNode() { DestroyChildren(); }

const std::string* TpimXMLNode::AttributeValue(const std::string& name) const {
  for (const TpimXMLAttribute& attribute : attributes_) {
    if (attribute.Name == name) return &attribute.Value;
  }
  return nullptr;
}

const TpimXMLNode* TpimXMLNode::FindNode(const std::string& name) const {
  // An explicit stack: deeply nested input must not exhaust the call stack.
  std::vector<const TpimXMLNode*> pending;
  const auto pushChildren = [&pending](const TpimXMLNode& node) {
    for (auto child = node.children_.rbegin(); child != node.children_.rend(); ++child) {
      pending.push_back(child->get());
    }
  };
  pushChildren(*this);
  while (!pending.empty()) {
    const TpimXMLNode* node = pending.back();
    pending.pop_back();
    if (pimxml::SameTextNoCase(node->name_, name)) return node;
    pushChildren(*node);
  }
  return nullptr;
}

void TpimXMLNode::SetText(std::string text, bool isCData) {
  text_ = std::move(text);
  isCData_ = isCData;
}

TpimXMLNode& TpimXMLNode::AddChild(std::string name) {
  auto child = std::make_unique<TpimXMLNode>();
  child->name_ = std::move(name);
  child->parent_ = this;
  children_.push_back(std::move(child));
  return *children_.back();
}

void TpimXMLNode::AddAttribute(std::string name, std::string value) {
  attributes_.push_back({std::move(name), std::move(value)});
}

void TpimXMLNode::Clear() {
  DestroyChildren();
  attributes_.clear();
  name_.clear();
  SetText({}, false);
}

void TpimXMLNode::DestroyChildren() {
  // Each node is destroyed after its children were moved out of it, so that the
  // destruction of a deeply nested subtree does not recurse.
  std::vector<std::unique_ptr<TpimXMLNode>> pending = std::move(children_);
  children_.clear();
  while (!pending.empty()) {
    std::unique_ptr<TpimXMLNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    node->children_.clear();
  }
}

void TpimXMLTree::ParseText(const std::string& text) {
  tokens_ = pimxml::TokenizeXMLText(text);
  pimxml::BuildXMLTree(tokens_, *this);
}
