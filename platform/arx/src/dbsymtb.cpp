// Symbol tables, their records and iterators.
#include <cassert>

#include "arx/dbentity.h"
#include "arx/dbsymtb.h"
#include "db_internal.h"

using arxdetail::DbAccess;

// -------------------------------------------------------------------------------- records

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& name) const {
  name = name_.c_str();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(std::u16string& name) const {
  name = name_;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* name) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!name || !*name) return Acad::eInvalidInput;
  auto* table = DbAccess::peekAs<AcDbSymbolTable>(ownerId());
  if (table) {
    AcDbObjectId other = arxdetail::findRecord(ownerId(), name);
    if (!other.isNull() && other != objectId()) return Acad::eDuplicateRecordName;
  }
  name_ = name;
  return Acad::eOk;
}

// ---------------------------------------------------------------------- table iterators

void AcDbSymbolTableIterator::skipErased(bool forward) {
  while (!done() && ids_[static_cast<std::size_t>(pos_)].isErased()) pos_ += forward ? 1 : -1;
}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
  pos_ = atBeginning ? 0 : static_cast<long>(ids_.size()) - 1;
  if (skipDeleted) skipErased(atBeginning);
}

bool AcDbSymbolTableIterator::done() const { return pos_ < 0 || pos_ >= static_cast<long>(ids_.size()); }

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
  if (done()) return;
  pos_ += forward ? 1 : -1;
  if (skipDeleted) skipErased(forward);
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
  id = AcDbObjectId::kNull;
  if (done()) return Acad::eIteratorDone;
  id = ids_[static_cast<std::size_t>(pos_)];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                                     bool openErased) const {
  record = nullptr;
  AcDbObjectId id;
  Acad::ErrorStatus es = getRecordId(id);
  if (es != Acad::eOk) return es;
  return acdbOpenObject(record, id, mode, openErased);
}

