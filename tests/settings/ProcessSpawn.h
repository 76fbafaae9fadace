#pragma once

// Starts test helper programs that live beside the test executable.

#include <cstdint>
#include <string>
#include <vector>

namespace settings_test {

class ChildProcess {
 public:
  // Starts the helper `program` (no extension) from the test executable's folder.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
  // Ends a child that is still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const;
  // The exit code, or -1 when the child did not end within timeoutMs (it is then ended).
  int Wait(uint32_t timeoutMs);

 private:
  intptr_t process_ = 0;  // process handle or id; 0 when none
};

}  // namespace settings_test
