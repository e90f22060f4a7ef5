// The drawing database: entries, handles, opening, notifications, the default drawing.
#include <algorithm>
#include <cassert>

#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "db_internal.h"
#include "win32/case_fold.h"

namespace arxdetail {

bool namesEqual(std::u16string_view a, std::u16string_view b) { return win32::equalsNoCase(a, b); }
int compareNames(std::u16string_view a, std::u16string_view b) { return win32::compareNoCase(a, b); }

AcDbStub* DbAccess::newStub(AcDbDatabase& db, Adesk::UInt64 handle) {
  AcDbDatabase::Impl& im = *db.impl_;
  im.stubs.emplace_back();
  AcDbStub* s = &im.stubs.back();
  s->db = &db;
  s->handle = AcDbHandle(handle);
  im.byHandle[handle] = s;
  if (handle >= im.handseed) im.handseed = handle + 1;
  return s;
}

namespace {

template <class F>
void forEachReactor(AcDbDatabase::Impl& im, F f) {
  const std::vector<AcDbDatabaseReactor*> snapshot = im.reactors;
  for (AcDbDatabaseReactor* r : snapshot) {
    // A reactor removed by an earlier callback of this round is not called.
    if (std::find(im.reactors.begin(), im.reactors.end(), r) == im.reactors.end()) continue;
    f(r);
  }
}

}  // namespace

void DbAccess::fireAppended(AcDbDatabase& db, const AcDbObject* obj) {
  forEachReactor(*db.impl_, [&](AcDbDatabaseReactor* r) { r->objectAppended(&db, obj); });
}

void DbAccess::fireModified(AcDbDatabase& db, const AcDbObject* obj) {
  forEachReactor(*db.impl_, [&](AcDbDatabaseReactor* r) { r->objectModified(&db, obj); });
}

void DbAccess::fireErased(AcDbDatabase& db, const AcDbObject* obj, bool erased) {
  forEachReactor(*db.impl_, [&](AcDbDatabaseReactor* r) { r->objectErased(&db, obj, erased); });
}

Acad::ErrorStatus DbAccess::addObject(AcDbDatabase& db, AcDbObject* obj, AcDbObjectId owner, AcDbHandle forced,
                                      bool leaveOpen, AcDbObjectId& id) {
  id = AcDbObjectId::kNull;
  if (!obj) return Acad::eNullObjectPointer;
  if (obj->stub_) return Acad::eAlreadyInDb;
  AcDbDatabase::Impl& im = *db.impl_;
  AcDbStub* s = nullptr;
  if (forced.isNull()) {
    while (im.byHandle.count(im.handseed)) ++im.handseed;
    s = newStub(db, im.handseed);
  } else {
    auto it = im.byHandle.find(forced.value());
    if (it != im.byHandle.end()) {
      if (it->second->object) return Acad::eHandleExists;
      s = it->second;
    } else {
      s = newStub(db, forced.value());
    }
  }
  s->object = obj;
  s->erased = false;
  obj->stub_ = s;
  obj->ownerId_ = owner;
  obj->readers_ = 0;
  obj->notifying_ = false;
  obj->writer_ = leaveOpen;
  obj->newObject_ = leaveOpen;
  id = AcDbObjectId::fromStub(s);
  fireAppended(db, obj);
  return obj->subObjectsToDatabase(db);
}

Acad::ErrorStatus DbAccess::open(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                                 const AcRxClass* cls) {
  obj = nullptr;
  AcDbStub* s = id.stub();
  if (!s) return Acad::eNullObjectId;
  AcDbObject* o = s->object;
  if (!o) return Acad::eUnknownHandle;
  if (s->erased && !openErased) return Acad::eWasErased;
  if (cls && !o->isKindOf(cls)) return Acad::eNotThatKindOfClass;
  switch (mode) {
    case AcDb::kForRead:
      if (o->notifying_) {
        // Reading the object whose close notification is running is allowed.
        ++o->readers_;
        obj = o;
        return Acad::eOk;
      }
      if (o->writer_) return Acad::eWasOpenForWrite;
      ++o->readers_;
      obj = o;
      return Acad::eOk;
    case AcDb::kForWrite: {
      if (o->notifying_) return Acad::eWasNotifying;
      if (o->writer_) return Acad::eWasOpenForWrite;
      if (o->readers_ > 0) return Acad::eWasOpenForRead;
      AcDbDatabase::Impl& im = *s->db->impl_;
      if (im.writeCheck) {
        Acad::ErrorStatus es = im.writeCheck(id);
        if (es != Acad::eOk) return es;
      }
      o->writer_ = true;
      obj = o;
      return Acad::eOk;
    }
    case AcDb::kForNotify:
      return Acad::eNotImplementedYet;
  }
  return Acad::eInvalidOpenState;
}

void DbAccess::dictInsert(AcDbDictionary& d, const std::u16string& key, AcDbObjectId id) {
  auto pos = std::lower_bound(d.entries_.begin(), d.entries_.end(), key,
                              [](const AcDbDictionary::Entry& e, const std::u16string& k) {
                                return compareNames(e.key, k) < 0;
                              });
  if (pos != d.entries_.end() && namesEqual(pos->key, key)) {
    pos->id = id;
    return;
  }
  d.entries_.insert(pos, AcDbDictionary::Entry{key, id});
}

AcDbObjectId addRecordSilently(AcDbDatabase& db, AcDbObjectId tableId, AcDbSymbolTableRecord* rec) {
  AcDbObjectId id;
  DbAccess::addObject(db, rec, tableId, AcDbHandle{}, false, id);
  if (auto* t = DbAccess::peekAs<AcDbSymbolTable>(tableId)) DbAccess::records(*t).push_back(id);
  return id;
}

AcDbObjectId findRecord(AcDbObjectId tableId, std::u16string_view name) {
  auto* t = DbAccess::peekAs<AcDbSymbolTable>(tableId);
  if (!t) return {};
  for (AcDbObjectId id : DbAccess::records(*t)) {
    if (id.isErased()) continue;
    auto* r = DbAccess::peekAs<AcDbSymbolTableRecord>(id);
    if (r && namesEqual(r->getName(), name)) return id;
  }
  return {};
}

}  // namespace arxdetail

