#include "xml/pimXMLTokenizer.h"

#include <cstdint>
#include <vector>

#include "xml/pimXMLText.h"

namespace pimxml {
namespace {

constexpr size_t npos = std::string_view::npos;
constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kInstructionOpen = "<?";
constexpr std::string_view kCommentOpen = "<!--";

// Finds the ">" that ends a tag, ignoring any ">" inside a quoted string. A search
// that fails marks every (position, quote state) it went through; a later search
// that reaches such a state must fail as well and stops there, so that a text full
// of unterminated tags is still scanned in linear time.
class TagEndFinder {
 public:
  explicit TagEndFinder(std::string_view text) : text_(text) {}

  size_t Find(size_t open) {
    const size_t end = Walk(open, false);
    if (end == npos) Walk(open, true);
    return end;
  }

 private:
  static uint8_t StateBit(char quote) { return quote == 0 ? 1 : (quote == '"' ? 2 : 4); }

  size_t Walk(size_t open, bool markDeadEnds) {
    if (markDeadEnds && deadEnds_.empty()) deadEnds_.resize(text_.size());
    char quote = 0;
    for (size_t i = open + 1; i < text_.size(); ++i) {
      const uint8_t state = StateBit(quote);
      if (!deadEnds_.empty() && (deadEnds_[i] & state) != 0) return npos;
      if (markDeadEnds) deadEnds_[i] |= state;
      const char c = text_[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        return i;
      }
    }
    return npos;
  }

  std::string_view text_;
  std::vector<uint8_t> deadEnds_;  // per position: one bit per quote state
};

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text), tagEnds_(text) {}

  TpimXMLTokens Run() {
    size_t cursor = 0;
    while (cursor < text_.size()) {
      const size_t open = text_.find('<', cursor);
      AddText(text_.substr(cursor, open - cursor));
      if (open == npos) break;
      cursor = ReadMarkup(open);
    }
    return std::move(tokens_);
  }

 private:
  // The content of a CDATA section, processing instruction or comment.
  struct Section {
    std::string_view content;
    size_t next;  // where scanning goes on
  };

  // Reads the markup that starts at the "<" and returns where scanning goes on.
  size_t ReadMarkup(size_t open) {
    const std::string_view markup = text_.substr(open);
    if (StartsWithNoCase(markup, kCDataOpen)) {
      const Section section = ReadSection(open + kCDataOpen.size(), "]]>");
      Add(kCDataToken, TranslateEscapes(section.content));
      return section.next;
    }
    if (StartsWithNoCase(markup, kInstructionOpen)) {
      const Section section = ReadSection(open + kInstructionOpen.size(), "?>");
      if (!section.content.empty()) Add(kTextToken, section.content);
      return section.next;
    }
    if (StartsWithNoCase(markup, kCommentOpen)) {
      const Section section = ReadSection(open + kCommentOpen.size(), "-->");
      Add(kTextToken, TranslateEscapes(section.content));
      return section.next;
    }
    return ReadTag(open);
  }

  // The content runs to the terminator, or to the end of the text if there is none.
  Section ReadSection(size_t begin, std::string_view terminator) const {
    const size_t end = text_.find(terminator, begin);
    if (end == npos) return {text_.substr(begin), text_.size()};
    return {text_.substr(begin, end - begin), end + terminator.size()};
  }

  size_t ReadTag(size_t open) {
    const size_t close = tagEnds_.Find(open);
    if (close == npos) return open + 1;  // not a tag: skip the "<" alone
    // The kind of tag is told by the content as written; only the stored payload
    // is trimmed, so "< /a>" opens an element "/a" and "<a/ >" does not close "a/".
    const std::string_view content = text_.substr(open + 1, close - open - 1);
    if (content.empty()) return close + 1;
    if (content.front() == '/') {
      AddNormalised(kCloseTag, content.substr(1));
    } else {
      AddNormalised(content.back() == '/' ? kEmptyTag : kOpenTag, content);
    }
    return close + 1;
  }

  void AddText(std::string_view text) {
    if (!TrimBlanks(text).empty()) AddNormalised(kTextToken, text);
  }

  void AddNormalised(std::string_view kind, std::string_view payload) {
    std::string token(kind);
    AppendNormalised(token, payload);
    tokens_.push_back(std::move(token));
  }

  void Add(std::string_view kind, std::string_view payload) {
    std::string token;
    token.reserve(kind.size() + payload.size());
    token.append(kind).append(payload);
    tokens_.push_back(std::move(token));
  }

  std::string_view text_;
  TagEndFinder tagEnds_;
  TpimXMLTokens tokens_;
};

}  // namespace

TpimXMLTokens TokenizeXMLText(std::string_view text) {
  const std::string normalised = NormaliseLineBreaks(text);
  return Tokenizer(normalised).Run();
}

}  // namespace pimxml
