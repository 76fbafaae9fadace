// dialogdata SCRIPT-XML FORM-NAME DATA-OUTPUT NAME-OUTPUT: writes the content
// of the dialog's script resource (the script, the form's resource name and
// the module's property map, in sections) and the form-name resource.
#include <exception>
#include <iostream>
#include <string>

#include "common/ToolFiles.h"
#include "resources/SettingsMapLines.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kSectionSeparator[] = "\r\n\r\n<=======>\r\n\r\n";

std::string DialogData(const std::string& script, const std::string& formName) {
  std::string data = script + kSectionSeparator + formName + kSectionSeparator;
  for (const char* line : kSettingsMapLines) data += std::string(line) + kLineEnd;
  return data;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: dialogdata SCRIPT-XML FORM-NAME DATA-OUTPUT NAME-OUTPUT\n";
    return 2;
  }
  try {
    WriteWholeFile(argv[3], DialogData(ReadWholeFile(argv[1]), argv[2]));
    WriteWholeFile(argv[4], argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "dialogdata: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
