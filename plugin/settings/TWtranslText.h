#pragma once

#include <string>
#include <string_view>

#include "settings/TWregMapLine.h"  // TrimControls

// Text forms the translator compares and produces.

// Removes the space character (only it) from both ends.
std::string_view TrimBlanks(std::string_view text);
std::string AsciiLower(std::string_view text);
// Lower case by the rules of the system code page, as the lower-case map keys.
std::string AnsiLower(std::string_view text);

// The lookup keys of one (trimmed) text.
struct TWtranslKeys {
  std::string Escaped;  // control characters written as "%" and two hex digits
  std::string Plain;    // the escaped key without its accelerator marks
  bool HadControls = false;
  bool HadAccelerator = false;
};

TWtranslKeys MakeKeys(std::string_view trimmed);

// Adapts a translation to the text it replaces: "%XX" back to control
// characters when the text had some, single "&" removed when it had no
// accelerator ("&&" stays).
std::u16string PostProcess(std::u16string translation, bool hadControls, bool hadAccelerator);

// True for texts worth collecting: with a letter or a character from 0x80 up.
bool HasWordCharacter(std::string_view text);