using arxdetail::DbAccess;

// ------------------------------------------------------------------------ handles and ids

AcDbHandle::AcDbHandle(const ACHAR* hex) {
  if (!hex || !*hex) return;
  Adesk::UInt64 v = 0;
  int digits = 0;
  for (const ACHAR* p = hex; *p; ++p) {
    ACHAR c = *p;
    int d = (c >= u'0' && c <= u'9') ? c - u'0'
            : (c >= u'a' && c <= u'f') ? c - u'a' + 10
            : (c >= u'A' && c <= u'F') ? c - u'A' + 10
                                       : -1;
    if (d < 0 || ++digits > 16) return;
    v = (v << 4) | static_cast<Adesk::UInt64>(d);
  }
  value_ = v;
}

std::u16string AcDbHandle::ascii() const {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string s;
  Adesk::UInt64 v = value_;
  do {
    s.insert(s.begin(), kHex[v & 0xF]);
    v >>= 4;
  } while (v);
  return s;
}

bool AcDbHandle::getIntoAsciiBuffer(ACHAR* buffer, std::size_t bufferLength) const {
  std::u16string s = ascii();
  if (!buffer || bufferLength < s.size() + 1) return false;
  std::copy(s.begin(), s.end(), buffer);
  buffer[s.size()] = 0;
  return true;
}

const AcDbObjectId AcDbObjectId::kNull{};

bool AcDbObjectId::isValid() const { return stub_ && stub_->object; }
bool AcDbObjectId::isErased() const { return stub_ && stub_->erased; }
AcDbHandle AcDbObjectId::handle() const { return stub_ ? stub_->handle : AcDbHandle{}; }
AcDbDatabase* AcDbObjectId::database() const { return stub_ ? stub_->db : nullptr; }

bool AcDbObjectId::operator<(const AcDbObjectId& o) const {
  AcDbHandle a = handle(), b = o.handle();
  if (a != b) return a < b;
  return std::less<const AcDbStub*>{}(stub_, o.stub_);
}

