// The TABLES section: layers, linetypes, text styles, registered applications, views and
// block records as database records; the records of other tables (VPORT, UCS, DIMSTYLE)
// kept as proxy objects owned by a proxy table.
#include <cmath>

#include "arx/dbsymtb.h"
#include "db_internal.h"
#include "dxf_read.h"
#include "win32/unicode.h"

namespace arxdxf::detail {

using arxdetail::DbAccess;

namespace {

constexpr double kPi = 3.14159265358979323846;
double radians(double degrees) { return degrees * kPi / 180.0; }

// Transparency a layer keeps in extended data ("AcCmTransparency" 1071 value).
bool layerTransparency(const GroupSpan& xdata, Adesk::UInt32& value) {
  for (const Group* g = xdata.begin(); g != xdata.end(); ++g) {
    if (g->code == 1001 && trimmed(g->value) == "AcCmTransparency") {
      for (const Group* h = g + 1; h != xdata.end() && h->code != 1001; ++h)
        if (h->code == 1071) {
          value = static_cast<Adesk::UInt32>(toInt32(*h));
          return true;
        }
    }
  }
  return false;
}

std::unique_ptr<AcDbSymbolTableRecord> readLayer(Reader& r, const SplitRecord& s, AcCmTransparency& transparency,
                                                 bool& hasTransparency, std::u16string& linetype) {
  auto rec = std::make_unique<AcDbLayerTableRecord>();
  ColorReader color;
  for (const Group& g : s.body) {
    if (color.take(r, g)) continue;
    switch (g.code) {
      case 2: rec->setName(r.text(g).c_str()); break;
      case 70: {
        int flags = toInt32(g);
        rec->setIsFrozen((flags & 1) != 0);
        rec->setIsLocked((flags & 4) != 0);
        break;
      }
      case 6: linetype = r.text(g); break;
      case 290: rec->setIsPlottable(toInt(g) != 0); break;
      case 370: rec->setLineWeight(static_cast<AcDb::LineWeight>(toInt32(g))); break;
      default: break;
    }
  }
  if (color.hasAci && color.aci < 0) rec->setIsOff(true);
  if (color.hasAci || color.hasRgb) rec->setColor(color.color());
  Adesk::UInt32 t = 0;
  hasTransparency = layerTransparency(s.xdata, t);
  if (hasTransparency) transparency.serializeIn(t);
  return rec;
}

std::unique_ptr<AcDbSymbolTableRecord> readLinetype(Reader& r, const SplitRecord& s) {
  auto rec = std::make_unique<AcDbLinetypeTableRecord>();
  std::vector<double> dashes;
  bool complex = false;
  for (const Group& g : s.body) {
    switch (g.code) {
      case 2: rec->setName(r.text(g).c_str()); break;
      case 3: rec->setComments(r.text(g).c_str()); break;
      case 40: rec->setPatternLength(toReal(g)); break;
      case 49: dashes.push_back(toReal(g)); break;
      case 74:
        if (toInt(g) != 0) complex = true;
        break;
      default: break;
    }
  }
  rec->setNumDashes(static_cast<int>(dashes.size()));
  for (std::size_t i = 0; i < dashes.size(); ++i) rec->setDashLengthAt(static_cast<int>(i), dashes[i]);
  if (complex)
    r.warn(s.record->line, "linetype \"" + win32::utf16ToUtf8(rec->getName()) +
                               "\": its text and shape elements are not kept (dashes only)");
  return rec;
}

std::unique_ptr<AcDbSymbolTableRecord> readStyle(Reader& r, const SplitRecord& s) {
  auto rec = std::make_unique<AcDbTextStyleTableRecord>();
  for (const Group& g : s.body) {
    switch (g.code) {
      case 2: rec->setName(r.text(g).c_str()); break;
      case 70: {
        int flags = toInt32(g);
        rec->setIsShapeFile((flags & 1) != 0);
        rec->setIsVertical((flags & 4) != 0);
        break;
      }
      case 40: rec->setTextSize(toReal(g)); break;
      case 41: rec->setXScale(toReal(g)); break;
      case 50: rec->setObliquingAngle(radians(toReal(g))); break;
      case 71: rec->setFlagBits(static_cast<Adesk::UInt8>(toInt(g))); break;
      case 3: rec->setFileName(r.text(g).c_str()); break;
      case 4: rec->setBigFontFileName(r.text(g).c_str()); break;
      default: break;
    }
  }
  return rec;
}

std::unique_ptr<AcDbSymbolTableRecord> readView(Reader& r, const SplitRecord& s) {
  auto rec = std::make_unique<AcDbViewTableRecord>();
  PointReader center, dir, target;
  dir.p = {0, 0, 1};
  for (const Group& g : s.body) {
    if (center.take(g, 10) || dir.take(g, 11) || target.take(g, 12)) continue;
    switch (g.code) {
      case 2: rec->setName(r.text(g).c_str()); break;
      case 70: rec->setIsPaperspaceView((toInt32(g) & 1) != 0); break;
      case 40: rec->setHeight(toReal(g)); break;
      case 41: rec->setWidth(toReal(g)); break;
      case 42: rec->setLensLength(toReal(g)); break;
      case 43: rec->setFrontClipDistance(toReal(g)); break;
      case 44: rec->setBackClipDistance(toReal(g)); break;
      case 50: rec->setViewTwist(radians(toReal(g))); break;
      case 71: {
        int mode = toInt32(g);
        rec->setPerspectiveEnabled((mode & 1) != 0);
        rec->setFrontClipEnabled((mode & 2) != 0);
        rec->setBackClipEnabled((mode & 4) != 0);
        rec->setFrontClipAtEye((mode & 16) == 0);
        break;
      }
      default: break;
    }
  }
  rec->setCenterPoint({center.p.x, center.p.y});
  rec->setViewDirection(AcGeVector3d(dir.p.x, dir.p.y, dir.p.z));
  rec->setTarget(target.p);
  return rec;
}

std::unique_ptr<AcDbSymbolTableRecord> readBlockRecord(Reader& r, const SplitRecord& s, AcDbHandle& layout) {
  auto rec = std::make_unique<AcDbBlockTableRecord>();
  for (const Group& g : s.body) {
    if (g.code == 2) rec->setName(r.text(g).c_str());
    if (g.code == 340) layout = toHandle(g);
  }
  return rec;
}

std::unique_ptr<AcDbSymbolTableRecord> readRegApp(Reader& r, const SplitRecord& s) {
  auto rec = std::make_unique<AcDbRegAppTableRecord>();
  for (const Group& g : s.body)
    if (g.code == 2) rec->setName(r.text(g).c_str());
  return rec;
}

struct KnownTable {
  const char* name;
  AcDbDatabase::RootObject role;
};
constexpr KnownTable kKnownTables[] = {
    {"BLOCK_RECORD", AcDbDatabase::kBlockTableRoot}, {"LAYER", AcDbDatabase::kLayerTableRoot},
    {"LTYPE", AcDbDatabase::kLinetypeTableRoot},     {"APPID", AcDbDatabase::kRegAppTableRoot},
    {"STYLE", AcDbDatabase::kTextStyleTableRoot},    {"VIEW", AcDbDatabase::kViewTableRoot},
};

AcDbObjectId rootId(AcDbDatabase& db, AcDbDatabase::RootObject role) {
  switch (role) {
    case AcDbDatabase::kBlockTableRoot: return db.blockTableId();
    case AcDbDatabase::kLayerTableRoot: return db.layerTableId();
    case AcDbDatabase::kLinetypeTableRoot: return db.linetypeTableId();
    case AcDbDatabase::kRegAppTableRoot: return db.regAppTableId();
    case AcDbDatabase::kTextStyleTableRoot: return db.textStyleTableId();
    case AcDbDatabase::kViewTableRoot: return db.viewTableId();
    case AcDbDatabase::kNamedObjectsDictionaryRoot: return db.namedObjectsDictionaryId();
  }
  return {};
}

AcDbObject* newTable(AcDbDatabase::RootObject role) {
  switch (role) {
    case AcDbDatabase::kBlockTableRoot: return new AcDbBlockTable;
    case AcDbDatabase::kLayerTableRoot: return new AcDbLayerTable;
    case AcDbDatabase::kLinetypeTableRoot: return new AcDbLinetypeTable;
    case AcDbDatabase::kRegAppTableRoot: return new AcDbRegAppTable;
    case AcDbDatabase::kTextStyleTableRoot: return new AcDbTextStyleTable;
    case AcDbDatabase::kViewTableRoot: return new AcDbViewTable;
    case AcDbDatabase::kNamedObjectsDictionaryRoot: return new AcDbDictionary;
  }
  return nullptr;
}

// Adds a record to a table; a duplicate or unnamed record is kept as a proxy record instead.
void addTableRecord(Reader& r, AcDbObjectId table, std::unique_ptr<AcDbSymbolTableRecord> rec, const SplitRecord& s,
                    std::string_view type, const std::function<void(AcDbObjectId)>& after = {}) {
  auto* t = DbAccess::peekAs<AcDbSymbolTable>(table);
  if (!t) return;
  const std::u16string& name = rec->getName();
  if (name.empty() || !arxdetail::findRecord(table, name).isNull()) {
    r.warn(s.record->line, std::string(type) + " record \"" + win32::utf16ToUtf8(name) + "\" " +
                               (name.empty() ? "has no name" : "is a duplicate") + "; kept as a proxy object");
    auto proxy = std::make_unique<AcDbProxyObject>();
    proxy->setOriginalNames(u"", r.text(type).c_str());
    proxy->setRawGroups(r.rawGroups(s.body));
    r.keptAsProxy(type, false);
    r.add(std::move(proxy), s, table);
    return;
  }
  AcDbObjectId id = r.add(std::move(rec), s, table);
  if (id.isNull()) return;
  DbAccess::records(*t).push_back(id);
  if (after) after(id);
}

}  // namespace

void readTables(Reader& r, const Section& s) {
  const std::vector<Record>& recs = s.records;
  for (std::size_t i = 0; i < recs.size(); ++i) {
    const Record& tableRec = recs[i];
    if (tableRec.type != "TABLE") {
      r.warn(tableRec.line, "record " + std::string(tableRec.type) + " outside a table; left out");
      continue;
    }
    std::string_view name;
    for (const Group& g : tableRec.groups)
      if (g.code == 2) {
        name = trimmed(g.value);
        break;
      }
    SplitRecord ts = r.split(tableRec, false);
    const KnownTable* known = nullptr;
    for (const KnownTable& k : kKnownTables)
      if (name == k.name) known = &k;

    AcDbObjectId tableId;
    if (known) {
      tableId = rootId(r.db(), known->role);
      if (tableId.isNull()) {
        tableId = r.add(std::unique_ptr<AcDbObject>(newTable(known->role)), ts, AcDbObjectId::kNull);
        if (!tableId.isNull()) r.db().setRootObjectId(known->role, tableId);
      } else {
        r.warn(tableRec.line, "second " + std::string(name) + " table; its records join the first");
      }
    } else {
      auto proxy = std::make_unique<AcDbProxyObject>();
      proxy->setOriginalNames(u"AcDbSymbolTable", u"TABLE");
      std::vector<AcDbRawGroup> raw{{2, r.text(name)}};
      for (AcDbRawGroup& g : r.rawGroups(ts.body)) raw.push_back(std::move(g));
      proxy->setRawGroups(raw);
      tableId = r.add(std::move(proxy), ts, AcDbObjectId::kNull);
    }

    for (++i; i < recs.size() && recs[i].type != "ENDTAB"; ++i) {
      const Record& rec = recs[i];
      if (rec.type == "TABLE") fail(rec.line, "table " + std::string(name) + " is not closed by ENDTAB");
      SplitRecord rs = r.split(rec, false);
      if (!known) {
        auto proxy = std::make_unique<AcDbProxyObject>();
        proxy->setOriginalNames(u"", r.text(rec.type).c_str());
        proxy->setRawGroups(r.rawGroups(rs.body));
        r.add(std::move(proxy), rs, tableId);
        continue;
      }
      const std::string_view table = known->name;
      if (rec.type != table) {
        r.warn(rec.line, "record " + std::string(rec.type) + " in table " + std::string(table) + "; left out");
        continue;
      }
      if (table == "LAYER") {
        AcCmTransparency transparency;
        bool hasTransparency = false;
        std::u16string linetype;
        auto layer = readLayer(r, rs, transparency, hasTransparency, linetype);
        addTableRecord(r, tableId, std::move(layer), rs, table, [&](AcDbObjectId id) {
          auto* l = DbAccess::peekAs<AcDbLayerTableRecord>(id);
          DbAccess::OwnerEdit edit(*l);
          if (hasTransparency && transparency.isByAlpha()) l->setTransparency(transparency);
          if (hasTransparency) {
            // The transparency is the layer's property now, not extended data.
            resbuf* drop = acutBuildList(1001, u"AcCmTransparency", RTNONE);
            l->setXData(drop);
            acutRelRb(drop);
          }
          r.later([&r, id, linetype] {
            auto* layerRec = DbAccess::peekAs<AcDbLayerTableRecord>(id);
            DbAccess::OwnerEdit e(*layerRec);
            layerRec->setLinetypeObjectId(linetype.empty() ? r.db().continuousLinetype() : r.linetypeNamed(linetype));
          });
        });
      } else if (table == "LTYPE") {
        addTableRecord(r, tableId, readLinetype(r, rs), rs, table);
      } else if (table == "STYLE") {
        auto style = readStyle(r, rs);
        if (style->getName().empty()) {
          // Shape files are styles without a name: kept as they are.
          auto proxy = std::make_unique<AcDbProxyObject>();
          proxy->setOriginalNames(u"AcDbTextStyleTableRecord", u"STYLE");
          proxy->setRawGroups(r.rawGroups(rs.body));
          r.add(std::move(proxy), rs, tableId);
          continue;
        }
        addTableRecord(r, tableId, std::move(style), rs, table);
      } else if (table == "APPID") {
        addTableRecord(r, tableId, readRegApp(r, rs), rs, table);
      } else if (table == "VIEW") {
        addTableRecord(r, tableId, readView(r, rs), rs, table);
      } else if (table == "BLOCK_RECORD") {
        AcDbHandle layout;
        auto btr = readBlockRecord(r, rs, layout);
        addTableRecord(r, tableId, std::move(btr), rs, table, [&](AcDbObjectId id) {
          if (layout.isNull()) return;
          r.later([&r, id, layout] {
            AcDbObjectId l = r.idOf(layout);
            auto* b = DbAccess::peekAs<AcDbBlockTableRecord>(id);
            if (l.isNull() || !b) return;
            DbAccess::OwnerEdit e(*b);
            b->setLayoutId(l);
          });
        });
      }
    }
    if (i >= recs.size()) fail(tableRec.line, "table " + std::string(name) + " is not closed by ENDTAB");
  }
}

void ensureDefaultTables(Reader& r) {
  AcDbDatabase& db = r.db();
  for (AcDbDatabase::RootObject role :
       {AcDbDatabase::kBlockTableRoot, AcDbDatabase::kLayerTableRoot, AcDbDatabase::kLinetypeTableRoot,
        AcDbDatabase::kRegAppTableRoot, AcDbDatabase::kTextStyleTableRoot, AcDbDatabase::kViewTableRoot}) {
    if (!rootId(db, role).isNull()) continue;
    AcDbObjectId id;
    DbAccess::addObject(db, newTable(role), AcDbObjectId::kNull, AcDbHandle{}, false, id);
    db.setRootObjectId(role, id);
  }
  auto ensure = [&](AcDbObjectId table, const char16_t* name, auto make) {
    if (arxdetail::findRecord(table, name).isNull()) {
      auto* rec = make();
      rec->setName(name);
      arxdetail::addRecordSilently(db, table, rec);
    }
  };
  ensure(db.blockTableId(), ACDB_MODEL_SPACE, [] { return new AcDbBlockTableRecord; });
  ensure(db.blockTableId(), ACDB_PAPER_SPACE, [] { return new AcDbBlockTableRecord; });
  ensure(db.linetypeTableId(), u"ByBlock", [] { return new AcDbLinetypeTableRecord; });
  ensure(db.linetypeTableId(), u"ByLayer", [] { return new AcDbLinetypeTableRecord; });
  ensure(db.linetypeTableId(), u"Continuous", [] {
    auto* rec = new AcDbLinetypeTableRecord;
    rec->setComments(u"Solid line");
    return rec;
  });
  ensure(db.layerTableId(), u"0", [&] {
    auto* rec = new AcDbLayerTableRecord;
    AcCmColor white;
    white.setColorIndex(7);
    rec->setColor(white);
    rec->setLinetypeObjectId(db.continuousLinetype());
    return rec;
  });
  ensure(db.textStyleTableId(), u"Standard", [] { return new AcDbTextStyleTableRecord; });
  ensure(db.regAppTableId(), u"ACAD", [] { return new AcDbRegAppTableRecord; });
  if (db.clayer().isNull()) db.setClayer(arxdetail::findRecord(db.layerTableId(), u"0"));
}

}  // namespace arxdxf::detail
