#include "ProcessSpawn.h"

#include <chrono>
#include <thread>

#include "platform/Library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace settings_test {

#ifdef _WIN32

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
  const std::string path = platform::ProgramFolder() + "\\" + program + ".exe";
  std::string commandLine = "\"" + path + "\"";
  for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = reinterpret_cast<intptr_t>(info.hProcess);
  }
}

ChildProcess::~ChildProcess() {
  if (process_ == 0) return;
  const auto handle = reinterpret_cast<HANDLE>(process_);
  TerminateProcess(handle, 1);
  CloseHandle(handle);
}

int ChildProcess::Wait(uint32_t timeoutMs) {
  if (process_ == 0) return -1;
  const auto handle = reinterpret_cast<HANDLE>(process_);
  if (WaitForSingleObject(handle, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(handle, &code);
  CloseHandle(handle);
  process_ = 0;
  return static_cast<int>(code);
}

#else

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
  std::string path = platform::ProgramFolder() + "/" + program;
  std::vector<std::string> texts = {path};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(texts.size() + 1);
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) == 0) process_ = pid;
}

ChildProcess::~ChildProcess() {
  if (process_ == 0) return;
  kill(static_cast<pid_t>(process_), SIGKILL);
  waitpid(static_cast<pid_t>(process_), nullptr, 0);
}

int ChildProcess::Wait(uint32_t timeoutMs) {
  if (process_ == 0) return -1;
  // waitpid has no time-out: poll it within the bound.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(static_cast<pid_t>(process_), &status, WNOHANG) == process_) {
      process_ = 0;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return -1;
}

#endif

bool ChildProcess::Started() const { return process_ != 0; }

}  // namespace settings_test
