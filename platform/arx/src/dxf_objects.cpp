// The OBJECTS section: dictionaries (the named-objects dictionary first), Xrecords, image
// definitions and sort-entities tables as database objects; every other object kept as a
// proxy object with its groups. Image-definition reactors are not kept: the writer makes them
// again from the images.
#include "arx/dbapserv.h"
#include "arx/dbdict.h"
#include "arx/dbimage.h"
#include "arx/dbsort.h"
#include "arx/dbsymtb.h"
#include "arx/dbxrecord.h"
#include "db_internal.h"
#include "dxf_read.h"
#include "win32/unicode.h"

namespace arxdxf::detail {

using arxdetail::DbAccess;

namespace {

std::unique_ptr<AcDbObject> readDictionary(Reader& r, const SplitRecord& s, AcDbDictionary*& dict) {
  auto d = std::make_unique<AcDbDictionary>();
  dict = d.get();
  std::vector<std::pair<std::u16string, AcDbHandle>> entries;
  std::u16string key;
  bool haveKey = false;
  for (const Group& g : s.body) {
    if (g.code == 3) {
      key = r.text(g);
      haveKey = true;
    } else if ((g.code == 350 || g.code == 360) && haveKey) {
      entries.emplace_back(key, toHandle(g));
      haveKey = false;
    }
  }
  AcDbDictionary* target = d.get();
  const std::uint32_t line = s.record->line;
  r.later([&r, target, entries, line] {
    for (const auto& [k, h] : entries) {
      AcDbObjectId id = r.idOf(h);
      if (id.isNull()) {
        r.warn(line, "dictionary entry \"" + win32::utf16ToUtf8(k) + "\": object " + win32::utf16ToUtf8(h.ascii()) +
                         " not found; entry left out");
        continue;
      }
      DbAccess::dictInsert(*target, k, id);
    }
  });
  return d;
}

std::unique_ptr<AcDbObject> readXrecord(Reader& r, const SplitRecord& s) {
  auto x = std::make_unique<AcDbXrecord>();
  GroupSpan data = s.body;
  const Group* p = data.first;
  while (p != data.last && p->code == 100) ++p;
  if (p != data.last && p->code == 280) {
    x->setMergeStyle(static_cast<Adesk::Int16>(toInt(*p)));
    ++p;
  }
  data.first = p;
  // The data may name objects by handle: set once every object exists.
  AcDbXrecord* target = x.get();
  const std::uint32_t line = s.record->line;
  r.later([&r, target, data, line] {
    std::vector<std::pair<resbuf*, AcDbHandle>> slots;
    resbuf* chain = r.dataChain(data, slots);
    for (auto& [rb, h] : slots) {
      AcDbObjectId id = r.idOf(h);
      if (id.isNull() && !h.isNull())
        r.warn(line, "Xrecord names object " + win32::utf16ToUtf8(h.ascii()) + ", which is not in the drawing");
      if (!id.isNull()) acdbGetAdsName(rb->resval.rlname, id);
    }
    if (chain) {
      DbAccess::OwnerEdit edit(*target);
      if (target->setFromRbChain(*chain) != Acad::eOk) r.warn(line, "Xrecord data could not be kept");
      acutRelRb(chain);
    }
  });
  return x;
}

std::unique_ptr<AcDbObject> readImageDef(Reader& r, const SplitRecord& s) {
  auto d = std::make_unique<AcDbRasterImageDef>();
  PointReader size, pixel;
  std::u16string file;
  int units = 0;
  for (const Group& g : s.body) {
    if (size.take(g, 10) || pixel.take(g, 11)) continue;
    if (g.code == 1) file = r.text(g);
    if (g.code == 281) units = static_cast<int>(toInt(g));
  }
  if (file.empty() || d->setSourceFileName(file.c_str()) != Acad::eOk) return nullptr;
  if (size.seen) d->setStoredSize({size.p.x, size.p.y});
  if (pixel.seen && pixel.p.x > 0 && pixel.p.y > 0) d->setResolutionMMPerPixel({pixel.p.x, pixel.p.y});
  if (units >= 0 && units <= 20) d->setResolutionUnits(static_cast<AcDbRasterImageDef::Units>(units));
  return d;
}

std::unique_ptr<AcDbObject> readSortents(Reader& r, const SplitRecord& s) {
  auto t = std::make_unique<AcDbSortentsTable>();
  AcDbHandle block;
  std::vector<std::pair<AcDbHandle, AcDbHandle>> pairs;
  AcDbHandle entity;
  for (const Group& g : s.body) {
    if (g.code == 330) block = toHandle(g);
    if (g.code == 331) entity = toHandle(g);
    if (g.code == 5 && !entity.isNull()) {
      pairs.emplace_back(entity, toHandle(g));
      entity = AcDbHandle();
    }
  }
  for (const auto& [e, h] : pairs) t->setSortHandle(e, h);
  AcDbSortentsTable* target = t.get();
  const std::uint32_t line = s.record->line;
  r.later([&r, target, block, line] {
    AcDbObjectId b = r.idOf(block);
    DbAccess::OwnerEdit edit(*target);
    if (b.isNull() || target->setBlockId(b) != Acad::eOk)
      r.warn(line, "SORTENTSTABLE: block " + win32::utf16ToUtf8(block.ascii()) + " not found");
  });
  return t;
}

std::unique_ptr<AcDbObject> makeProxyObject(Reader& r, const SplitRecord& s) {
  auto p = std::make_unique<AcDbProxyObject>();
  const std::u16string className = r.proxyClassName(s, "");
  p->setOriginalNames(className.c_str(), r.text(s.record->type).c_str());
  if (auto f = r.classFlags.find(s.record->type); f != r.classFlags.end()) p->setProxyFlags(f->second);
  p->setRawGroups(r.rawGroups(s.body));
  return p;
}

}  // namespace

void readObjects(Reader& r, const Section& s) {
  bool first = true;
  for (const Record& rec : s.records) {
    const std::string_view type = rec.type;
    SplitRecord sp = r.split(rec, false);
    if (type == "IMAGEDEF_REACTOR") continue;  // made again from the images when writing
    std::unique_ptr<AcDbObject> obj;
    AcDbDictionary* dict = nullptr;
    if (type == "DICTIONARY") {
      obj = readDictionary(r, sp, dict);
    } else if (type == "XRECORD") {
      obj = readXrecord(r, sp);
    } else if (type == "IMAGEDEF") {
      obj = readImageDef(r, sp);
      if (!obj) r.warn(rec.line, "IMAGEDEF without a file name; kept as a proxy object");
    } else if (type == "SORTENTSTABLE") {
      obj = readSortents(r, sp);
    }
    if (!obj) {
      obj = makeProxyObject(r, sp);
      r.keptAsProxy(type, false);
    }
    AcDbObjectId owner = r.idOf(sp.owner);
    AcDbObjectId id = r.add(std::move(obj), sp, owner);
    if (id.isNull()) continue;
    if (owner.isNull() && !sp.owner.isNull()) {
      AcDbHandle ownerHandle = sp.owner;
      r.later([&r, id, ownerHandle] {
        AcDbObjectId o = r.idOf(ownerHandle);
        if (AcDbObject* obj = DbAccess::peek(id); obj && !o.isNull()) DbAccess::setOwner(*obj, o);
      });
    }
    if (first) {
      first = false;
      if (dict && r.db().namedObjectsDictionaryId().isNull())
        r.db().setRootObjectId(AcDbDatabase::kNamedObjectsDictionaryRoot, id);
      else
        r.warn(rec.line, "the OBJECTS section does not start with the named-objects dictionary");
    }
  }
}

void ensureNamedObjectsDictionary(Reader& r) {
  if (!r.db().namedObjectsDictionaryId().isNull()) return;
  AcDbObjectId id;
  DbAccess::addObject(r.db(), new AcDbDictionary, AcDbObjectId::kNull, AcDbHandle{}, false, id);
  r.db().setRootObjectId(AcDbDatabase::kNamedObjectsDictionaryRoot, id);
}

}  // namespace arxdxf::detail

