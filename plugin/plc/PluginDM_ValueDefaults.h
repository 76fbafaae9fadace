#pragma once

#include "plc/PluginDM_RequestItems.h"

// The field of a value that the response does not cover: the item's `Default`
// text converted to the item's type (integers keep their low bits, F32 is
// rounded to single precision, a bit is true for "1", "y", "yes", "on" and
// "high" in any letter case). Scale is not applied. A text that does not
// convert gives the Byte 0.
TVariant DefaultValueOf(const TResponseItem& item);