// ------------------------------------------------------------------------------- database

namespace {

enum RootIndex { kBT = 0, kLT, kLTT, kRAT, kTST, kVT, kNOD };

}  // namespace

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool /*noDocument*/) : impl_(std::make_unique<Impl>()) {
  if (!buildDefaultDrawing) return;
  Impl& im = *impl_;
  auto addRoot = [&](AcDbObject* obj, int role) {
    AcDbObjectId id;
    DbAccess::addObject(*this, obj, AcDbObjectId::kNull, AcDbHandle{}, false, id);
    im.roots[role] = id;
    return id;
  };
  AcDbObjectId bt = addRoot(new AcDbBlockTable, kBT);
  AcDbObjectId lt = addRoot(new AcDbLayerTable, kLT);
  AcDbObjectId tst = addRoot(new AcDbTextStyleTable, kTST);
  AcDbObjectId ltt = addRoot(new AcDbLinetypeTable, kLTT);
  addRoot(new AcDbViewTable, kVT);
  AcDbObjectId rat = addRoot(new AcDbRegAppTable, kRAT);
  addRoot(new AcDbDictionary, kNOD);

  auto named = [](auto* rec, const char16_t* name) {
    rec->setName(name);
    return rec;
  };
  arxdetail::addRecordSilently(*this, bt, named(new AcDbBlockTableRecord, ACDB_MODEL_SPACE));
  arxdetail::addRecordSilently(*this, bt, named(new AcDbBlockTableRecord, ACDB_PAPER_SPACE));
  arxdetail::addRecordSilently(*this, ltt, named(new AcDbLinetypeTableRecord, u"ByBlock"));
  arxdetail::addRecordSilently(*this, ltt, named(new AcDbLinetypeTableRecord, u"ByLayer"));
  auto* continuous = named(new AcDbLinetypeTableRecord, u"Continuous");
  continuous->setComments(u"Solid line");
  AcDbObjectId contId = arxdetail::addRecordSilently(*this, ltt, continuous);
  auto* zero = named(new AcDbLayerTableRecord, u"0");
  AcCmColor white;
  white.setColorIndex(7);
  zero->setColor(white);
  zero->setLinetypeObjectId(contId);
  im.clayer = arxdetail::addRecordSilently(*this, lt, zero);
  arxdetail::addRecordSilently(*this, tst, named(new AcDbTextStyleTableRecord, u"Standard"));
  arxdetail::addRecordSilently(*this, rat, named(new AcDbRegAppTableRecord, u"ACAD"));
}

AcDbDatabase::~AcDbDatabase() {
  Impl& im = *impl_;
  const std::vector<AcDbDatabaseReactor*> snapshot = im.reactors;
  for (AcDbDatabaseReactor* r : snapshot)
    if (std::find(im.reactors.begin(), im.reactors.end(), r) != im.reactors.end()) r->goodbye(this);
  im.reactors.clear();
  im.dying = true;
  if (acdbHasHostApplicationServices() && acdbHostApplicationServices()->workingDatabase() == this)
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  for (auto it = im.stubs.rbegin(); it != im.stubs.rend(); ++it) {
    if (!it->object) continue;
    DbAccess::markDying(*it->object);
    delete it->object;
    it->object = nullptr;
  }
}

Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode) {
  return acdbOpenObject(table, impl_->roots[kBT], mode);
}
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode) {
  return acdbOpenObject(table, impl_->roots[kLT], mode);
}
Acad::ErrorStatus AcDbDatabase::getLinetypeTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode) {
  return acdbOpenObject(table, impl_->roots[kLTT], mode);
}
Acad::ErrorStatus AcDbDatabase::getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode) {
  return acdbOpenObject(table, impl_->roots[kRAT], mode);
}
Acad::ErrorStatus AcDbDatabase::getTextStyleTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode) {
  return acdbOpenObject(table, impl_->roots[kTST], mode);
}
Acad::ErrorStatus AcDbDatabase::getViewTable(AcDbViewTable*& table, AcDb::OpenMode mode) {
  return acdbOpenObject(table, impl_->roots[kVT], mode);
}
Acad::ErrorStatus AcDbDatabase::getNamedObjectsDictionary(AcDbDictionary*& dict, AcDb::OpenMode mode) {
  return acdbOpenObject(dict, impl_->roots[kNOD], mode);
}

