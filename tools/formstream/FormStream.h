#pragma once

#include <stdexcept>
#include <string>

#include "FormModel.h"

// A value that the binary form cannot carry (a name longer than 255 bytes).
class EFormStream : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The binary form stream ("TPF0") of a component tree: integers in their
// smallest type, floats as 80-bit extended, ASCII strings as short or long
// strings and other text as UTF-8 strings.
std::string WriteFormStream(const TFormObject& root);
