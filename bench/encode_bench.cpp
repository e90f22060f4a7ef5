// Entity encoding throughput: entities per second and stream bytes per second for lines,
// polylines with bulges, texts and hatches, and memcpy of the same bytes in the same run as the
// yardstick (the "memcpy/..." benchmark of each kind copies exactly the stream bytes its
// encoding produced).
//
//   vurkarx_bench --benchmark_filter=Encode
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "arx/acad_app.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbpl.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "exchange/entity_encoder.h"
#include "win32/desktop.h"

namespace {

constexpr int kEntities = 2000;

enum class Kind { Lines, BulgedPolylines, Texts, Hatches };

AcDbEntity* makeEntity(Kind kind, int i) {
  const double x = (i % 100) * 10.0 + 0.123, y = (i / 100) * 10.0 + 0.456;
  switch (kind) {
    case Kind::Lines: return new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 7.5, y + 2.25, 0));
    case Kind::BulgedPolylines: {
      auto* pl = new AcDbPolyline;
      for (unsigned k = 0; k < 8; ++k) pl->addVertexAt(k, AcGePoint2d(x + k, y + (k % 2)), k % 2 ? 0.4 : 0.0);
      return pl;
    }
    case Kind::Texts: return new AcDbText(AcGePoint3d(x, y, 0), u"站点 A-12", AcDbObjectId::kNull, 2.5);
    case Kind::Hatches: {
      auto* h = new AcDbHatch;
      h->setPattern(AcDbHatch::kPreDefined, u"SOLID");
      AcGePoint2dArray pts;
      AcGeDoubleArray bulges;
      for (auto [dx, dy, b] : {std::tuple{0.0, 0.0, 0.0}, {5.0, 0.0, 0.5}, {5.0, 5.0, 0.0}, {0.0, 5.0, 0.0}}) {
        pts.append(AcGePoint2d(x + dx, y + dy));
        bulges.append(b);
      }
      h->appendLoop(AcDbHatch::kExternal, pts, bulges);
      return h;
    }
  }
  return nullptr;
}

// A drawing of one kind of entity, with the stand-ins the encoders need.
struct Drawing {
  explicit Drawing(Kind kind)
      : root(std::filesystem::temp_directory_path() / "vurkarx-bench-encode"),
        desktop((std::filesystem::create_directories(root), root)),
        desktopScope(desktop),
        acad(desktop),
        acadScope(acad) {
    services.setWorkingDatabase(&db);
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
    for (int i = 0; i < kEntities; ++i) {
      AcDbObjectId id;
      AcDbEntity* e = makeEntity(kind, i);
      ms->appendAcDbEntity(id, e);
      e->close();
      ids.push_back(id);
    }
    ms->close();
  }
  ~Drawing() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }

  // Encodes every entity into a fresh stream and returns its length.
  std::vector<std::uint8_t> encodeAll() {
    vurk::FreshLinks links;
    vurk::PatternLists patterns([] { return std::optional<vurk::PatternList>(); });
    vurk::ObjectStream stream = vurk::StartObjectStream(0);
    vurk::EncodeSession session(stream, links, patterns, &db);
    session.mapScale = 0.3;
    for (AcDbObjectId id : ids) {
      AcDbEntity* e = nullptr;
      acdbOpenAcDbEntity(e, id, AcDb::kForWrite);
      vurk::EntityLink link = links.linkOf(*e);
      vurk::encodeEntity(*e, session, link);
      e->close();
    }
    vurk::FinishObjectStream(stream, 0);
    return {stream.bytes().begin(), stream.bytes().end()};
  }

  std::filesystem::path root;
  win32::Desktop desktop;
  win32::DesktopScope desktopScope;
  arx::AcadApplication acad;
  arx::AcadScope acadScope;
  AcDbHostApplicationServices services;
  AcDbHostServicesScope servicesScope{services};
  AcDbDatabase db;
  std::vector<AcDbObjectId> ids;
};

void BM_Encode(benchmark::State& state, Kind kind) {
  Drawing drawing(kind);
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto stream = drawing.encodeAll();
    bytes = stream.size();
    benchmark::DoNotOptimize(stream.data());
  }
  state.SetItemsProcessed(state.iterations() * kEntities);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
  state.counters["stream_bytes"] = static_cast<double>(bytes);
}

void BM_Memcpy(benchmark::State& state, Kind kind) {
  Drawing drawing(kind);
  const std::vector<std::uint8_t> source = drawing.encodeAll();
  std::vector<std::uint8_t> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.size()));
}

BENCHMARK_CAPTURE(BM_Encode, lines, Kind::Lines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Memcpy, lines, Kind::Lines);
BENCHMARK_CAPTURE(BM_Encode, bulged_polylines, Kind::BulgedPolylines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Memcpy, bulged_polylines, Kind::BulgedPolylines);
BENCHMARK_CAPTURE(BM_Encode, texts, Kind::Texts)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Memcpy, texts, Kind::Texts);
BENCHMARK_CAPTURE(BM_Encode, hatches, Kind::Hatches)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Memcpy, hatches, Kind::Hatches);

}  // namespace
