#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "xml/pimXMLTree.h"

// Reading the dialog script's syntax tree back: its elements, statements
// rendered as source-like text, and string expressions evaluated.

class EScriptTree : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value of an attribute; empty when missing.
std::string AttributeOf(const TpimXMLNode& node, const std::string& name);

// The child elements, all or those of one name.
std::vector<const TpimXMLNode*> ChildrenOf(const TpimXMLNode& node, const std::string& name = "");

// A statement, designator or expression as compact source text:
// "a.b(x, 'y') := c + d", "if e then s else t", "begin s; t end", "@p".
std::string Render(const TpimXMLNode& node);

// The text a string expression makes: string literals and names joined by
// "+"; a designator stands for the value that `names` gives its rendered text.
std::string Evaluate(const TpimXMLNode& expression,
                     const std::map<std::string, std::string>& names);
