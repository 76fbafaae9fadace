#pragma once

#include <string>
#include <string_view>
#include <vector>

// The parsed text of an INI file: sections of "name=value" lines. Section and
// key names are compared without regard to case. Lines that are not keys
// (comments, stray text) stay where they were, so a rewrite loses nothing but
// blank lines; the layout written is: each section's header line, its lines
// in order, one empty line; sections without lines are left out.
class TWregIniFile {
 public:
  // Lines end at CR, LF or CR LF; any other byte is text.
  void Parse(std::string_view content);
  std::string Text() const;

  // The value of a key; nullptr when the section or the key is missing. Names
  // are taken trimmed, as the reader trims them.
  const std::string* Find(std::string_view section, std::string_view key) const;
  // Rewrites an existing key in place or appends it (and its section) at the
  // end; true when the text changed.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Line {
    bool IsKey;
    std::string Name;  // the key, or the whole line when it is no key
    std::string Value;
  };
  struct Section {
    std::string Name;
    std::vector<Line> Lines;
  };

  Section* FindSection(std::string_view name);
  std::string* FindValue(std::string_view section, std::string_view key);
  void AddLine(Section* section, std::string_view text);

  std::vector<Line> preamble_;  // lines before the first section
  std::vector<Section> sections_;
};
