// AcDbEntity: common properties and the default geometry answers.
#include "arx/dbapserv.h"
#include "arx/dbentity.h"
#include "db_internal.h"

using arxdetail::DbAccess;

namespace {

// The database an entity's names resolve in: its own, else the working database.
AcDbDatabase* namingDatabase(const AcDbEntity* e) {
  if (e->database()) return e->database();
  if (acdbHasHostApplicationServices()) return acdbHostApplicationServices()->workingDatabase();
  return nullptr;
}

std::u16string recordName(AcDbObjectId id) {
  auto* r = DbAccess::peekAs<AcDbSymbolTableRecord>(id);
  return r ? r->getName() : std::u16string{};
}

}  // namespace

AcDbEntity::AcDbEntity() = default;
AcDbEntity::AcDbEntity(const AcDbEntity& other) = default;
AcDbEntity::~AcDbEntity() = default;

std::u16string AcDbEntity::layer() const { return recordName(layerId_); }

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* name, bool, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  AcDbDatabase* db = namingDatabase(this);
  if (!db) return Acad::eNoDatabase;
  AcDbObjectId id = arxdetail::findRecord(db->layerTableId(), name ? name : u"");
  if (id.isNull()) return Acad::eKeyNotFound;
  layerId_ = id;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId id, bool, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (id.isNull()) return Acad::eNullObjectId;
  if (!DbAccess::peekAs<AcDbLayerTableRecord>(id)) return Acad::eWrongObjectType;
  if (database() && id.database() != database()) return Acad::eWrongDatabase;
  if (id.isErased()) return Acad::eWasErased;
  layerId_ = id;
  return Acad::eOk;
}

std::u16string AcDbEntity::linetype() const { return recordName(linetypeId_); }

Acad::ErrorStatus AcDbEntity::setLinetype(const ACHAR* name, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  AcDbDatabase* db = namingDatabase(this);
  if (!db) return Acad::eNoDatabase;
  AcDbObjectId id = arxdetail::findRecord(db->linetypeTableId(), name ? name : u"");
  if (id.isNull()) return Acad::eKeyNotFound;
  linetypeId_ = id;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetype(AcDbObjectId id, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (id.isNull()) return Acad::eNullObjectId;
  if (!DbAccess::peekAs<AcDbLinetypeTableRecord>(id)) return Acad::eWrongObjectType;
  if (database() && id.database() != database()) return Acad::eWrongDatabase;
  if (id.isErased()) return Acad::eWasErased;
  linetypeId_ = id;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetypeScale(double scale, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(scale > 0.0)) return Acad::eInvalidInput;
  linetypeScale_ = scale;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setColor(const AcCmColor& color, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  color_ = color;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 index, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (index > 256) return Acad::eInvalidInput;
  AcCmColor c;
  c.setColorIndex(index);
  color_ = c;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setTransparency(const AcCmTransparency& transparency, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (transparency.isInvalid()) return Acad::eInvalidInput;
  transparency_ = transparency;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLineWeight(AcDb::LineWeight weight, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  lineWeight_ = weight;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setVisibility(AcDb::Visibility visibility, bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  visibility_ = visibility;
  return Acad::eOk;
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* db) {
  if (!assertWriteEnabled()) return;
  if (!db) db = namingDatabase(this);
  if (!db) return;
  layerId_ = db->clayer();
  linetypeId_ = db->byLayerLinetype();
  color_ = AcCmColor{};
  transparency_ = AcCmTransparency{};
  linetypeScale_ = 1.0;
  lineWeight_ = AcDb::kLnWtByLayer;
}

void AcDbEntity::setPropertiesFrom(const AcDbEntity* other, bool) {
  if (!other || !assertWriteEnabled()) return;
  layerId_ = other->layerId_;
  linetypeId_ = other->linetypeId_;
  color_ = other->color_;
  transparency_ = other->transparency_;
  linetypeScale_ = other->linetypeScale_;
  lineWeight_ = other->lineWeight_;
  visibility_ = other->visibility_;
}

Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents&) const { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbEntity::explode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbEntity::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& entity) const {
  entity = nullptr;
  AcDbEntity* copy = AcDbEntity::cast(clone());
  if (!copy) return Acad::eNotApplicable;
  Acad::ErrorStatus es = copy->transformBy(xform);
  if (es != Acad::eOk) {
    delete copy;
    return es;
  }
  entity = copy;
  return Acad::eOk;
}
