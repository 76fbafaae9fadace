#pragma once

#include <string>
#include <utility>
#include <vector>

// An element of the script's syntax tree with its attributes in order.
struct TXmlElement {
  std::string Name;
  std::vector<std::pair<std::string, std::string>> Attributes;
  std::vector<TXmlElement> Children;

  TXmlElement& Attribute(const std::string& name, const std::string& value) {
    Attributes.emplace_back(name, value);
    return *this;
  }
  TXmlElement& Add(TXmlElement child) {
    Children.push_back(std::move(child));
    return Children.back();
  }
};

// The element as XML text on one line, attribute values escaped.
std::string WriteXml(const TXmlElement& element);
