// DXF read and write throughput (MB/s) on a generated 100,000-entity drawing and on the
// largest real drawing of the data set (VURKARX_DATA_DIR names the data folder; that
// benchmark is skipped without it).
//
//   vurkarx_bench --benchmark_filter=Dxf
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "arx/dxf.h"

namespace {

// 100,000 entities in model space: lines, circles, arcs, lightweight polylines and texts on a
// few layers.
std::unique_ptr<AcDbDatabase> generatedDrawing(int entities) {
  auto db = std::make_unique<AcDbDatabase>();
  AcDbLayerTable* lt = nullptr;
  db->getLayerTable(lt, AcDb::kForWrite);
  AcDbObjectId layers[4];
  for (int i = 0; i < 4; ++i) {
    auto* rec = new AcDbLayerTableRecord;
    rec->setName((u"Layer" + std::u16string(1, static_cast<char16_t>(u'A' + i))).c_str());
    lt->add(layers[i], rec);
    rec->close();
  }
  lt->close();
  AcDbBlockTableRecord* ms = nullptr;
  acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
  for (int i = 0; i < entities; ++i) {
    const double x = (i % 1000) * 10.0 + 0.123, y = (i / 1000) * 10.0 + 0.456;
    AcDbEntity* e = nullptr;
    switch (i % 5) {
      case 0: e = new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 7.5, y + 2.25, 0)); break;
      case 1: e = new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, 3.3); break;
      case 2: e = new AcDbArc(AcGePoint3d(x, y, 0), 2.2, 0.5, 2.5); break;
      case 3: {
        auto* pl = new AcDbPolyline;
        pl->addVertexAt(0, AcGePoint2d(x, y), 0.0, 0, 0);
        pl->addVertexAt(1, AcGePoint2d(x + 5, y), 0.5, 0, 0);
        pl->addVertexAt(2, AcGePoint2d(x + 5, y + 5), 0.0, 0, 0);
        e = pl;
        break;
      }
      default: e = new AcDbText(AcGePoint3d(x, y, 0), u"Label 12345", AcDbObjectId::kNull, 2.5, 0.0); break;
    }
    e->setLayer(layers[i % 4]);
    ms->appendAcDbEntity(e);
    e->close();
  }
  ms->close();
  return db;
}

std::string generatedText() {
  auto db = generatedDrawing(100000);
  std::string out;
  arxdxf::writeDxf(*db, out);
  return out;
}

void BM_DxfRead100kEntities(benchmark::State& state) {
  const std::string text = generatedText();
  for (auto _ : state) {
    arxdxf::ReadResult r = arxdxf::readDxf(text);
    if (!r.database) state.SkipWithError(r.reason.c_str());
    benchmark::DoNotOptimize(r.database.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_DxfRead100kEntities)->Unit(benchmark::kMillisecond);

void BM_DxfWrite100kEntities(benchmark::State& state) {
  auto db = generatedDrawing(100000);
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string out;
    arxdxf::writeDxf(*db, out);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_DxfWrite100kEntities)->Unit(benchmark::kMillisecond);

void BM_DxfReadLargestRealDrawing(benchmark::State& state) {
  const char* dir = std::getenv("VURKARX_DATA_DIR");
  if (!dir) {
    state.SkipWithError("set VURKARX_DATA_DIR to the shared data folder");
    return;
  }
  std::filesystem::path largest;
  std::uintmax_t size = 0;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(dir) / "dxf"))
    if (e.path().extension() == ".dxf" && e.file_size() > size) {
      size = e.file_size();
      largest = e.path();
    }
  std::ifstream in(largest, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();
  state.SetLabel(largest.filename().string());
  for (auto _ : state) {
    arxdxf::ReadResult r = arxdxf::readDxf(text);
    if (!r.database) state.SkipWithError(r.reason.c_str());
    benchmark::DoNotOptimize(r.database.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_DxfReadLargestRealDrawing)->Unit(benchmark::kMillisecond);

}  // namespace
