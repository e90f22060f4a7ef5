// Receive throughput: an object block of N simple map objects (two-point lines and text marks
// spread over a few folders) drawn into an empty drawing by the plug-in, with the host running.
// Reports the time per object and the peak resident memory of the process.
//
//   vurkarx_bench --benchmark_filter=Receive
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <filesystem>
#include <memory>
#include <sstream>
#include <vector>

#include "desk_session.h"
#include "exchange/doc_id_manager.h"
#include "exchange/map_record.h"
#include "receive/receive_objects.h"
#include "scenario.h"
#include "settings/settings_store.h"

namespace {

constexpr int kFolders = 4;

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void AppendEntry(std::vector<std::uint8_t>& block, const vurk::MapRecord& record, std::int32_t id,
                 std::uint32_t parent) {
  const auto body = vurk::serialiseRecord(record);
  const std::size_t at = block.size();
  block.resize(at + 64 + body->size(), 0);
  Put32(block, at, static_cast<std::uint32_t>(body->size()));
  Put32(block, at + 4, static_cast<std::uint32_t>(vurk::KindOf(record)));
  Put32(block, at + 8, static_cast<std::uint32_t>(id));
  Put32(block, at + 12, parent);
  std::memcpy(block.data() + at + 64, body->data(), body->size());
}

// Folders 1..kFolders, then n objects: three lines to one text mark.
std::vector<std::uint8_t> BlockOf(int n) {
  std::vector<std::uint8_t> block(80, 0);
  for (int f = 1; f <= kFolders; ++f) {
    vurk::FolderRecord folder = vurk::createFolderRecord();
    folder.name = "图层" + std::to_string(f);
    AppendEntry(block, folder, f, 0);
  }
  vurk::LineRecord line = vurk::createLineRecord(2);
  vurk::MarkRecord mark = vurk::createMarkRecord();
  mark.sourceKind = 3;
  mark.labelFixed = 1;
  for (int i = 0; i < n; ++i) {
    const double x = 500000.0 + (i % 1000) * 10.0;
    const double y = 3000000.0 + (i / 1000) * 10.0;
    const std::int32_t id = 1000 + i;
    const auto parent = static_cast<std::uint32_t>(1 + i % kFolders);
    if (i % 4 == 3) {
      mark.name = "点" + std::to_string(i);
      mark.east = x;
      mark.north = y;
      AppendEntry(block, mark, id, parent);
    } else {
      line.vertices[0] = {y, x, 0, 0};
      line.vertices[1] = {y + 5, x + 7, 0, 0};
      AppendEntry(block, line, id, parent);
    }
  }
  Put32(block, 16, static_cast<std::uint32_t>(block.size() - 80));
  return block;
}

// AutoCAD with the plug-in loaded and the host running, on a fresh desktop.
struct Session {
  Session()
      : root(std::filesystem::temp_directory_path() / "vurkarx-bench-receive"),
        desk((std::filesystem::remove_all(root), std::filesystem::create_directories(root), root), out) {
    steps("host start\nplugin load");
    vurk::CurrentSettings()->record().noZoneNumberCheck = 1;
  }
  ~Session() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  void steps(const std::string& text) {
    desk::Scenario s;
    std::string error;
    if (!desk::parseScenario(text, s, error)) throw std::runtime_error(error);
    for (const auto& step : s.steps) {
      if (!desk.run(step, error)) throw std::runtime_error(step.text + ": " + error);
    }
  }
  std::filesystem::path root;
  std::ostringstream out;
  desk::DeskSession desk;
};

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

void BM_Receive(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<std::uint8_t> block = BlockOf(n);
  std::size_t created = 0;
  double nanoseconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto session = std::make_unique<Session>();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    vurk::ReceiveReport report;
    vurk::ReceiveObjects(block, &report);
    nanoseconds += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    created = report.created;
    state.PauseTiming();
    if (vurk::CurrentDocState()->links.size() != created) state.SkipWithError("objects left unlinked");
    session.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["ns_per_object"] = nanoseconds / (static_cast<double>(state.iterations()) * n);
  state.counters["created"] = static_cast<double>(created);
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}

// The same objects received a second time: every entity is replaced and relinked.
void BM_ReceiveAgain(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<std::uint8_t> block = BlockOf(n);
  double nanoseconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto session = std::make_unique<Session>();
    vurk::ReceiveObjects(block);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    vurk::ReceiveReport report;
    vurk::ReceiveObjects(block, &report);
    nanoseconds += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    if (report.replaced != static_cast<std::size_t>(n)) state.SkipWithError("objects not replaced");
    session.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["ns_per_object"] = nanoseconds / (static_cast<double>(state.iterations()) * n);
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}

BENCHMARK(BM_Receive)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReceiveAgain)->Arg(10'000)->Arg(100'000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
