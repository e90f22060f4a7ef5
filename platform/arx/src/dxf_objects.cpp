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
  std::u16string className;
  auto cls = r.classNames.find(s.record->type);
  if (cls != r.classNames.end()) {
    className = cls->second;
  } else {
    for (const Group& g : s.record->groups)
      if (g.code == 100) className = r.text(trimmed(g.value));
  }
  p->setOriginalNames(className.c_str(), r.text(s.record->type).c_str());
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
