// scriptxml SCRIPT OUTPUT: writes the syntax tree of a dialog script as one
// line of XML after the XML declaration.
#include <exception>
#include <iostream>

#include "ScriptParser.h"
#include "common/ToolFiles.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: scriptxml SCRIPT OUTPUT\n";
    return 2;
  }
  try {
    const TXmlElement program = ParseScript(ReadWholeFile(argv[1]));
    WriteWholeFile(argv[2], "<?xml version=\"1.0\"?>" + WriteXml(program));
  } catch (const std::exception& e) {
    std::cerr << argv[1] << ": " << e.what() << '\n';
    return 1;
  }
  return 0;
}