// ------------------------------------------------------------------------------- writing

#include "arx/dbproxy.h"
#include "dxf_write.h"
#include "resbuf_kind.h"

namespace arxdxf::detail {

namespace {

bool isPointStartCode(int code) {
  return (code >= 10 && code <= 18) || (code >= 110 && code <= 112) || code == 210 ||
         (code >= 1010 && code <= 1013);
}

void writeDictionary(Writer& w, AcDbObjectId id, const AcDbDictionary& d,
                     const std::vector<std::pair<std::u16string, AcDbHandle>>& extra = {}) {
  w.begin("DICTIONARY", id.handle(), &d, d.ownerId().isValid() ? d.ownerId().handle() : AcDbHandle());
  w.raw(100, "AcDbDictionary");
  w.integer(281, 1);
  std::unique_ptr<AcDbDictionaryIterator> it(d.newIterator());
  for (; !it->done(); it->next()) {
    w.str(3, it->name());
    w.handle(350, it->objectId());
  }
  for (const auto& [key, h] : extra) {
    w.str(3, key);
    w.handle(350, h);
  }
  w.xdata(d);
}

void writeXrecord(Writer& w, AcDbObjectId id, const AcDbXrecord& x) {
  w.begin("XRECORD", id.handle(), &x, x.ownerId().isValid() ? x.ownerId().handle() : AcDbHandle());
  w.raw(100, "AcDbXrecord");
  w.integer(280, x.mergeStyle());
  resbuf* chain = nullptr;
  x.rbChain(&chain);
  for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
    using arxdetail::RbKind;
    const int code = rb->restype;
    switch (arxdetail::rbKindOf(code)) {
      case RbKind::kString:
        w.str(code, rb->resval.rstring ? std::u16string_view(rb->resval.rstring) : std::u16string_view());
        break;
      case RbKind::kReal: w.real(code, rb->resval.rreal); break;
      case RbKind::kPoint:
        w.real(code, rb->resval.rpoint[0]);
        if (isPointStartCode(code)) {
          w.real(code + 10, rb->resval.rpoint[1]);
          w.real(code + 20, rb->resval.rpoint[2]);
        }
        break;
      case RbKind::kInt16: w.integer(code, rb->resval.rint); break;
      case RbKind::kInt32: w.integer(code, rb->resval.rlong); break;
      case RbKind::kInt64: w.integer(code, rb->resval.mnInt64); break;
      case RbKind::kName: {
        AcDbObjectId ref;
        if (rb->resval.rlname[0]) acdbGetObjectId(ref, rb->resval.rlname);
        w.handle(code, ref);
        break;
      }
      case RbKind::kBinary: {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string hex;
        for (short i = 0; i < rb->resval.rbinary.clen; ++i) {
          auto b = static_cast<unsigned char>(rb->resval.rbinary.buf[i]);
          hex += kHex[b >> 4];
          hex += kHex[b & 15];
        }
        w.raw(code, hex);
        break;
      }
      case RbKind::kNone:
      case RbKind::kInvalid:
        w.warn("Xrecord " + win32::utf16ToUtf8(id.handle().ascii()) + ": group " + std::to_string(code) +
               " cannot be written");
        break;
    }
  }
  acutRelRb(chain);
  w.xdata(x);
}

void writeImageDef(Writer& w, AcDbObjectId id, const AcDbRasterImageDef& d) {
  std::vector<AcDbHandle> reactors;
  auto it = w.imageReactorsOfDef.find(id);
  if (it != w.imageReactorsOfDef.end()) reactors = it->second;
  w.begin("IMAGEDEF", id.handle(), &d, d.ownerId().isValid() ? d.ownerId().handle() : AcDbHandle(), reactors);
  w.raw(100, "AcDbRasterImageDef");
  w.integer(90, 0);
  w.str(1, d.sourceFileName());
  w.point2d(10, d.size().x, d.size().y);
  w.point2d(11, d.resolutionMMPerPixel().x, d.resolutionMMPerPixel().y);
  // Loaded: AutoCAD loads the picture when it opens the drawing (loading is a session state
  // here, and a drawing read from a file has not loaded its pictures yet).
  w.integer(280, 1);
  w.integer(281, d.resolutionUnits());
  w.xdata(d);
}

void writeSortents(Writer& w, AcDbObjectId id, const AcDbSortentsTable& t) {
  w.begin("SORTENTSTABLE", id.handle(), &t, t.ownerId().isValid() ? t.ownerId().handle() : AcDbHandle());
  w.raw(100, "AcDbSortentsTable");
  w.handle(330, t.blockId());
  for (const auto& [entity, sort] : t.sortHandles()) {
    w.handle(331, entity);
    w.handle(5, sort);
  }
  w.xdata(t);
}

void writeLayout(Writer& w, AcDbHandle h, const char* name, int tab, AcDbHandle block) {
  w.raw(0, "LAYOUT");
  w.handle(5, h);
  w.raw(102, "{ACAD_REACTORS");
  w.handle(330, w.layoutDict);
  w.raw(102, "}");
  w.handle(330, w.layoutDict);
  w.raw(100, "AcDbPlotSettings");
  w.raw(1, "");
  w.raw(2, "none_device");
  w.raw(4, "");
  w.raw(6, "");
  for (int c = 40; c <= 49; ++c) w.real(c, 0.0);
  w.real(140, 0.0);
  w.real(141, 0.0);
  w.real(142, 1.0);
  w.real(143, 1.0);
  w.integer(70, tab == 0 ? 1712 : 688);
  w.integer(72, 0);
  w.integer(73, 0);
  w.integer(74, 5);
  w.raw(7, "");
  w.integer(75, 16);
  w.real(147, 1.0);
  w.real(148, 0.0);
  w.real(149, 0.0);
  w.raw(100, "AcDbLayout");
  w.raw(1, name);
  w.integer(70, 1);
  w.integer(71, tab);
  w.point2d(10, 0.0, 0.0);
  w.point2d(11, 420.0, 297.0);
  w.point(12, AcGePoint3d::kOrigin);
  w.point(14, AcGePoint3d(1e20, 1e20, 1e20));
  w.point(15, AcGePoint3d(-1e20, -1e20, -1e20));
  w.real(146, 0.0);
  w.point(13, AcGePoint3d::kOrigin);
  w.point(16, AcGePoint3d(1, 0, 0));
  w.point(17, AcGePoint3d(0, 1, 0));
  w.integer(76, 0);
  w.handle(330, block);
}

bool isTablePart(const AcDbObject* o) {
  if (auto* p = AcDbProxyObject::cast(o)) {
    if (std::u16string_view(p->originalDxfName()) == u"TABLE") return true;
    AcDbObject* owner = DbAccess::peek(p->ownerId());
    if (owner && (AcDbSymbolTable::cast(owner) ||
                  (AcDbProxyObject::cast(owner) &&
                   std::u16string_view(AcDbProxyObject::cast(owner)->originalDxfName()) == u"TABLE")))
      return true;
  }
  return false;
}

}  // namespace

