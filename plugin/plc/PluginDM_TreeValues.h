#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "xml/pimXMLTree.h"

// How the request tree stores its values. A value belongs to a scope (a
// request or a response item element): it is the first element of its name,
// in any letter case, met in a depth-first walk of the scope's subtree, the
// scope element itself tested first. The readers return the given default for
// a missing element.

const TpimXMLNode* FindValueNode(const TpimXMLNode& scope, const std::string& name);

// Decimal text, or hexadecimal after "$" or "0x", with an optional sign; empty
// when the text is no 32-bit number.
std::optional<int32_t> ParseTreeInteger(std::string_view text);

// Empty or invalid text also gives the default.
int32_t ReadInteger(const TpimXMLNode& scope, const std::string& name, int32_t fallback);

// A present element gives its text, even when empty.
std::string ReadText(const TpimXMLNode& scope, const std::string& name,
                     const std::string& fallback);

// "." and "," both separate the decimals; empty or invalid text gives the default.
long double ReadFloat(const TpimXMLNode& scope, const std::string& name, long double fallback);

// A check box: non-empty text is true exactly when it is "1"; with empty text
// the attribute "check" answers: 2 true, 0, 1, 3 and 5 false, and 4 (no
// answer, also any other or missing value) the default.
bool ReadCheck(const TpimXMLNode& scope, const std::string& name, bool fallback);
