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
  Adesk::UInt32 t440 = 0;
  bool has440 = false;
  for (const Group& g : s.body) {
    if (g.code == 440) {
      // Some writers give the layer's transparency as a group, as entities have it.
      t440 = static_cast<Adesk::UInt32>(toInt32(g));
      has440 = true;
      continue;
    }
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
  if (hasTransparency) {
    transparency.serializeIn(t);
  } else if (has440) {
    transparency.serializeIn(t440);
    hasTransparency = true;
  }
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
          const bool byAlpha = hasTransparency && transparency.isByAlpha();
          if (byAlpha) l->setTransparency(transparency);
          r.later([&r, id, linetype, byAlpha] {
            auto* layerRec = DbAccess::peekAs<AcDbLayerTableRecord>(id);
            DbAccess::OwnerEdit e(*layerRec);
            layerRec->setLinetypeObjectId(linetype.empty() ? r.db().continuousLinetype() : r.linetypeNamed(linetype));
            if (byAlpha) {
              // The transparency is the layer's property now, not extended data (the writer
              // puts it back). Once every application is registered, it can be dropped.
              resbuf* drop = acutBuildList(1001, u"AcCmTransparency", RTNONE);
              layerRec->setXData(drop);
              acutRelRb(drop);
            }
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

// ------------------------------------------------------------------------------- writing

#include "dxf_write.h"

namespace arxdxf::detail {

namespace {

constexpr double kDegrees = 180.0 / 3.14159265358979323846;

void tableHead(Writer& w, const char* name, AcDbHandle h, const AcDbObject* table, int count) {
  w.raw(0, "TABLE");
  w.raw(2, name);
  w.handle(5, h);
  if (table && table->extensionDictionary().isValid()) {
    w.raw(102, "{ACAD_XDICTIONARY");
    w.handle(360, table->extensionDictionary());
    w.raw(102, "}");
  }
  w.handle(330, AcDbHandle());
  w.raw(100, "AcDbSymbolTable");
  w.integer(70, count);
  if (table) w.xdata(*table);
}

std::vector<AcDbObjectId> liveRecords(AcDbObjectId tableId) {
  std::vector<AcDbObjectId> out;
  if (auto* t = DbAccess::peekAs<AcDbSymbolTable>(tableId))
    for (AcDbObjectId id : DbAccess::records(*t))
      if (!id.isErased() && DbAccess::peek(id)) out.push_back(id);
  return out;
}

void recordHead(Writer& w, const char* type, AcDbObjectId id, AcDbObjectId table, const char* subclass) {
  w.begin(type, id.handle(), DbAccess::peek(id), table.handle());
  w.raw(100, "AcDbSymbolTableRecord");
  w.raw(100, subclass);
}

void proxyRecords(Writer& w, AcDbObjectId table, int handleCode = 5) {
  auto it = w.ownedProxies.find(table);
  if (it == w.ownedProxies.end()) return;
  for (AcDbObjectId id : it->second)
    if (!id.isErased()) writeProxyObject(w, id, handleCode);
}

int proxyCount(Writer& w, AcDbObjectId table) {
  auto it = w.ownedProxies.find(table);
  return it == w.ownedProxies.end() ? 0 : static_cast<int>(it->second.size());
}

// A table the database does not model, written back from the proxies a drawing gave it.
bool writeProxyTable(Writer& w, std::u16string_view name) {
  for (AcDbObjectId id : w.db().objectIds()) {
    auto* p = DbAccess::peekAs<AcDbProxyObject>(id);
    if (!p || std::u16string_view(p->originalDxfName()) != u"TABLE" || p->rawGroups().empty() ||
        p->rawGroups().front().value != name)
      continue;
    w.raw(0, "TABLE");
    w.str(2, name);
    w.handle(5, id);
    w.handle(330, AcDbHandle());
    std::vector<AcDbRawGroup> rest(p->rawGroups().begin() + 1, p->rawGroups().end());
    w.rawGroups(rest, id.handle());
    w.xdata(*p);
    proxyRecords(w, id, name == u"DIMSTYLE" ? 105 : 5);
    w.raw(0, "ENDTAB");
    return true;
  }
  return false;
}

void writeVports(Writer& w) {
  if (w.vportTable.isNull()) {
    writeProxyTable(w, u"VPORT");
    return;
  }
  tableHead(w, "VPORT", w.vportTable, nullptr, 1);
  w.raw(0, "VPORT");
  w.handle(5, w.vportActive);
  w.handle(330, w.vportTable);
  w.raw(100, "AcDbSymbolTableRecord");
  w.raw(100, "AcDbViewportTableRecord");
  w.raw(2, "*Active");
  w.integer(70, 0);
  w.point2d(10, 0.0, 0.0);
  w.point2d(11, 1.0, 1.0);
  w.point2d(12, 0.0, 0.0);
  w.point2d(13, 0.0, 0.0);
  w.point2d(14, 10.0, 10.0);
  w.point2d(15, 10.0, 10.0);
  w.point(16, AcGePoint3d(0, 0, 1));
  w.point(17, AcGePoint3d::kOrigin);
  w.real(40, 100.0);
  w.real(41, 1.5);
  w.real(42, 50.0);
  w.real(43, 0.0);
  w.real(44, 0.0);
  w.real(50, 0.0);
  w.real(51, 0.0);
  w.integer(71, 0);
  w.integer(72, 1000);
  w.integer(73, 1);
  w.integer(74, 3);
  w.integer(75, 0);
  w.integer(76, 0);
  w.integer(77, 0);
  w.integer(78, 0);
  w.raw(0, "ENDTAB");
}

void writeLinetypes(Writer& w) {
  AcDbObjectId table = w.db().linetypeTableId();
  auto recs = liveRecords(table);
  tableHead(w, "LTYPE", table.handle(), DbAccess::peek(table), static_cast<int>(recs.size()) + proxyCount(w, table));
  for (AcDbObjectId id : recs) {
    auto* lt = DbAccess::peekAs<AcDbLinetypeTableRecord>(id);
    recordHead(w, "LTYPE", id, table, "AcDbLinetypeTableRecord");
    w.str(2, lt->getName());
    w.integer(70, 0);
    w.str(3, lt->comments());
    w.integer(72, 65);
    w.integer(73, lt->numDashes());
    w.real(40, lt->patternLength());
    for (int i = 0; i < lt->numDashes(); ++i) {
      w.real(49, lt->dashLengthAt(i));
      w.integer(74, 0);
    }
    w.xdata(*lt);
  }
  proxyRecords(w, table);
  w.raw(0, "ENDTAB");
}

void writeLayers(Writer& w) {
  AcDbObjectId table = w.db().layerTableId();
  auto recs = liveRecords(table);
  tableHead(w, "LAYER", table.handle(), DbAccess::peek(table), static_cast<int>(recs.size()) + proxyCount(w, table));
  for (AcDbObjectId id : recs) {
    auto* l = DbAccess::peekAs<AcDbLayerTableRecord>(id);
    recordHead(w, "LAYER", id, table, "AcDbLayerTableRecord");
    w.str(2, l->getName());
    w.integer(70, (l->isFrozen() ? 1 : 0) | (l->isLocked() ? 4 : 0));
    w.color(l->color(), true, l->isOff());
    std::u16string lt = w.nameOf(l->linetypeObjectId());
    w.str(6, lt.empty() ? u"Continuous" : lt);
    if (!l->isPlottable()) w.integer(290, 0);
    w.integer(370, l->lineWeight());
    w.xdata(*l);
    if (l->transparency().isByAlpha() && l->transparency().alpha() != 255) {
      w.raw(1001, "AcCmTransparency");
      w.integer(1071, static_cast<long long>(l->transparency().serializeOut()));
    }
  }
  proxyRecords(w, table);
  w.raw(0, "ENDTAB");
}

void writeStyles(Writer& w) {
  AcDbObjectId table = w.db().textStyleTableId();
  auto recs = liveRecords(table);
  tableHead(w, "STYLE", table.handle(), DbAccess::peek(table), static_cast<int>(recs.size()) + proxyCount(w, table));
  for (AcDbObjectId id : recs) {
    auto* s = DbAccess::peekAs<AcDbTextStyleTableRecord>(id);
    recordHead(w, "STYLE", id, table, "AcDbTextStyleTableRecord");
    w.str(2, s->getName());
    w.integer(70, (s->isShapeFile() ? 1 : 0) | (s->isVertical() ? 4 : 0));
    w.real(40, s->textSize());
    w.real(41, s->xScale());
    w.real(50, s->obliquingAngle() * kDegrees);
    w.integer(71, s->flagBits());
    w.real(42, s->textSize() > 0.0 ? s->textSize() : 2.5);
    w.str(3, s->fileName());
    w.str(4, s->bigFontFileName());
    w.xdata(*s);
  }
  proxyRecords(w, table);
  w.raw(0, "ENDTAB");
}

void writeViews(Writer& w) {
  AcDbObjectId table = w.db().viewTableId();
  auto recs = liveRecords(table);
  tableHead(w, "VIEW", table.handle(), DbAccess::peek(table), static_cast<int>(recs.size()) + proxyCount(w, table));
  for (AcDbObjectId id : recs) {
    auto* v = DbAccess::peekAs<AcDbViewTableRecord>(id);
    recordHead(w, "VIEW", id, table, "AcDbViewTableRecord");
    w.str(2, v->getName());
    w.integer(70, v->isPaperspaceView() ? 1 : 0);
    w.real(40, v->height());
    w.point2d(10, v->centerPoint().x, v->centerPoint().y);
    w.real(41, v->width());
    w.vector(11, v->viewDirection());
    w.point(12, v->target());
    w.real(42, v->lensLength());
    w.real(43, v->frontClipDistance());
    w.real(44, v->backClipDistance());
    w.real(50, v->viewTwist() * kDegrees);
    w.integer(71, (v->perspectiveEnabled() ? 1 : 0) | (v->frontClipEnabled() ? 2 : 0) |
                      (v->backClipEnabled() ? 4 : 0) | (v->frontClipAtEye() ? 0 : 16));
    w.xdata(*v);
  }
  proxyRecords(w, table);
  w.raw(0, "ENDTAB");
}

void writeUcs(Writer& w) {
  if (w.ucsTable.isNull()) {
    writeProxyTable(w, u"UCS");
    return;
  }
  tableHead(w, "UCS", w.ucsTable, nullptr, 0);
  w.raw(0, "ENDTAB");
}

void writeRegApps(Writer& w) {
  AcDbObjectId table = w.db().regAppTableId();
  auto recs = liveRecords(table);
  tableHead(w, "APPID", table.handle(), DbAccess::peek(table),
            static_cast<int>(recs.size() + w.extraApps.size()) + proxyCount(w, table));
  for (AcDbObjectId id : recs) {
    auto* a = DbAccess::peekAs<AcDbRegAppTableRecord>(id);
    recordHead(w, "APPID", id, table, "AcDbRegAppTableRecord");
    w.str(2, a->getName());
    w.integer(70, 0);
    w.xdata(*a);
  }
  for (const auto& [name, h] : w.extraApps) {
    w.raw(0, "APPID");
    w.handle(5, h);
    w.handle(330, table);
    w.raw(100, "AcDbSymbolTableRecord");
    w.raw(100, "AcDbRegAppTableRecord");
    w.str(2, name);
    w.integer(70, 0);
  }
  proxyRecords(w, table);
  w.raw(0, "ENDTAB");
}

void writeDimstyles(Writer& w) {
  if (w.dimstyleTable.isNull()) {
    writeProxyTable(w, u"DIMSTYLE");
    return;
  }
  tableHead(w, "DIMSTYLE", w.dimstyleTable, nullptr, 1);
  w.raw(100, "AcDbDimStyleTable");
  w.integer(71, 1);
  w.handle(340, w.dimstyleStandard);
  w.raw(0, "DIMSTYLE");
  w.handle(105, w.dimstyleStandard);
  w.handle(330, w.dimstyleTable);
  w.raw(100, "AcDbSymbolTableRecord");
  w.raw(100, "AcDbDimStyleTableRecord");
  w.raw(2, "Standard");
  w.integer(70, 0);
  w.raw(0, "ENDTAB");
}

void writeBlockRecords(Writer& w) {
  AcDbObjectId table = w.db().blockTableId();
  auto recs = liveRecords(table);
  tableHead(w, "BLOCK_RECORD", table.handle(), DbAccess::peek(table),
            static_cast<int>(recs.size()) + proxyCount(w, table));
  for (AcDbObjectId id : recs) {
    auto* b = DbAccess::peekAs<AcDbBlockTableRecord>(id);
    recordHead(w, "BLOCK_RECORD", id, table, "AcDbBlockTableRecord");
    w.str(2, b->getName());
    AcDbHandle layout;
    if (b->getLayoutId().isValid() && !b->getLayoutId().isErased()) layout = b->getLayoutId().handle();
    if (!w.layoutDict.isNull() && id == w.db().modelSpaceId()) layout = w.layoutModel;
    if (!w.layoutDict.isNull() && id == w.db().paperSpaceId()) layout = w.layoutPaper;
    w.handle(340, layout);
    w.xdata(*b);
  }
  proxyRecords(w, table);
  w.raw(0, "ENDTAB");
}

}  // namespace

void writeTables(Writer& w) {
  writeVports(w);
  writeLinetypes(w);
  writeLayers(w);
  writeStyles(w);
  writeViews(w);
  writeUcs(w);
  writeRegApps(w);
  writeDimstyles(w);
  writeBlockRecords(w);
  // Tables of other kinds a drawing carried.
  for (AcDbObjectId id : w.db().objectIds()) {
    auto* p = DbAccess::peekAs<AcDbProxyObject>(id);
    if (!p || std::u16string_view(p->originalDxfName()) != u"TABLE" || p->rawGroups().empty()) continue;
    const std::u16string& name = p->rawGroups().front().value;
    if (name == u"VPORT" || name == u"UCS" || name == u"DIMSTYLE") continue;
    writeProxyTable(w, name);
  }
}

}  // namespace arxdxf::detail
