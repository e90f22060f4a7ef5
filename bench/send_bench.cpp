// A full send through the real plug-in and the host stand-in: N simple entities (lines, with
// every tenth a point) on four layers, selected and sent with the toolbar button. Reports the
// time per entity and the process's peak resident memory after each size; the time per entity
// must stay flat as N grows.
//
//   vurkarx_bench --benchmark_filter=Send
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "arx/acdocman.h"
#include "arx/axlock.h"
#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbsymtb.h"
#include "desk_session.h"
#include "host/host_app.h"
#include "host/object_store.h"
#include "scenario.h"

namespace {

bool Run(desk::DeskSession& session, const std::string& text) {
  desk::Scenario s;
  std::string error;
  if (!desk::parseScenario(text, s, error)) return false;
  for (const auto& step : s.steps) {
    if (!session.run(step, error)) return false;
  }
  return true;
}

void AddEntities(AcDbDatabase& db, long n) {
  static const char16_t* const kLayers[] = {u"道路", u"水系", u"建筑", u"管线"};
  AcDbLayerTable* layers = nullptr;
  db.getLayerTable(layers, AcDb::kForWrite);
  for (const char16_t* name : kLayers) {
    if (layers->has(name)) continue;
    auto* rec = new AcDbLayerTableRecord;
    rec->setName(name);
    layers->add(rec);
    rec->close();
  }
  layers->close();
  AcDbBlockTableRecord* ms = nullptr;
  acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
  for (long i = 0; i < n; ++i) {
    const double x = 500000.0 + (i % 1000) * 10.0, y = 3370000.0 + (i / 1000) * 10.0;
    AcDbEntity* e = i % 10 == 9 ? static_cast<AcDbEntity*>(new AcDbPoint(AcGePoint3d(x, y, 0)))
                                : new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 7.5, y + 2.5, 0));
    e->setLayer(kLayers[i % 4]);
    ms->appendAcDbEntity(e);
    e->close();
  }
  ms->close();
}

void BM_Send(benchmark::State& state) {
  const long n = state.range(0);
  std::size_t objects = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const auto root = std::filesystem::temp_directory_path() / ("vurkarx-bench-send-" + std::to_string(n));
    std::filesystem::remove_all(root);
    std::ostringstream out;
    {
      auto session = std::make_unique<desk::DeskSession>(root, out);
      if (!Run(*session, "host start\nhost system gk 3 38\nmkdir C:\\b\ndocument new as C:\\b\\bench.dxf\nplugin load")) {
        state.SkipWithError("session set-up failed");
        return;
      }
      {
        AcAxDocLock lock(&session->drawing());
        AddEntities(session->drawing(), n);
      }
      if (!Run(*session, "select all")) {
        state.SkipWithError("select all failed");
        return;
      }
      state.ResumeTiming();
      const bool sent = Run(*session, "toolbar press 32768");
      state.PauseTiming();
      if (!sent) {
        state.SkipWithError("the send failed");
        return;
      }
      objects = session->hostApp()->objects().size();
      session.reset();
    }
    std::filesystem::remove_all(root);
    state.ResumeTiming();
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["entities"] = static_cast<double>(n);
  state.counters["host_objects"] = static_cast<double>(objects);
  state.counters["per_entity"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

BENCHMARK(BM_Send)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
