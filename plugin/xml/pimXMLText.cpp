#include "xml/pimXMLText.h"

namespace pimxml {
namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Replaces every occurrence of `from` in one pass; replaced text is not scanned
// again. The first character of `from` is matched exactly (all patterns of the
// reader start with punctuation), the rest as `ignoreCase` says.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to,
                       bool ignoreCase) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit = text.find(from.front()); hit != std::string_view::npos;
       hit = text.find(from.front(), hit)) {
    const std::string_view candidate = text.substr(hit, from.size());
    if (ignoreCase ? SameTextNoCase(candidate, from) : candidate == from) {
      out.append(text, pos, hit - pos).append(to);
      hit += from.size();
      pos = hit;
    } else {
      ++hit;
    }
  }
  return out.append(text, pos);
}

}  // namespace

std::string NormaliseLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  size_t pos = 0;
  for (size_t brk = text.find_first_of("\r\n"); brk != std::string_view::npos;
       brk = text.find_first_of("\r\n", pos)) {
    out.append(text, pos, brk - pos).append("\r\n");
    pos = brk + (text.compare(brk, 2, "\r\n") == 0 ? 2 : 1);
  }
  if (pos < text.size()) out.append(text, pos).append("\r\n");
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

void AppendNormalised(std::string& out, std::string_view text) {
  const std::string_view trimmed = TrimBlanks(text);
  out.reserve(out.size() + trimmed.size());
  for (size_t i = 0; i < trimmed.size(); ++i) {
    const char c = trimmed[i];
    if (c == '\r' && i + 1 < trimmed.size() && trimmed[i + 1] == '\n') {
      out += ' ';
      ++i;
    } else {
      out += c == '\t' ? ' ' : c;
    }
  }
}

std::string TranslateEscapes(std::string_view text) {
  if (text.find('\\') == std::string_view::npos) return std::string(text);
  return ReplaceAll(ReplaceAll(text, "\\n ", "\r\n", false), "\\t ", "\t", false);
}

std::string DecodeEntities(std::string_view text) {
  static constexpr std::string_view kEntities[][2] = {
      {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&apos;", "'"}, {"&quot;", "\""}};
  std::string out(text);
  if (text.find('&') == std::string_view::npos) return out;
  for (const auto& entity : kEntities) out = ReplaceAll(out, entity[0], entity[1], true);
  return out;
}

bool SameTextNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return SameTextNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace pimxml
