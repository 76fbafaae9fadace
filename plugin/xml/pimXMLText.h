#pragma once

#include <string>
#include <string_view>

// The string transforms of the XML reader. Letter case is folded in ASCII only.
namespace pimxml {

// Splits the text into lines at CR LF, lone CR or lone LF and joins them again
// with CR LF after every line, the last one included.
std::string NormaliseLineBreaks(std::string_view text);

// The text without blanks (codes up to 32) at either end.
std::string_view TrimBlanks(std::string_view text);

// Appends the text trimmed, each CR LF and each TAB in it turned into one space.
void AppendNormalised(std::string& out, std::string_view text);

// The escapes of CDATA and comments: backslash "n" space becomes CR LF, then
// backslash "t" space becomes a TAB.
std::string TranslateEscapes(std::string_view text);

// Replaces "&amp;", "&lt;", "&gt;", "&apos;" and "&quot;" in any letter case, in
// this order, each over the whole string: "&amp;lt;" therefore becomes "<".
std::string DecodeEntities(std::string_view text);

bool SameTextNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace pimxml
