#include "settings/TWtranslFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>

std::vector<std::string> SplitFileList(const std::string& files) {
  std::vector<std::string> paths;
  size_t start = 0;
  while (start <= files.size()) {
    const size_t end = std::min(files.find('|', start), files.size());
    if (end > start) paths.push_back(files.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

bool FileExists(const std::string& path) { return std::ifstream(path).is_open(); }

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;
  return content;
}

std::string CollectedFileName(const std::string& files, bool unused, bool findFreeName) {
  const std::vector<std::string> paths = SplitFileList(files);
  if (paths.empty()) return {};
  const std::string& stem = paths.back();
  const std::string extension = unused ? ".unused" : ".new";
  std::string name = stem + extension;
  for (int number = 1; findFreeName && FileExists(name); ++number) {
    name = stem;
    name.append(".").append(std::to_string(number)).append(extension);
  }
  return name;
}

bool WriteCollectedFile(const std::string& path, bool append, const std::string& source,
                        const std::string& target, const std::set<std::string>& texts) {
  const bool extend = append && FileExists(path);
  std::ofstream file(path, std::ios::binary | (extend ? std::ios::app : std::ios::trunc));
  if (!file.is_open()) return false;
  if (!extend) {
    file << "[Languages]\r\n$" << source << " = #1\r\n$" << target << " = #2 (Default)\r\n"
         << "Default = " << target << "\r\n\r\n";
  }
  for (const std::string& text : texts) {
    file << source << ":>" << text << "\r\n" << target << ":>\r\n\r\n";
  }
  file << "\r\n";
  return file.good();
}
