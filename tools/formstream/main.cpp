// formstream TEXT-FORM OUTPUT: writes the binary form stream of a text form.
#include <exception>
#include <iostream>

#include "FormStream.h"
#include "FormText.h"
#include "common/ToolFiles.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: formstream TEXT-FORM OUTPUT\n";
    return 2;
  }
  try {
    WriteWholeFile(argv[2], WriteFormStream(ParseFormText(ReadWholeFile(argv[1]))));
  } catch (const std::exception& e) {
    std::cerr << argv[1] << ": " << e.what() << '\n';
    return 1;
  }
  return 0;
}
