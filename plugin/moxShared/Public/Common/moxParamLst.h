#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "moxParamLstIntf.h"
#include "moxVariant.h"

// Parameter lists: ordered lists of named values in which commands, answers
// and data records travel. Names are looked up case-insensitively by the rules
// of the system ANSI code page; duplicates are allowed and lookups find the
// first. Several records in one list are separated by row separator items.

constexpr int32_t kRowSeparatorType = 0xFF01;
constexpr char kRowSeparatorName[] = "$NEW_ROW$";
// The state of an item after Add and Insert.
constexpr uint8_t kItemStateSet = 2;

// Raised when a list is used against its contract (a foreign object, a bad index).
class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Raised by Insert for an index outside the list.
class EListError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

// The lookup key of a name: the name lower-cased in the system ANSI code page.
std::string MakeParamKey(std::string_view name);

// Converts a value to the form in which items hold it: an 8-bit string becomes
// a wide string, every other handled type is kept exactly.
TVariant ToStoredValue(const TVariant& value);

// One named value.
class TmoxParamsListItem {
 public:
  // The state is 2 when the value is neither Empty nor Null, else 0.
  TmoxParamsListItem(std::string_view name, const TVariant& value);
  virtual ~TmoxParamsListItem() = default;
  TmoxParamsListItem(const TmoxParamsListItem&) = delete;
  TmoxParamsListItem& operator=(const TmoxParamsListItem&) = delete;

  // Copies Name, Key, ItemType and State (not the value).
  virtual void Assign(const TmoxParamsListItem& source);

  const TVariant& Value() const noexcept { return FValue; }
  void SetItemValue(const TVariant& value) { FValue = ToStoredValue(value); }
  bool IsNewRow() const noexcept { return ItemType == kRowSeparatorType; }

  std::string Name;  // as given, blanks included
  std::string Key;   // the lookup key; not updated when Name is written
  int32_t ItemType = 0;
  uint8_t State = 0;

 private:
  TVariant FValue;
};

// Makes the items of a list (a class reference to the item class).
using TmoxParamsListItemClass = std::unique_ptr<TmoxParamsListItem> (*)(std::string_view name,
                                                                        const TVariant& value);

class TmoxParamsList {
 public:
  static constexpr uint32_t kSignature = 0x0FDE2E4B;

  TmoxParamsList();
  virtual ~TmoxParamsList();
  TmoxParamsList(const TmoxParamsList&) = delete;
  TmoxParamsList& operator=(const TmoxParamsList&) = delete;

  // Whether an object handed over by address is a live parameter list: its
  // signature sits after the object's class pointer and item storage.
  static bool HasSignature(const void* object);
  static size_t SignatureOffset();

  int32_t Count() const noexcept { return static_cast<int32_t>(FItems.size()); }
  // Null outside 0..Count-1.
  TmoxParamsListItem* Items(int32_t index) const noexcept;

  // `to` = -1 searches to the end of the list, -2 to the end of the current row.
  int32_t IndexOf(std::string_view name, int32_t from = 0, int32_t to = -1) const;
  TmoxParamsListItem* Find(std::string_view name, int32_t from = 0, int32_t to = -1) const;
  // Empty when the name is not found.
  TVariant GetValue(std::string_view name, int32_t from = 0, int32_t to = -1) const;
  TVariant GetValueDef(std::string_view name, const TVariant& defaultValue, int32_t from = 0,
                       int32_t to = -1) const;
  // Fails with "Parameter is not defined" for a missing name.
  TVariant GetValueStrict(std::string_view name) const;

  // Null, and nothing added, for a name that is blank.
  TmoxParamsListItem* Add(std::string_view name, const TVariant& value);
  TmoxParamsListItem* Insert(int32_t index, std::string_view name, const TVariant& value);
  // Stores into the first item of the name, adding it when missing and asked to.
  TmoxParamsListItem* SetValue(std::string_view name, const TVariant& value, bool addIfMissing);
  TmoxParamsListItem* SetValueStrict(std::string_view name, const TVariant& value);
  // An index at or beyond Count does nothing.
  void Delete(int32_t index);
  virtual void Clear();

  virtual TmoxParamsListItem* AddCopy(const TmoxParamsListItem* source);
  virtual TmoxParamsListItem* AddFromItem(ImoxParamsListItemA* source);
  bool AppendList(const TmoxParamsList* other);
  bool AppendRange(const TmoxParamsList* other, int32_t from, int32_t to);

  // Closes the current row unless the last item already is a separator.
  void NewRow();
  void AppendListRow(const TmoxParamsList* other);
  // From `from`, the index of the first separator or of the last item.
  bool FindRowEnd(int32_t from, int32_t& endIndex, bool& isNewRow) const;

  uint32_t Signature() const noexcept { return FSignature; }
  const std::string& Identifier() const noexcept { return FIdentifier; }

 private:
  void CheckSignature() const;
  TmoxParamsListItem* Place(int32_t index, std::string_view name, const TVariant& value);

  // The item storage comes first: the signature's place depends on it.
  std::vector<std::unique_ptr<TmoxParamsListItem>> FItems;
  uint32_t FSignature;
  std::string FIdentifier;

 public:
  int32_t Tag = 0;
  TmoxParamsListItemClass ItemClass;
};
