#pragma once

#include <string>
#include <string_view>

#include "moxShared/Public/Common/moxParamLstIntf.h"
#include "moxShared/Public/Common/moxVariant.h"

// Reads and answers the parameter list of a host call through its 8-bit
// interface, whoever implements it. Names are looked up in the whole list.
class TPluginParams {
 public:
  explicit TPluginParams(ImoxParamsListA* list) : list_(list) {}

  ImoxParamsListA* Interface() const { return list_; }
  // Whether the list has an item of the name, whatever its value.
  bool Exists(std::string_view name) const;
  // The item's value; Empty when there is no such item.
  TVariant Get(std::string_view name) const;
  // Whether the item exists with a value that is neither Empty nor Null.
  bool Has(std::string_view name) const { return !Get(name).IsEmptyOrNull(); }
  // The value as 8-bit text; empty when missing.
  std::string Text(std::string_view name) const;
  // Stores into an existing item only: an answer without its item is dropped.
  // False when there is no such item.
  bool Answer(std::string_view name, const TVariant& value) const;

 private:
  ImoxParamsListA* list_;
};

// Text answers travel as 8-bit strings.
TVariant AnsiAnswer(const std::string& text);
// The integer form of a handle or number value; `fallback` when it is none.
int64_t VariantToInt(const TVariant& value, int64_t fallback);
bool VariantToBool(const TVariant& value, bool fallback);
// Variant equality with a number: the value converted to a number equals it.
bool VariantEqualsInt(const TVariant& value, int32_t number);
