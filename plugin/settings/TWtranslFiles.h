#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The translator's files: the language files it reads and the file of texts
// it collected.

// The non-empty paths of a "|"-separated list, in order.
std::vector<std::string> SplitFileList(const std::string& files);
bool FileExists(const std::string& path);
// The whole content of a file; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Where collected texts go: the last file of the list followed by ".unused"
// (unused entries) or ".new"; with `findFreeName` a number is put before that
// extension (".1.new", ".2.new", ...) until the name is free. Empty without a file.
std::string CollectedFileName(const std::string& files, bool unused, bool findFreeName);

// Writes the collected texts as blocks with an empty target text. A file made
// anew starts with the "[Languages]" section; with `append` an existing file is
// extended. False when the file could not be written.
bool WriteCollectedFile(const std::string& path, bool append, const std::string& source,
                        const std::string& target, const std::set<std::string>& texts);
