// The desk's `encode` verb.
#include "encode_command.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>

#include "arx/acad_app.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbsymtb.h"
#include "arx/dxf.h"
#include "exchange/entity_encoder.h"
#include "host/field_table.h"
#include "host/object_stream.h"
#include "host/object_stream_json.h"
#include "win32/desktop.h"
#include "win32/unicode.h"
#include "count_command.h"
#include "scratch_folder.h"

namespace desk {

namespace {

struct Options {
  std::string drawing;
  std::string jsonOut;
  std::string rawOut;
  double mapScale = 0;
};

bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--out" && hasValue) {
      o.jsonOut = args[++i];
    } else if (a == "--raw" && hasValue) {
      o.rawOut = args[++i];
    } else if (a == "--map-scale" && hasValue) {
      try {
        o.mapScale = std::stod(args[++i]);
      } catch (const std::exception&) {
        error = "--map-scale needs a number";
        return false;
      }
    } else if (o.drawing.empty() && a.rfind("--", 0) != 0) {
      o.drawing = a;
    } else {
      error = "unexpected argument " + a;
      return false;
    }
  }
  if (o.drawing.empty()) error = "no drawing given";
  return !o.drawing.empty();
}

struct LayerEntities {
  std::u16string layer;
  std::vector<AcDbObjectId> ids;
};

std::vector<LayerEntities> ByLayer(const AcDbDatabase& db) {
  std::vector<LayerEntities> layers;
  std::map<std::u16string, std::size_t> index;
  for (AcDbObjectId id : modelSpaceIds(db)) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
    const std::u16string layer = e->layer();
    e->close();
    auto [it, added] = index.try_emplace(layer, layers.size());
    if (added) layers.push_back({layer, {}});
    layers[it->second].ids.push_back(id);
  }
  return layers;
}

std::string SourceKindText(const host::StreamEntry& e) {
  if (e.kind != host::RecordKind::Mark && e.kind != host::RecordKind::Line) return "-";
  for (const auto& f : host::recordFields(e.kind, e.body)) {
    if (f.name == "sourceKind") return std::to_string(std::get<std::uint64_t>(f.value));
  }
  return "-";
}

const char* KindText(host::RecordKind k) {
  switch (k) {
    case host::RecordKind::Mark: return "MarkRecord";
    case host::RecordKind::Line: return "LineRecord";
    case host::RecordKind::MultiPart: return "MultiPartRecord";
    case host::RecordKind::Area: return "AreaRecord";
    case host::RecordKind::Folder: return "FolderRecord";
  }
  return "?";
}

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
  std::ofstream f(path, std::ios::binary);
  f.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(f);
}

}  // namespace

int runEncodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options o;
  std::string error;
  if (!ParseOptions(args, o, error)) {
    err << "vurkarx-desk: encode: " << error << "\n";
    return 2;
  }
  arxdxf::ReadResult r = arxdxf::readDxfFile(o.drawing);
  if (!r.database) {
    err << "vurkarx-desk: cannot read " << o.drawing << ": " << r.reason << "\n";
    return 1;
  }
  AcDbDatabase& db = *r.database;
  ScratchFolder scratch("encode");
  win32::Desktop desktop(scratch.path());
  win32::DesktopScope desktopScope(desktop);
  arx::AcadApplication acad(desktop);
  arx::AcadScope acadScope(acad);
  AcDbHostApplicationServices services;
  services.setWorkingDatabase(&db);
  AcDbHostServicesScope servicesScope(services);

  vurk::FreshLinks links;
  vurk::PatternLists patterns([] { return std::optional<vurk::PatternList>(); });
  vurk::ObjectStream stream = vurk::StartObjectStream(0);
  vurk::EncodeSession session(stream, links, patterns, &db);
  session.mapScale = o.mapScale;

  std::map<std::pair<std::string, std::string>, long> outcomes;  // (class, outcome) -> count
  std::vector<std::string> skipped;
  long entities = 0;
  for (const LayerEntities& layer : ByLayer(db)) {
    std::vector<std::string> deferredPoints;
    for (AcDbObjectId id : layer.ids) {
      AcDbEntity* e = nullptr;
      if (acdbOpenAcDbEntity(e, id, AcDb::kForWrite) != Acad::eOk) continue;
      ++entities;
      const std::string cls = win32::utf16ToUtf8(e->isA()->name());
      const std::string handle = win32::utf16ToUtf8(e->objectHandle().ascii());
      vurk::EntityLink link = links.linkOf(*e);
      vurk::encodeEntity(*e, session, link);
      e->close();
      const vurk::EncodeOutcome& result = session.lastOutcome;
      switch (result.kind) {
        case vurk::EncodeOutcome::Encoded:
          ++outcomes[{cls, "encoded"}];
          break;
        case vurk::EncodeOutcome::Deferred:
          deferredPoints.push_back(cls + "\t" + handle);
          break;
        case vurk::EncodeOutcome::Skipped:
          ++outcomes[{cls, result.reason.rfind("icon of", 0) == 0 ? "sent with its label" : "skipped"}];
          skipped.push_back(cls + "\t" + handle + "\t" + result.reason);
          break;
      }
    }
    const bool sets = vurk::encodePointSet(session, vurk::FreshLink()) > 0;
    vurk::encodeJoinedPolylines(session, vurk::FreshLink());
    for (const std::string& d : deferredPoints) {
      const std::string cls = d.substr(0, d.find('\t'));
      if (sets) {
        ++outcomes[{cls, "point set"}];
      } else {
        ++outcomes[{cls, "skipped"}];
        skipped.push_back(d + "\ta single new point of its layer is not sent");
      }
    }
  }
  vurk::FinishObjectStream(stream, 0);

  std::string why;
  const auto view = host::readObjectStream(stream.bytes(), &why);
  if (!view) {
    err << "vurkarx-desk: the host cannot read the stream: " << why << "\n";
    return 1;
  }
  std::map<std::pair<std::string, std::string>, long> records;
  for (const host::StreamEntry& e : view->entries) ++records[{KindText(e.kind), SourceKindText(e)}];

  for (const auto& [key, n] : outcomes) out << "entity\t" << key.first << '\t' << key.second << '\t' << n << '\n';
  for (const std::string& s : skipped) out << "skipped\t" << s << '\n';
  for (const auto& [key, n] : records) out << "record\t" << key.first << '\t' << key.second << '\t' << n << '\n';
  out << "total\tentities " << entities << "\trecords " << view->entries.size() << "\tbytes " << stream.used() << '\n';

  if (!o.jsonOut.empty()) {
    const std::string json = host::objectStreamJson(*view);
    if (!WriteFile(o.jsonOut, json.data(), json.size())) {
      err << "vurkarx-desk: cannot write " << o.jsonOut << "\n";
      return 1;
    }
  }
  if (!o.rawOut.empty() && !WriteFile(o.rawOut, stream.bytes().data(), stream.bytes().size())) {
    err << "vurkarx-desk: cannot write " << o.rawOut << "\n";
    return 1;
  }
  return 0;
}

}  // namespace desk
