#pragma once

#include <string>
#include <string_view>

// The stored form of string values, shared with the host's options dialog:
// UTF-8, percent-escaped into printable ASCII, spaces that trimming or
// collapsing would lose written as "+".
std::string EncodeValueText(std::string_view text);

// Reverses EncodeValueText. Malformed escapes stay literal; stored text that is
// not valid UTF-8, or that holds bytes from 0x80 up, is taken unchanged as text
// in the system code page.
std::string DecodeValueText(std::string_view text);
