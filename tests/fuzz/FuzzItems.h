#pragma once

// What a record of response items holds, for the targets that decode answers.

#include <cstdint>
#include <vector>

#include "plc/PluginDM_RequestItems.h"

// The values that the items deliver, and how many of them become fields: a
// record leaves out a value whose name is blank (no character above a space).
struct TItemValues {
  int64_t Values = 0;
  int64_t Named = 0;
};

inline TItemValues ItemValues(const std::vector<TResponseItem>& items) {
  TItemValues result;
  for (const TResponseItem& item : items) {
    for (int32_t counter = 0; counter < item.Count; ++counter, ++result.Values) {
      bool blank = true;
      for (const char c : CountedName(item, counter))
        blank = blank && static_cast<uint8_t>(c) <= ' ';
      result.Named += blank ? 0 : 1;
    }
  }
  return result;
}
