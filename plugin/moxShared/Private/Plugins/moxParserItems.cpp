#include "moxParserItems.h"

#include <array>

#include "moxTextLines.h"
#include "xml/pimXMLText.h"

namespace {

constexpr std::array<const char*, 17> kTypeNames = {
    "String", "Memo", "Bytes",    "Blob",  "Boolean", "Float",    "Smallint", "Word",    "Integer",
    "Date",   "Time", "DateTime", "DWord", "Byte",    "Shortint", "Int64",    "Currency"};

struct TStandardItem {
  const char* Name;
  const char* Description;
  uint8_t Type;
};

constexpr std::array<TStandardItem, 7> kStandardItems = {{
    {"FULL_DATA_PACKET", "Full data packet", pitString},
    {"DATA_PACKET", "Data packet", pitString},
    {"DATE_TIME_STAMP", "Datetime stamp", pitDateTime},
    {"DATA_SOURCE_ID", "Data source ID", pitInteger},
    {"DATA_SOURCE_NAME", "Data source name", pitString},
    {"DATA_SOURCE_FULL_NAME", "Data source long name", pitString},
    {"CLIENTID", "Client ID", pitInteger},
}};

}  // namespace

std::string ParserItemTypeName(uint8_t type) {
  return type < kTypeNames.size() ? kTypeNames[type] : "";
}

uint8_t ParserItemTypeOf(const std::string& name) {
  for (size_t i = 0; i < kTypeNames.size(); ++i) {
    if (pimxml::SameTextNoCase(name, kTypeNames[i])) return static_cast<uint8_t>(i);
  }
  return TParserItem::kParserItemTypeNone;
}

int32_t TParserItemList::Add(const std::string& name, const std::string& description,
                             const std::string& extra, uint8_t type) {
  FItems.push_back({name, description, type, extra});
  return Count() - 1;
}

void TParserItemList::Set(int32_t index, const TParserItem& item) {
  if (index < 0) return;
  if (static_cast<size_t>(index) >= FItems.size()) FItems.resize(static_cast<size_t>(index) + 1);
  FItems[static_cast<size_t>(index)] = item;
}

void TParserItemList::AddStandard(bool withClientId) {
  const size_t count = withClientId ? kStandardItems.size() : kStandardItems.size() - 1;
  for (size_t i = 0; i < count; ++i) {
    Add(kStandardItems[i].Name, kStandardItems[i].Description, "", kStandardItems[i].Type);
  }
}

void TParserItemList::Parse(const std::string& text, bool replace) {
  if (replace) Clear();
  for (const std::string& line : SplitLines(text)) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = SplitFields(line, '|');
    if (fields.size() < 2) break;
    Add(fields[1], fields[0], fields.size() > 3 ? fields[3] : "",
        fields.size() > 2 ? ParserItemTypeOf(fields[2]) : TParserItem::kParserItemTypeNone);
  }
}

std::string TParserItemList::Render() const {
  std::string text;
  for (const TParserItem& item : FItems) {
    if (!text.empty()) text += "\r\n";
    text += item.Description + "|" + item.Name + "|" + ParserItemTypeName(item.ItemType) + "|" +
            item.Extra;
  }
  return text;
}