void writeProxyObject(Writer& w, AcDbObjectId id, int handleCode) {
  auto* p = DbAccess::peekAs<AcDbProxyObject>(id);
  if (!p) return;
  w.begin(win32::utf16ToUtf8(p->originalDxfName()), id.handle(), p,
          p->ownerId().isValid() ? p->ownerId().handle() : AcDbHandle(), {}, handleCode);
  w.rawGroups(p->rawGroups(), id.handle());
  w.xdata(*p);
}

void writeObjects(Writer& w) {
  const AcDbDatabase& db = w.db();
  const AcDbObjectId nodId = db.namedObjectsDictionaryId();
  auto* nod = DbAccess::peekAs<AcDbDictionary>(nodId);
  std::vector<std::pair<std::u16string, AcDbHandle>> extra;
  if (!w.groupDict.isNull()) extra.emplace_back(u"ACAD_GROUP", w.groupDict);
  if (!w.layoutDict.isNull()) extra.emplace_back(u"ACAD_LAYOUT", w.layoutDict);
  if (!w.mlineStyleDict.isNull()) extra.emplace_back(u"ACAD_MLINESTYLE", w.mlineStyleDict);
  if (nod) writeDictionary(w, nodId, *nod, extra);

  // What the database lacks and AutoCAD expects: dictionaries the writer makes itself, owned by
  // the named-objects dictionary.
  const auto ownedByNamedObjects = [&](AcDbHandle handle) {
    w.raw(0, "DICTIONARY");
    w.handle(5, handle);
    w.handle(330, nodId);
    w.raw(100, "AcDbDictionary");
    w.integer(281, 1);
  };
  if (!w.groupDict.isNull()) ownedByNamedObjects(w.groupDict);
  if (!w.layoutDict.isNull()) {
    ownedByNamedObjects(w.layoutDict);
    w.raw(3, "Layout1");
    w.handle(350, w.layoutPaper);
    w.raw(3, "Model");
    w.handle(350, w.layoutModel);
    writeLayout(w, w.layoutModel, "Model", 0, db.modelSpaceId().handle());
    writeLayout(w, w.layoutPaper, "Layout1", 1, db.paperSpaceId().handle());
  }
  if (!w.mlineStyleDict.isNull()) {
    ownedByNamedObjects(w.mlineStyleDict);
    w.raw(3, "Standard");
    w.handle(350, w.mlineStyleStandard);
    w.raw(0, "MLINESTYLE");
    w.handle(5, w.mlineStyleStandard);
    w.raw(102, "{ACAD_REACTORS");
    w.handle(330, w.mlineStyleDict);
    w.raw(102, "}");
    w.handle(330, w.mlineStyleDict);
    w.raw(100, "AcDbMlineStyle");
    w.raw(2, "Standard");
    w.integer(70, 0);
    w.raw(3, "");
    w.integer(62, 256);
    w.real(51, 90.0);
    w.real(52, 90.0);
    w.integer(71, 2);
    w.real(49, 0.5);
    w.integer(62, 256);
    w.raw(6, "BYLAYER");
    w.real(49, -0.5);
    w.integer(62, 256);
    w.raw(6, "BYLAYER");
  }

  for (AcDbObjectId id : db.objectIds()) {
    if (id == nodId) continue;
    AcDbObject* o = DbAccess::peek(id);
    if (!o || AcDbEntity::cast(o) || AcDbSymbolTable::cast(o) || AcDbSymbolTableRecord::cast(o) || isTablePart(o))
      continue;
    if (auto* d = AcDbDictionary::cast(o)) {
      writeDictionary(w, id, *d);
    } else if (auto* x = AcDbXrecord::cast(o)) {
      writeXrecord(w, id, *x);
    } else if (auto* def = AcDbRasterImageDef::cast(o)) {
      writeImageDef(w, id, *def);
    } else if (auto* t = AcDbSortentsTable::cast(o)) {
      writeSortents(w, id, *t);
    } else if (AcDbProxyObject::cast(o)) {
      writeProxyObject(w, id);
    } else {
      w.warn("object " + win32::utf16ToUtf8(id.handle().ascii()) + " of class " +
             win32::utf16ToUtf8(o->isA()->name()) + " cannot be written as DXF; left out");
    }
  }
  // The reactors that join each image to its definition.
  for (const auto& [image, h] : w.imageReactorOfImage) {
    w.raw(0, "IMAGEDEF_REACTOR");
    w.handle(5, h);
    w.handle(330, image);
    w.raw(100, "AcDbRasterImageDefReactor");
    w.integer(90, 2);
    w.handle(330, image);
  }
}

}  // namespace arxdxf::detail
