#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "AnimationThread.h"
#include "CommandLine.h"
#include "Description.h"
#include "MemoryLoader.h"
#include "PlcServer.h"
#include "StopSignal.h"

namespace {

constexpr std::chrono::milliseconds kAnimationTick(100);

plcsim::Description LoadDescription(const std::string& path) {
  return path.empty() ? plcsim::ParseDescription(plcsim::kDefaultDescription)
                      : plcsim::ReadDescriptionFile(path);
}

int Run(const plcsim::CommandLine& options) {
  const plcsim::Description description = LoadDescription(options.configPath);
  plcsim::PlcMemory memory;
  plcsim::LoadMemory(description, memory);

  plcsim::BlockStopSignals();
  plcsim::LogFunction log;
  if (!options.quiet) {
    log = [](const std::string& line) { std::cout << "plcsim: " << line << std::endl; };
  }
  plcsim::PlcServer server(memory, options.server, log);
  server.Start();
  plcsim::AnimationThread animation(description.values, memory, kAnimationTick);
  std::cout << "plcsim listening on " << server.ListeningOn() << std::endl;
  plcsim::WaitForStopSignal();
  server.Stop();
  std::cout << "plcsim stopped" << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const plcsim::CommandLine options =
        plcsim::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
      std::cout << plcsim::kUsage;
      return 0;
    }
    return Run(options);
  } catch (const plcsim::UsageError& error) {
    std::cerr << "plcsim: " << error.what() << "\n" << plcsim::kUsage;
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "plcsim: " << error.what() << std::endl;
    return 1;
  }
}
