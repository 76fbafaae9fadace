#pragma once

#include <deque>
#include <string>
#include <string_view>

// The token list between the tokenizer and the tree builder: each token is a
// three-character kind followed by its payload. A deque grows without copying
// what it holds, which matters for the million tokens of a large text.
using TpimXMLTokens = std::deque<std::string>;

namespace pimxml {

inline constexpr std::string_view kOpenTag = "OT:";     // tag content without "<" and ">"
inline constexpr std::string_view kCloseTag = "CT:";    // tag content without its leading "/"
inline constexpr std::string_view kEmptyTag = "ET:";    // tag content, final "/" included
inline constexpr std::string_view kTextToken = "TX:";   // text, still entity-encoded
inline constexpr std::string_view kCDataToken = "CD:";  // CDATA content, escapes translated
inline constexpr size_t kTokenKindSize = 3;

// Splits XML-like text into tokens. Never fails: malformed markup is skipped or
// read as far as it goes.
TpimXMLTokens TokenizeXMLText(std::string_view text);

}  // namespace pimxml
