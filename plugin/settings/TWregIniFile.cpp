#include "settings/TWregIniFile.h"

#include "platform/CodePage.h"
#include "settings/TWregMapLine.h"

namespace {

std::string Folded(std::string_view text) {
  std::string folded(text);
  platform::AnsiLowerBuffer(folded.data(), folded.size());
  return folded;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Folded(a) == Folded(b);
}

}  // namespace

void TWregIniFile::Parse(std::string_view content) {
  preamble_.clear();
  sections_.clear();
  Section* section = nullptr;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = content.size();
    const std::string_view text = TrimControls(content.substr(start, end - start));
    start = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    if (text.empty()) continue;
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
      // A repeated section header continues the first section of that name.
      const std::string_view name = TrimControls(text.substr(1, text.size() - 2));
      section = FindSection(name);
      if (section == nullptr) section = &sections_.emplace_back(Section{std::string(name), {}});
      continue;
    }
    AddLine(section, text);
  }
}

void TWregIniFile::AddLine(Section* section, std::string_view text) {
  std::vector<Line>& lines = section ? section->Lines : preamble_;
  const size_t equals = text.find('=');
  if (text.front() == ';' || equals == std::string_view::npos) {
    lines.push_back({false, std::string(text), {}});
  } else {
    lines.push_back({true, std::string(TrimControls(text.substr(0, equals))),
                     std::string(TrimControls(text.substr(equals + 1)))});
  }
}

std::string TWregIniFile::Text() const {
  std::string text;
  auto write = [&text](const std::vector<Line>& lines) {
    for (const Line& line : lines) {
      text += line.IsKey ? line.Name + "=" + line.Value : line.Name;
      text += "\r\n";
    }
  };
  if (!preamble_.empty()) {
    write(preamble_);
    text += "\r\n";
  }
  for (const Section& section : sections_) {
    if (section.Lines.empty()) continue;
    text += "[" + section.Name + "]\r\n";
    write(section.Lines);
    text += "\r\n";
  }
  return text;
}

TWregIniFile::Section* TWregIniFile::FindSection(std::string_view name) {
  for (Section& section : sections_) {
    if (SameText(section.Name, name)) return &section;
  }
  return nullptr;
}

std::string* TWregIniFile::FindValue(std::string_view section, std::string_view key) {
  Section* found = FindSection(TrimControls(section));
  if (found == nullptr) return nullptr;
  for (Line& line : found->Lines) {
    if (line.IsKey && SameText(line.Name, TrimControls(key))) return &line.Value;
  }
  return nullptr;
}

const std::string* TWregIniFile::Find(std::string_view section, std::string_view key) const {
  return const_cast<TWregIniFile*>(this)->FindValue(section, key);
}

bool TWregIniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (std::string* existing = FindValue(section, key)) {
    if (*existing == value) return false;
    *existing = std::string(value);
    return true;
  }
  // A reader trims names, so they are written trimmed.
  section = TrimControls(section);
  Section* found = FindSection(section);
  if (found == nullptr) found = &sections_.emplace_back(Section{std::string(section), {}});
  found->Lines.push_back({true, std::string(TrimControls(key)), std::string(value)});
  return true;
}
