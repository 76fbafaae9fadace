#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "xml/pimXMLTokenizer.h"

// The request tree text is malformed beyond what the reader forgives.
class EpimXMLError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TpimXMLAttribute {
  std::string Name;
  std::string Value;  // entity references already decoded
};

// An element: name, text content and attributes, and the elements it encloses,
// which it owns.
class TpimXMLNode {
 public:
  TpimXMLNode() = default;
  ~TpimXMLNode();
  TpimXMLNode(const TpimXMLNode&) = delete;
  TpimXMLNode& operator=(const TpimXMLNode&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Text() const { return text_; }
  // True when the text came from a CDATA section.
  bool IsCData() const { return isCData_; }

  // The enclosing node; nullptr for the root.
  TpimXMLNode* Parent() { return parent_; }
  const TpimXMLNode* Parent() const { return parent_; }

  size_t ChildCount() const { return children_.size(); }
  // Throws std::out_of_range for an index beyond the children.
  const TpimXMLNode& Child(size_t index) const { return *children_.at(index); }

  size_t AttributeCount() const { return attributes_.size(); }
  const TpimXMLAttribute& Attribute(size_t index) const { return attributes_.at(index); }
  // The value of the first attribute of exactly this name, or nullptr.
  const std::string* AttributeValue(const std::string& name) const;

  // The first descendant whose name equals `name` in any letter case, searched
  // depth-first in document order; this node itself is not tested. nullptr if none.
  const TpimXMLNode* FindNode(const std::string& name) const;

  void SetName(std::string name) { name_ = std::move(name); }
  void SetText(std::string text, bool isCData);
  TpimXMLNode& AddChild(std::string name);
  void AddAttribute(std::string name, std::string value);
  // Empties the node: name, text, attributes and the whole subtree.
  void Clear();

 private:
  void DestroyChildren();

  std::string name_;
  std::string text_;
  bool isCData_ = false;
  TpimXMLNode* parent_ = nullptr;
  std::vector<std::unique_ptr<TpimXMLNode>> children_;
  std::vector<TpimXMLAttribute> attributes_;
};

// The reader: the tree object is itself the root node, named "root" after a
// parse that saw any token, with the document's top-level elements as children.
class TpimXMLTree final : public TpimXMLNode {
 public:
  // Replaces the whole content of the tree by the parsed text. Throws
  // EpimXMLError when markup follows a close tag that has no open element.
  void ParseText(const std::string& text);

  // The token list of the last parse.
  const TpimXMLTokens& Tokens() const { return tokens_; }

 private:
  TpimXMLTokens tokens_;
};
