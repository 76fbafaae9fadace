#include "xml/pimXMLBuilder.h"

#include "xml/pimXMLText.h"

namespace pimxml {
namespace {

constexpr size_t npos = std::string_view::npos;

// Finds the next occurrence of one character at or after a position that only
// grows, so that each stretch of the text is searched once however many
// attributes a tag has.
class ForwardFinder {
 public:
  ForwardFinder(std::string_view text, char wanted) : text_(text), wanted_(wanted) {}

  size_t From(size_t pos) {
    if (!searched_ || (found_ != npos && found_ < pos)) {
      found_ = text_.find(wanted_, pos);
      searched_ = true;
    }
    return found_;
  }

 private:
  std::string_view text_;
  char wanted_;
  bool searched_ = false;
  size_t found_ = npos;
};

// Scans name='value' or name="value" pairs from `pos` and stops silently, keeping
// what it found, at the first pair without "=", opening or closing quote.
void AddAttributes(TpimXMLNode& element, std::string_view payload, size_t pos) {
  ForwardFinder equals(payload, '=');
  ForwardFinder apostrophe(payload, '\'');
  ForwardFinder quote(payload, '"');
  while (pos < payload.size()) {
    const size_t equal = equals.From(pos);
    if (equal == npos) return;
    const size_t nextApostrophe = apostrophe.From(equal);
    const size_t nextQuote = quote.From(equal);
    if (nextApostrophe == npos && nextQuote == npos) return;
    const bool byApostrophe = nextApostrophe < nextQuote;  // npos compares greatest
    ForwardFinder& delimiter = byApostrophe ? apostrophe : quote;
    const size_t open = byApostrophe ? nextApostrophe : nextQuote;
    const size_t close = delimiter.From(open + 1);
    if (close == npos) return;
    element.AddAttribute(std::string(TrimBlanks(payload.substr(pos, equal - pos))),
                         DecodeEntities(payload.substr(open + 1, close - open - 1)));
    pos = close + 1;
  }
}

// Adds the element of an open or empty-element tag payload to `parent`: the name
// runs to the first space, attributes follow. Returns the new element.
TpimXMLNode& AddElement(TpimXMLNode& parent, std::string_view payload) {
  const size_t space = payload.find(' ');
  TpimXMLNode& element = parent.AddChild(std::string(payload.substr(0, space)));
  if (space != npos) AddAttributes(element, payload, space);
  return element;
}

std::string Abbreviated(const std::string& token) {
  constexpr size_t kShown = 40;
  return token.size() <= kShown ? token : token.substr(0, kShown) + "...";
}

// Applies one token to the current node and returns the next current node.
TpimXMLNode* ApplyToken(const std::string& token, TpimXMLNode& current) {
  const std::string_view kind = std::string_view(token).substr(0, kTokenKindSize);
  const std::string_view payload = std::string_view(token).substr(kind.size());
  if (kind == kOpenTag) return &AddElement(current, payload);
  if (kind == kEmptyTag) {
    AddElement(current, payload);
    return &current;
  }
  if (kind == kCloseTag) return current.Parent();  // the name is not checked
  if (kind == kTextToken || kind == kCDataToken) {
    const bool isCData = kind == kCDataToken;
    current.SetText(isCData ? std::string(payload) : DecodeEntities(payload), isCData);
    return &current;
  }
  throw EpimXMLError("Invalid XML token \"" + Abbreviated(token) + "\"");
}

}  // namespace

void BuildXMLTree(const TpimXMLTokens& tokens, TpimXMLTree& tree) {
  tree.Clear();
  if (tokens.empty()) return;
  tree.SetName("root");
  TpimXMLNode* current = &tree;
  for (const std::string& token : tokens) {
    if (current == nullptr) {
      throw EpimXMLError("Invalid XML: \"" + Abbreviated(token) +
                         "\" follows a close tag that has no open element");
    }
    current = ApplyToken(token, *current);
  }
}

}  // namespace pimxml
