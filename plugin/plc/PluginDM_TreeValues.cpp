#include "plc/PluginDM_TreeValues.h"

#include "settings/TWregNumberText.h"
#include "xml/pimXMLText.h"

namespace {

constexpr int32_t kCheckNoAnswer = 4;
constexpr int32_t kCheckChecked = 2;
constexpr int32_t kCheckHighest = 5;

int32_t CheckStateOf(const TpimXMLNode& node) {
  const std::string* attribute = node.AttributeValue("check");
  const std::optional<int32_t> state = attribute ? ParseTreeInteger(*attribute) : std::nullopt;
  if (!state || *state < 0 || *state > kCheckHighest) return kCheckNoAnswer;
  return *state;
}

}  // namespace

const TpimXMLNode* FindValueNode(const TpimXMLNode& scope, const std::string& name) {
  if (pimxml::SameTextNoCase(scope.Name(), name)) return &scope;
  return scope.FindNode(name);
}

std::optional<int32_t> ParseTreeInteger(std::string_view text) {
  const size_t sign = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  if (text.size() > sign && text[sign] == '$') {
    return ParseIntegerText(std::string(text.substr(0, sign)) + "0x" +
                            std::string(text.substr(sign + 1)));
  }
  return ParseIntegerText(text);
}

int32_t ReadInteger(const TpimXMLNode& scope, const std::string& name, int32_t fallback) {
  const TpimXMLNode* node = FindValueNode(scope, name);
  const std::optional<int32_t> value = node ? ParseTreeInteger(node->Text()) : std::nullopt;
  return value.value_or(fallback);
}

std::string ReadText(const TpimXMLNode& scope, const std::string& name,
                     const std::string& fallback) {
  const TpimXMLNode* node = FindValueNode(scope, name);
  return node ? node->Text() : fallback;
}

long double ReadFloat(const TpimXMLNode& scope, const std::string& name, long double fallback) {
  const TpimXMLNode* node = FindValueNode(scope, name);
  const std::optional<double> value = node ? ParseDoubleText(node->Text()) : std::nullopt;
  return value ? static_cast<long double>(*value) : fallback;
}

bool ReadCheck(const TpimXMLNode& scope, const std::string& name, bool fallback) {
  const TpimXMLNode* node = FindValueNode(scope, name);
  if (node == nullptr) return fallback;
  if (!node->Text().empty()) return node->Text() == "1";
  const int32_t state = CheckStateOf(*node);
  return state == kCheckNoAnswer ? fallback : state == kCheckChecked;
}