Acad::ErrorStatus AcDbSymbolTableIterator::seek(AcDbObjectId id) {
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    if (ids_[i] == id) {
      pos_ = static_cast<long>(i);
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

// --------------------------------------------------------------------------------- tables

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbObjectId& id, bool getErasedRecord) const {
  id = AcDbObjectId::kNull;
  if (!name) return Acad::eInvalidInput;
  for (AcDbObjectId rid : records_) {
    if (rid.isErased() && !getErasedRecord) continue;
    auto* r = DbAccess::peekAs<AcDbSymbolTableRecord>(rid);
    if (r && arxdetail::namesEqual(r->getName(), name)) {
      id = rid;
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                         bool openErasedRecord) const {
  return typedGetAt(name, record, mode, openErasedRecord);
}

bool AcDbSymbolTable::has(const ACHAR* name) const {
  AcDbObjectId id;
  return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
  for (AcDbObjectId rid : records_)
    if (rid == id && !rid.isErased()) return true;
  return false;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* record) {
  AcDbObjectId id;
  return add(id, record);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* record) {
  id = AcDbObjectId::kNull;
  if (!record) return Acad::eNullObjectPointer;
  AcDbDatabase* db = database();
  if (!db) return Acad::eNoDatabase;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (record->isDatabaseResident()) return Acad::eAlreadyInDb;
  if (!record->isKindOf(recordClass())) return Acad::eWrongObjectType;
  if (record->getName().empty()) return Acad::eInvalidInput;
  if (!arxdetail::findRecord(objectId(), record->getName()).isNull()) return Acad::eDuplicateRecordName;
  if (auto* layer = AcDbLayerTableRecord::cast(record)) {
    if (layer->linetypeObjectId().isNull()) layer->setLinetypeObjectId(db->continuousLinetype());
  }
  records_.push_back(AcDbObjectId::kNull);
  std::size_t slot = records_.size() - 1;
  Acad::ErrorStatus es = DbAccess::addObject(*db, record, objectId(), AcDbHandle{}, true, id);
  if (es != Acad::eOk && id.isNull()) {
    records_.pop_back();
    return es;
  }
  records_[slot] = id;
  return es;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning,
                                               bool skipDeleted) const {
  iterator = new AcDbSymbolTableIterator(records_);
  iterator->start(atBeginning, skipDeleted);
  return Acad::eOk;
}

AcDbObjectIdArray AcDbSymbolTable::recordIds() const {
  AcDbObjectIdArray out;
  for (AcDbObjectId id : records_) out.append(id);
  return out;
}

// ------------------------------------------------------------------------- block records

void AcDbBlockTableRecordIterator::skipErased(bool forward) {
  while (!done() && ids_[static_cast<std::size_t>(pos_)].isErased()) pos_ += forward ? 1 : -1;
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
  pos_ = atBeginning ? 0 : static_cast<long>(ids_.size()) - 1;
  if (skipDeleted) skipErased(atBeginning);
}

bool AcDbBlockTableRecordIterator::done() const { return pos_ < 0 || pos_ >= static_cast<long>(ids_.size()); }

void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
  if (done()) return;
  pos_ += forward ? 1 : -1;
  if (skipDeleted) skipErased(forward);
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
  id = AcDbObjectId::kNull;
  if (done()) return Acad::eIteratorDone;
  id = ids_[static_cast<std::size_t>(pos_)];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& entity, AcDb::OpenMode mode,
                                                          bool openErased) const {
  entity = nullptr;
  AcDbObjectId id;
  Acad::ErrorStatus es = getEntityId(id);
  if (es != Acad::eOk) return es;
  return acdbOpenAcDbEntity(entity, id, mode, openErased);
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::seek(AcDbObjectId id) {
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    if (ids_[i] == id) {
      pos_ = static_cast<long>(i);
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity) {
  AcDbObjectId id;
  return appendAcDbEntity(id, entity);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity) {
  id = AcDbObjectId::kNull;
  if (!entity) return Acad::eNullEntityPointer;
  AcDbDatabase* db = database();
  if (!db) return Acad::eNoDatabase;
  if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (entity->isDatabaseResident()) return Acad::eAlreadyInDb;
  if ((!entity->layerId().isNull() && entity->layerId().database() != db) ||
      (!entity->linetypeId().isNull() && entity->linetypeId().database() != db))
    return Acad::eWrongDatabase;
  if (entity->layerId().isNull()) DbAccess::setEntityLayer(*entity, db->clayer());
  if (entity->linetypeId().isNull()) DbAccess::setEntityLinetype(*entity, db->byLayerLinetype());
  // The slot is reserved first so that the entity is listed when objectAppended fires.
  entities_.push_back(AcDbObjectId::kNull);
  std::size_t slot = entities_.size() - 1;
  Acad::ErrorStatus es = DbAccess::addObject(*db, entity, objectId(), AcDbHandle{}, true, id);
  if (id.isNull()) {
    entities_.erase(entities_.begin() + static_cast<long>(slot));
    return es;
  }
  entities_[slot] = id;
  return es;
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning,
                                                    bool skipDeleted) const {
  std::vector<AcDbObjectId> ids;
  for (AcDbObjectId id : entities_)
    if (!id.isNull()) ids.push_back(id);
  iterator = new AcDbBlockTableRecordIterator(objectId(), std::move(ids));
  iterator->start(atBeginning, skipDeleted);
  return Acad::eOk;
}

AcDbObjectIdArray AcDbBlockTableRecord::entityIds() const {
  AcDbObjectIdArray out;
  for (AcDbObjectId id : entities_)
    if (!id.isNull()) out.append(id);
  return out;
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& origin) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  origin_ = origin;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setComments(const ACHAR* text) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  comments_ = text ? text : u"";
  return Acad::eOk;
}

bool AcDbBlockTableRecord::isLayout() const {
  return arxdetail::namesEqual(getName(), ACDB_MODEL_SPACE) || arxdetail::namesEqual(getName().substr(0, 12), ACDB_PAPER_SPACE);
}

bool AcDbBlockTableRecord::isAnonymous() const { return !getName().empty() && getName()[0] == u'*' && !isLayout(); }

// --------------------------------------------------------------------------- layers

AcDbLayerTableRecord::AcDbLayerTableRecord() { color_.setColorIndex(7); }

Acad::ErrorStatus AcDbLayerTableRecord::setColor(const AcCmColor& color) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (color.isByLayer() || color.isByBlock()) return Acad::eInvalidInput;
  color_ = color;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId id) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!id.isNull() && !DbAccess::peekAs<AcDbLinetypeTableRecord>(id)) return Acad::eWrongObjectType;
  linetypeId_ = id;
  return Acad::eOk;
}

