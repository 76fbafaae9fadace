#pragma once

#include <cstddef>
#include <string>

#include "ValueText.h"

namespace plchost {

// Characters of UTF-8 text: bytes that do not continue a sequence.
size_t DisplayWidth(const std::string& text);

// A cell's text for a table row: control characters would break the rows.
std::string TableText(const TCell& cell);

// Whether a cell is aligned to the right (numbers).
bool AlignsRight(const TCell& cell);

// Appends `text` padded to `width` (to the left when `right`), and the gap to
// the next column unless it is the `last`.
void AppendAligned(std::string& line, const std::string& text, size_t width, bool right, bool last);

}  // namespace plchost
