#include "moxPluginCustomCmd.h"

#include "moxTextLines.h"

TmoxPluginCustomCmd& TmoxPluginCustomCmdList::Add(const std::string& a, const std::string& b,
                                                  const std::string& c, bool flagA, bool flagB) {
  FItems.push_back({a, b, c, flagA, flagB});
  return FItems.back();
}

std::string TmoxPluginCustomCmdList::AsText() const {
  std::string text;
  for (const TmoxPluginCustomCmd& command : FItems) {
    text += command.ColumnA + "|" + command.ColumnB + "|" + command.ColumnC + "|" +
            (command.FlagA ? "1" : "0") + "|" + (command.FlagB ? "1" : "0") + "\r\n";
  }
  return text;
}

void TmoxPluginCustomCmdList::AddFromText(const std::string& text) {
  for (const std::string& line : SplitLines(text)) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = SplitFields(line, '|');
    if (fields.size() < 5) continue;
    Add(fields[0], fields[1], fields[2], fields[3] == "1", fields[4] == "1");
  }
}
