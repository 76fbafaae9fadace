#pragma once

#include <stdexcept>
#include <string>

#include "FormModel.h"

// A text form that cannot be read; the message names the line.
class EFormText : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the text form ("object Name: TClass", "Path = value" lines, nested
// objects, "end"). Values: integers, floats (with a "."), quoted strings with
// doubled quotes, True and False, identifiers, sets "[a, b]" and string
// lists "( 'a' 'b' )".
TFormObject ParseFormText(const std::string& text);
