#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "PlcServer.h"

namespace plcsim {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CommandLine {
  ServerOptions server;
  std::string configPath;  // empty: the default memory
  bool pty = false;        // also serve a serial personality on a pseudo-terminal
  bool quiet = false;
  bool help = false;
};

// The usage text, with the personalities --protocol takes.
std::string Usage();

// `arguments` without the program name; raises UsageError for anything it does not take.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace plcsim
