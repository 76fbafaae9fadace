#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Numbers as text: the forms of INI files, shared with the host's options dialog.

// Decimal text, or hexadecimal after "0x" (any case); either may carry a sign.
// Empty when the text is no 32-bit number.
std::optional<int32_t> ParseIntegerText(std::string_view text);

// A Boolean stored as the ordinal 0 or 1; empty for every other number.
std::optional<bool> BooleanOf(std::optional<int32_t> ordinal);

// A decimal number whose separator may be "," or "."; empty when the text is no number.
std::optional<double> ParseDoubleText(std::string_view text);

// General format with up to 15 significant digits and the given decimal
// separator; scientific ("1.5E20", "1E-6") only for exponents below -5 or from 15 up.
std::string FormatDoubleText(double value, char decimalSeparator);
