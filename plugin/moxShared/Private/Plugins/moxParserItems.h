#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The values a module can deliver: name, description, type and a text the
// host gives meaning to.
struct TParserItem {
  std::string Name;
  std::string Description;
  uint8_t ItemType = kParserItemTypeNone;
  std::string Extra;

  static constexpr uint8_t kParserItemTypeNone = 17;
};

// Type indexes of the type-name table.
enum TParserItemType : uint8_t {
  pitString = 0,
  pitMemo,
  pitBytes,
  pitBlob,
  pitBoolean,
  pitFloat,
  pitSmallint,
  pitWord,
  pitInteger,
  pitDate,
  pitTime,
  pitDateTime,
  pitDWord,
  pitByte,
  pitShortint,
  pitInt64,
  pitCurrency,
};

// The type's name; empty for 17 and above.
std::string ParserItemTypeName(uint8_t type);
// The index of a type name, compared without regard to case; 17 when unknown.
uint8_t ParserItemTypeOf(const std::string& name);

class TParserItemList {
 public:
  void Clear() { FItems.clear(); }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  const TParserItem& Items(int32_t index) const { return FItems.at(static_cast<size_t>(index)); }

  int32_t Add(const std::string& name, const std::string& description, const std::string& extra,
              uint8_t type);
  // Stores a copy at `index`, growing the list with empty items when needed.
  void Set(int32_t index, const TParserItem& item);
  // The standard fields of every data record; "CLIENTID" only when asked for.
  void AddStandard(bool withClientId);

  // Reads "Description|Name|Type|Extra" lines; a line with fewer than two
  // fields ends the reading, keeping what was read before it.
  void Parse(const std::string& text, bool replace);
  // The lines, joined by CR LF.
  std::string Render() const;

 private:
  std::vector<TParserItem> FItems;
};
