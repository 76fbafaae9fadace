#include "XmlWellFormed.h"

#include <cctype>
#include <vector>

namespace {

class TXmlCheck {
 public:
  explicit TXmlCheck(const std::string& xml) : FXml(xml) {}

  std::string Error() {
    const std::string declaration = "<?xml version=\"1.0\"?>";
    if (FXml.compare(0, declaration.size(), declaration) != 0) return "no XML declaration";
    FPosition = declaration.size();
    int roots = 0;
    while (FPosition < FXml.size()) {
      if (FXml[FPosition] != '<') return At("text outside tags");
      if (FStack.empty() && ++roots > 1) return At("a second root element");
      std::string error = Tag();
      if (!error.empty()) return error;
    }
    if (!FStack.empty()) return "<" + FStack.back() + "> not closed";
    return roots == 1 ? "" : "no root element";
  }

 private:
  std::string At(const std::string& what) const {
    return what + " at offset " + std::to_string(FPosition);
  }

  std::string Name() {
    const size_t start = FPosition;
    while (FPosition < FXml.size() &&
           (std::isalnum(static_cast<unsigned char>(FXml[FPosition])) || FXml[FPosition] == '_')) {
      ++FPosition;
    }
    return FXml.substr(start, FPosition - start);
  }

  std::string Tag() {
    ++FPosition;
    const bool closing = FPosition < FXml.size() && FXml[FPosition] == '/';
    if (closing) ++FPosition;
    const std::string name = Name();
    if (name.empty()) return At("tag without a name");
    if (closing) {
      if (FStack.empty() || FStack.back() != name) return At("</" + name + "> out of order");
      FStack.pop_back();
      return Expect(">");
    }
    for (;;) {
      if (FXml.compare(FPosition, 2, "/>") == 0) {
        FPosition += 2;
        return "";
      }
      if (FXml.compare(FPosition, 1, ">") == 0) {
        ++FPosition;
        FStack.push_back(name);
        return "";
      }
      std::string error = Attribute();
      if (!error.empty()) return error;
    }
  }

  std::string Expect(const char* text) {
    const std::string expected(text);
    if (FXml.compare(FPosition, expected.size(), expected) != 0) return At(expected + " expected");
    FPosition += expected.size();
    return "";
  }

  std::string Attribute() {
    std::string error = Expect(" ");
    if (!error.empty()) return error;
    if (Name().empty()) return At("attribute without a name");
    error = Expect("=\"");
    if (!error.empty()) return error;
    const size_t end = FXml.find('"', FPosition);
    if (end == std::string::npos) return At("unterminated attribute");
    const std::string value = FXml.substr(FPosition, end - FPosition);
    if (value.find('<') != std::string::npos) return At("\"<\" in an attribute");
    for (size_t amp = value.find('&'); amp != std::string::npos; amp = value.find('&', amp + 1)) {
      bool known = false;
      for (const char* entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
        known = known || value.compare(amp, std::string(entity).size(), entity) == 0;
      }
      if (!known) return At("unknown entity in an attribute");
    }
    FPosition = end + 1;
    return "";
  }

  const std::string& FXml;
  size_t FPosition = 0;
  std::vector<std::string> FStack;
};

}  // namespace

std::string XmlWellFormedError(const std::string& xml) { return TXmlCheck(xml).Error(); }
