#pragma once

#include <string>
#include <string_view>
#include <vector>

// The text helpers of the host interface's line formats.

// Lines separated by CR LF, LF or CR; a text ending in a line break has no
// empty last line.
std::vector<std::string> SplitLines(std::string_view text);
// Fields separated by `separator`; an empty text is one empty field.
std::vector<std::string> SplitFields(std::string_view text, char separator);
