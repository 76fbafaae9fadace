#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AnimationThread.h"
#include "CommandLine.h"
#include "Description.h"
#include "LineServer.h"
#include "MemoryLoader.h"
#include "PlcServer.h"
#include "PtyLine.h"
#include "StopSignal.h"

namespace {

constexpr std::chrono::milliseconds kAnimationTick(100);

plcsim::Description LoadDescription(const std::string& path) {
  return path.empty() ? plcsim::ParseDescription(plcsim::kDefaultDescription)
                      : plcsim::ReadDescriptionFile(path);
}

// A serial personality on a pseudo-terminal, served on its own thread until stopped.
class PtyService {
 public:
  PtyService(const plcsim::PlcMemory& memory, const plcsim::ServerOptions& options)
      : personality_(
            options.personality->make(plcsim::PersonalitySettings{&memory, options.plcAddress})),
        pacing_(options.baud) {
    thread_ = std::thread([this] { plcsim::ServeLine(line_, *personality_, pacing_); });
  }
  ~PtyService() {
    line_.Stop();
    thread_.join();
  }
  PtyService(const PtyService&) = delete;
  PtyService& operator=(const PtyService&) = delete;

  const std::string& Path() const { return line_.Path(); }

 private:
  plcsim::PtyLine line_;
  std::unique_ptr<plcsim::LinePersonality> personality_;
  plcsim::LinePacing pacing_;
  std::thread thread_;
};

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
  std::unique_ptr<PtyService> pty;
  if (options.pty) {
    pty = std::make_unique<PtyService>(memory, options.server);
    std::cout << "plcsim serial line on " << pty->Path() << std::endl;
  }
  std::cout << "plcsim listening on " << server.ListeningOn() << std::endl;
  plcsim::WaitForStopSignal();
  pty.reset();
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
      std::cout << plcsim::Usage();
      return 0;
    }
    return Run(options);
  } catch (const plcsim::UsageError& error) {
    std::cerr << "plcsim: " << error.what() << "\n" << plcsim::Usage();
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "plcsim: " << error.what() << std::endl;
    return 1;
  }
}