#define ARX_BOOL_SETTER(CLASS, NAME, MEMBER)     \
  Acad::ErrorStatus CLASS::NAME(bool v) {        \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
    MEMBER = v;                                  \
    return Acad::eOk;                            \
  }

ARX_BOOL_SETTER(AcDbLayerTableRecord, setIsOff, off_)
ARX_BOOL_SETTER(AcDbLayerTableRecord, setIsFrozen, frozen_)
ARX_BOOL_SETTER(AcDbLayerTableRecord, setIsLocked, locked_)
ARX_BOOL_SETTER(AcDbLayerTableRecord, setIsPlottable, plottable_)
ARX_BOOL_SETTER(AcDbLinetypeTableRecord, setIsScaledToFit, scaledToFit_)
ARX_BOOL_SETTER(AcDbTextStyleTableRecord, setIsShapeFile, shapeFile_)
ARX_BOOL_SETTER(AcDbTextStyleTableRecord, setIsVertical, vertical_)

Acad::ErrorStatus AcDbLayerTableRecord::setLineWeight(AcDb::LineWeight weight) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  lineWeight_ = weight;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setTransparency(const AcCmTransparency& transparency) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!transparency.isByAlpha()) return Acad::eInvalidInput;
  transparency_ = transparency;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setDescription(const ACHAR* text) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  description_ = text ? text : u"";
  return Acad::eOk;
}

// ------------------------------------------------------------------------ linetypes

Acad::ErrorStatus AcDbLinetypeTableRecord::setComments(const ACHAR* text) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  comments_ = text ? text : u"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::setPatternLength(double length) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(length >= 0.0)) return Acad::eInvalidInput;
  patternLength_ = length;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::setNumDashes(int count) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (count < 0 || count > 12) return Acad::eInvalidInput;
  dashes_.resize(static_cast<std::size_t>(count), 0.0);
  return Acad::eOk;
}

double AcDbLinetypeTableRecord::dashLengthAt(int index) const {
  if (index < 0 || index >= numDashes()) return 0.0;
  return dashes_[static_cast<std::size_t>(index)];
}

Acad::ErrorStatus AcDbLinetypeTableRecord::setDashLengthAt(int index, double length) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index < 0 || index >= numDashes()) return Acad::eInvalidIndex;
  dashes_[static_cast<std::size_t>(index)] = length;
  return Acad::eOk;
}

// ---------------------------------------------------------------------- text styles

Acad::ErrorStatus AcDbTextStyleTableRecord::setFileName(const ACHAR* name) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  fileName_ = name ? name : u"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setBigFontFileName(const ACHAR* name) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  bigFontFileName_ = name ? name : u"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setTextSize(double size) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(size >= 0.0)) return Acad::eInvalidInput;
  textSize_ = size;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setXScale(double scale) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(scale > 0.0)) return Acad::eInvalidInput;
  xScale_ = scale;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setObliquingAngle(double angle) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  obliquingAngle_ = angle;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setFlagBits(Adesk::UInt8 bits) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  flagBits_ = bits;
  return Acad::eOk;
}

// ---------------------------------------------------------------------------- views

#define ARX_VIEW_SETTER(CLASS, NAME, TYPE, MEMBER) \
  void CLASS::NAME(TYPE v) {                       \
    if (!assertWriteEnabled()) return;             \
    MEMBER = v;                                    \
  }

ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setCenterPoint, const AcGePoint2d&, center_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setHeight, double, height_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setWidth, double, width_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setTarget, const AcGePoint3d&, target_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setViewDirection, const AcGeVector3d&, viewDirection_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setLensLength, double, lensLength_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setViewTwist, double, viewTwist_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setPerspectiveEnabled, bool, perspective_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setFrontClipEnabled, bool, frontClip_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setBackClipEnabled, bool, backClip_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setFrontClipAtEye, bool, frontClipAtEye_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setFrontClipDistance, double, frontClipDistance_)
ARX_VIEW_SETTER(AcDbAbstractViewTableRecord, setBackClipDistance, double, backClipDistance_)
ARX_VIEW_SETTER(AcDbViewTableRecord, setIsPaperspaceView, bool, paperspace_)
