#include "XmlElement.h"

namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

void Write(const TXmlElement& element, std::string& out) {
  out += "<" + element.Name;
  for (const auto& [name, value] : element.Attributes)
    out += " " + name + "=\"" + Escaped(value) + "\"";
  // An empty element with attributes closes itself; one without is written
  // open and closed, which even readers that take "<a/>" for a name "a/" read.
  if (element.Children.empty() && !element.Attributes.empty()) {
    out += "/>";
    return;
  }
  out += ">";
  for (const TXmlElement& child : element.Children) Write(child, out);
  out += "</" + element.Name + ">";
}

}  // namespace

std::string WriteXml(const TXmlElement& element) {
  std::string out;
  Write(element, out);
  return out;
}
