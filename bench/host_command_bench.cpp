// One command round trip as a host makes it: a new parameter list with
// "COMMAND", "PARAM" and "RESULT", ExecutePluginCommand, the answer read back.
// Target: below 5 µs natively.
#include <benchmark/benchmark.h>

#include <string>

#include "HostSession.h"
#include "PluginCommand.h"
#include "PluginLibrary.h"

namespace {

void BM_GetModuleParameter(benchmark::State& state) {
#if defined(MOX_PLUGIN_PATH)
  host::TPluginLibrary library(MOX_PLUGIN_PATH);
  host::THostSession session(library, 1);
  session.Create();
  session.Load({});
  const TPluginCallRec base = session.Record();
  const host::TCommandParams params = {{"PARAM", TVariant::OfAnsi("ModuleName")}};
  while (state.KeepRunning()) {
    host::TCommandResult result = host::RunCommand(library.Exports().ExecutePluginCommand, base,
                                                   "GET-MODULE-PARAMETER", params, true);
    benchmark::DoNotOptimize(result);
  }
#else
  state.SkipWithError("this build has no plug-in");
#endif
}
BENCHMARK(BM_GetModuleParameter);

}  // namespace