AcDbObjectId AcDbDatabase::blockTableId() const { return impl_->roots[kBT]; }
AcDbObjectId AcDbDatabase::layerTableId() const { return impl_->roots[kLT]; }
AcDbObjectId AcDbDatabase::linetypeTableId() const { return impl_->roots[kLTT]; }
AcDbObjectId AcDbDatabase::regAppTableId() const { return impl_->roots[kRAT]; }
AcDbObjectId AcDbDatabase::textStyleTableId() const { return impl_->roots[kTST]; }
AcDbObjectId AcDbDatabase::viewTableId() const { return impl_->roots[kVT]; }
AcDbObjectId AcDbDatabase::namedObjectsDictionaryId() const { return impl_->roots[kNOD]; }
AcDbObjectId AcDbDatabase::modelSpaceId() const { return arxdetail::findRecord(impl_->roots[kBT], ACDB_MODEL_SPACE); }
AcDbObjectId AcDbDatabase::paperSpaceId() const { return arxdetail::findRecord(impl_->roots[kBT], ACDB_PAPER_SPACE); }

AcDbObjectId AcDbDatabase::clayer() const { return impl_->clayer; }

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId layerId) {
  auto* rec = DbAccess::peekAs<AcDbLayerTableRecord>(layerId);
  if (!rec) return layerId.isNull() ? Acad::eNullObjectId : Acad::eWrongObjectType;
  if (layerId.database() != this) return Acad::eWrongDatabase;
  if (layerId.isErased()) return Acad::eWasErased;
  impl_->clayer = layerId;
  return Acad::eOk;
}

AcDbObjectId AcDbDatabase::byLayerLinetype() const { return arxdetail::findRecord(impl_->roots[kLTT], u"ByLayer"); }
AcDbObjectId AcDbDatabase::byBlockLinetype() const { return arxdetail::findRecord(impl_->roots[kLTT], u"ByBlock"); }
AcDbObjectId AcDbDatabase::continuousLinetype() const {
  return arxdetail::findRecord(impl_->roots[kLTT], u"Continuous");
}
AcDbObjectId AcDbDatabase::textstyle() const { return arxdetail::findRecord(impl_->roots[kTST], u"Standard"); }

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* obj) {
  return DbAccess::addObject(*this, obj, obj ? obj->ownerId() : AcDbObjectId::kNull, AcDbHandle{}, true, id);
}

Acad::ErrorStatus AcDbDatabase::addAcDbObjectWithHandle(AcDbObjectId& id, AcDbObject* obj, const AcDbHandle& handle) {
  id = AcDbObjectId::kNull;
  if (handle.isNull()) return Acad::eNullHandle;
  return DbAccess::addObject(*this, obj, obj ? obj->ownerId() : AcDbObjectId::kNull, handle, true, id);
}

Acad::ErrorStatus AcDbDatabase::addOwnedObject(AcDbObjectId& id, AcDbObject* obj, AcDbObjectId owner,
                                               bool leaveOpen) {
  return DbAccess::addObject(*this, obj, owner, AcDbHandle{}, leaveOpen, id);
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& handle,
                                                Adesk::UInt32 /*xRefId*/) {
  id = AcDbObjectId::kNull;
  if (handle.isNull()) return Acad::eNullHandle;
  auto it = impl_->byHandle.find(handle.value());
  if (it != impl_->byHandle.end()) {
    id = AcDbObjectId::fromStub(it->second);
    return Acad::eOk;
  }
  if (!createIfNotFound) return Acad::eUnknownHandle;
  // Reserve the handle: the id is valid as a name now and gets its object later.
  id = AcDbObjectId::fromStub(DbAccess::newStub(*this, handle.value()));
  return Acad::eOk;
}

AcDbHandle AcDbDatabase::handseed() const { return AcDbHandle(impl_->handseed); }

