#pragma once

#include <string>
#include <vector>

// A command the module declares for the host to offer; its five columns are
// kept and reported unchanged.
struct TmoxPluginCustomCmd {
  std::string ColumnA;
  std::string ColumnB;
  std::string ColumnC;
  bool FlagA = false;
  bool FlagB = false;
};

class TmoxPluginCustomCmdList {
 public:
  TmoxPluginCustomCmd& Add(const std::string& a, const std::string& b, const std::string& c,
                           bool flagA, bool flagB);
  const TmoxPluginCustomCmd& Items(int index) const {
    return FItems.at(static_cast<size_t>(index));
  }
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }

  // "A|B|C|flagA|flagB" CR LF per command.
  std::string AsText() const;
  // Appends the commands of the text; lines with fewer than five fields are skipped.
  void AddFromText(const std::string& text);

 private:
  std::vector<TmoxPluginCustomCmd> FItems;
};
