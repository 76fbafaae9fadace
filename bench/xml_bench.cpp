// Parse time of request tree texts as the options dialog stores them, and of
// malformed text that makes every tag search fail.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <climits>
#include <memory>
#include <string>

#include "xml/pimXMLTree.h"

namespace {

void AppendElement(std::string& text, const char* name, const std::string& value) {
  text.append("<").append(name).append(">").append(value);
  text.append("</").append(name).append(">\r\n");
}

// A check box as the dialog stores it: no text, the state in "check" (2 = on).
void AppendCheckBox(std::string& text, const char* name, bool on) {
  text.append("<").append(name).append(on ? " check=\"2\"/>\r\n" : " check=\"0\"/>\r\n");
}

void AppendItem(std::string& text, int request, int item) {
  static const char* const kTypes[] = {"D16", "F32", "D32", "BIT"};
  const std::string n = std::to_string(item);
  text += "<Item caption=\"Value " + n + " of request " + std::to_string(request) + "\">\r\n";
  AppendElement(text, "Name", "VALUE_" + n);
  AppendElement(text, "Offset", "-1");
  AppendElement(text, "Count", std::to_string(1 + item % 4));
  text += "<AppendCnt check=\"2\"><ZeroBaseCnt check=\"0\"/></AppendCnt>\r\n";
  AppendElement(text, "DataType", kTypes[item % 4]);
  AppendCheckBox(text, "LE", false);
  AppendCheckBox(text, "Unsigned", true);
  AppendCheckBox(text, "Swapped", true);
  AppendElement(text, "Default", "0");
  AppendElement(text, "Scale", "0,5");
  text += "</Item>\r\n";
}

void AppendRequest(std::string& text, int request) {
  text += "<Request caption=\"Tank &amp; pump " + std::to_string(request) + "\">\r\n";
  AppendCheckBox(text, "Enabled", true);
  AppendElement(text, "Area", "5");
  AppendElement(text, "Datablock", std::to_string(request % 100));
  AppendElement(text, "Offset", std::to_string(request % 7 * 16));
  AppendElement(text, "Size", "64");
  AppendElement(text, "Timeout", "3000");
  text += "<RequestMethod>\r\n";
  AppendCheckBox(text, "MethodOnce", false);
  text += "<MethodPoll check=\"2\">\r\n";
  AppendElement(text, "PollInterval", std::to_string(500 + request % 10 * 100));
  AppendElement(text, "PollUnits", "MS");
  text += "</MethodPoll>\r\n</RequestMethod>\r\n<Response>\r\n";
  for (int item = 0; item < 3; ++item) AppendItem(text, request, item);
  text += "</Response>\r\n</Request>\r\n";
}

std::string RequestTree(int requests) {
  std::string text = "<MODBUSRTUQUERY>\r\n";
  for (int request = 1; request <= requests; ++request) AppendRequest(text, request);
  return text + "</MODBUSRTUQUERY>\r\n";
}

// How the C library's free pages are treated between rounds. glibc returns
// large freed blocks to the system, so left alone a 10 MB text would pay for
// fresh pages every round while a 1 MB text reuses warm ones. Both sizes are
// therefore measured under one rule: pages kept from the round before, or all
// free pages returned before each round, as at the first parse of a settings load.
enum class Pages { kKept, kReturned };

void Parse(benchmark::State& state, const std::string& text, Pages pages) {
  mallopt(M_TRIM_THRESHOLD, pages == Pages::kKept ? INT_MAX : 128 * 1024);
  mallopt(M_MMAP_THRESHOLD, pages == Pages::kKept ? 32 << 20 : 128 * 1024);
  while (state.KeepRunning()) {
    auto tree = std::make_unique<TpimXMLTree>();
    tree->ParseText(text);
    benchmark::DoNotOptimize(tree->ChildCount());
    state.PauseTiming();
    tree.reset();
    if (pages == Pages::kReturned) malloc_trim(0);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_ParseRequestTree(benchmark::State& state) {
  Parse(state, RequestTree(static_cast<int>(state.range(0))), Pages::kKept);
}
BENCHMARK(BM_ParseRequestTree)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ParseRequestTreeFreshPages(benchmark::State& state) {
  Parse(state, RequestTree(static_cast<int>(state.range(0))), Pages::kReturned);
}
BENCHMARK(BM_ParseRequestTreeFreshPages)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Tag searches that all fail, alternating the quote state.
void BM_ParseUnterminatedTags(benchmark::State& state) {
  std::string text;
  while (text.size() < static_cast<size_t>(state.range(0))) text += "<'<\"x";
  Parse(state, text, Pages::kKept);
}
BENCHMARK(BM_ParseUnterminatedTags)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