Acad::ErrorStatus AcDbDatabase::setHandseed(const AcDbHandle& seed) {
  Adesk::UInt64 maxUsed = 0;
  for (const auto& [h, s] : impl_->byHandle) maxUsed = std::max(maxUsed, h);
  if (seed.value() <= maxUsed) return Acad::eInvalidInput;
  impl_->handseed = seed.value();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setRootObjectId(RootObject role, AcDbObjectId id) {
  const AcRxClass* expected = nullptr;
  switch (role) {
    case kBlockTableRoot: expected = AcDbBlockTable::desc(); break;
    case kLayerTableRoot: expected = AcDbLayerTable::desc(); break;
    case kLinetypeTableRoot: expected = AcDbLinetypeTable::desc(); break;
    case kRegAppTableRoot: expected = AcDbRegAppTable::desc(); break;
    case kTextStyleTableRoot: expected = AcDbTextStyleTable::desc(); break;
    case kViewTableRoot: expected = AcDbViewTable::desc(); break;
    case kNamedObjectsDictionaryRoot: expected = AcDbDictionary::desc(); break;
  }
  AcDbObject* o = DbAccess::peek(id);
  if (!o) return id.isNull() ? Acad::eNullObjectId : Acad::eUnknownHandle;
  if (id.database() != this) return Acad::eWrongDatabase;
  if (!o->isKindOf(expected)) return Acad::eWrongObjectType;
  impl_->roots[static_cast<int>(role)] = id;
  if (role == kLayerTableRoot && impl_->clayer.isNull()) impl_->clayer = arxdetail::findRecord(id, u"0");
  return Acad::eOk;
}

void AcDbDatabase::addReactor(AcDbDatabaseReactor* reactor) {
  if (!reactor) return;
  if (std::find(impl_->reactors.begin(), impl_->reactors.end(), reactor) == impl_->reactors.end())
    impl_->reactors.push_back(reactor);
}

void AcDbDatabase::removeReactor(AcDbDatabaseReactor* reactor) {
  auto& r = impl_->reactors;
  r.erase(std::remove(r.begin(), r.end(), reactor), r.end());
}

const std::u16string& AcDbDatabase::filename() const { return impl_->filename; }
void AcDbDatabase::setFilename(const std::u16string& path) { impl_->filename = path; }

void AcDbDatabase::setWriteOpenCheck(WriteOpenCheck check) { impl_->writeCheck = std::move(check); }

AcDbObjectIdArray AcDbDatabase::openObjectIds() const {
  AcDbObjectIdArray out;
  for (auto& s : impl_->stubs)
    if (s.object && DbAccess::isOpen(*s.object)) out.append(AcDbObjectId::fromStub(const_cast<AcDbStub*>(&s)));
  return out;
}

AcDbObjectIdArray AcDbDatabase::objectIds(bool includeErased) const {
  std::vector<AcDbObjectId> ids;
  for (auto& s : impl_->stubs)
    if (s.object && (includeErased || !s.erased)) ids.push_back(AcDbObjectId::fromStub(const_cast<AcDbStub*>(&s)));
  std::sort(ids.begin(), ids.end());
  AcDbObjectIdArray out;
  for (auto id : ids) out.append(id);
  return out;
}

// -------------------------------------------------------------------------- open functions

Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
  return DbAccess::open(obj, id, mode, openErased, nullptr);
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
  return DbAccess::open(obj, id, mode, openErased, nullptr);
}

Acad::ErrorStatus acdbOpenObjectOfClass(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased,
                                        const AcRxClass* cls) {
  return DbAccess::open(obj, id, mode, openErased, cls);
}

Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& entity, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
  entity = nullptr;
  AcDbObject* o = DbAccess::peek(id);
  if (o && !o->isKindOf(AcDbEntity::desc())) return Acad::eNotAnEntity;
  AcDbObject* p = nullptr;
  Acad::ErrorStatus es = DbAccess::open(p, id, mode, openErased, nullptr);
  if (es == Acad::eOk) entity = AcDbEntity::cast(p);
  return es;
}
