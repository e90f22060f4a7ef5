// Block references: transform, attributes, explode, extents.
#include "arx/dbblkref.h"

#include <cmath>

#include "arx/dbdatabase.h"
#include "arx/dbsymtb.h"
#include "db_internal.h"
#include "entity_geom.h"

using arxdetail::DbAccess;

AcDbBlockReference::AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord)
    : block_(blockTableRecord), position_(position) {}

AcDbBlockReference::AcDbBlockReference(const AcDbBlockReference& o)
    : AcDbEntity(o), block_(o.block_), position_(o.position_), scale_(o.scale_), rotation_(o.rotation_),
      normal_(o.normal_) {
  for (AcDbAttribute* a : o.attributes_)
    if (!a->isErased()) attributes_.push_back(static_cast<AcDbAttribute*>(a->clone()));
}

AcDbBlockReference::~AcDbBlockReference() {
  if (isDatabaseResident()) return;
  for (AcDbAttribute* a : attributes_) delete a;
  delete seqEnd_;
}

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId id) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!id.isNull() && !DbAccess::peekAs<AcDbBlockTableRecord>(id)) return Acad::eWrongObjectType;
  block_ = id;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& p) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  position_ = p;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& scale) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (scale.sx == 0 || scale.sy == 0 || scale.sz == 0) return Acad::eInvalidInput;
  scale_ = scale;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setRotation(double angle) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  rotation_ = arxdetail::normalizeAngle(angle);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& n) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (n.isZeroLength()) return Acad::eInvalidInput;
  normal_ = n.normal();
  return Acad::eOk;
}

AcGeMatrix3d AcDbBlockReference::placement() const {
  return AcGeMatrix3d::translation(position_.asVector()) * AcGeMatrix3d::planeToWorld(normal_) *
         AcGeMatrix3d::rotation(rotation_, AcGeVector3d::kZAxis) * AcGeMatrix3d::scaling(scale_);
}

AcGeMatrix3d AcDbBlockReference::blockTransform() const {
  AcGePoint3d origin;
  if (auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_)) origin = btr->origin();
  return placement() * AcGeMatrix3d::translation(-origin.asVector());
}

Acad::ErrorStatus AcDbBlockReference::setPlacement(const AcGeMatrix3d& m) {
  AcGePoint3d t;
  AcGeVector3d c0, c1, c2;
  m.getCoordSystem(t, c0, c1, c2);
  double l0 = c0.length(), l1 = c1.length(), l2 = c2.length();
  if (l0 <= 0 || l1 <= 0 || l2 <= 0) return Acad::eInvalidInput;
  // The normal follows the image of the old normal; the Z scale keeps its sign.
  double signZ = scale_.sz < 0 ? -1.0 : 1.0;
  AcGeVector3d n = (c2 * signZ).normal();
  const double tol = 1e-9;
  if (std::fabs(c0.dotProduct(n)) > tol * l0 || std::fabs(c1.dotProduct(n)) > tol * l1 ||
      std::fabs(c0.dotProduct(c1)) > tol * l0 * l1)
    return Acad::eCannotScaleNonUniformly;
  AcGeVector3d x, y;
  arxdetail::ocsAxes(n, x, y);
  double rot = std::atan2(c0.dotProduct(y), c0.dotProduct(x));
  bool mirrored = c0.crossProduct(c1).dotProduct(n) < 0;
  position_ = t;
  normal_ = n;
  scale_ = AcGeScale3d(mirrored ? -l0 : l0, l1, signZ * l2);
  rotation_ = arxdetail::normalizeAngle(mirrored ? rot + arxdetail::kPi : rot);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::setBlockTransform(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  AcGePoint3d origin;
  if (auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_)) origin = btr->origin();
  return setPlacement(xform * AcGeMatrix3d::translation(origin.asVector()));
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* attribute) {
  AcDbObjectId id;
  return appendAttribute(id, attribute);
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute) {
  id = AcDbObjectId::kNull;
  if (!attribute) return Acad::eNullEntityPointer;
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (attribute->isDatabaseResident()) return Acad::eAlreadyInDb;
  for (AcDbAttribute* a : attributes_)
    if (a == attribute) return Acad::eAlreadyInDb;
  if (isDatabaseResident()) {
    AcDbDatabase* db = database();
    if (attribute->layerId().isNull()) attribute->setLayer(layerId());
    Acad::ErrorStatus es = db->addOwnedObject(id, attribute, objectId(), true);
    if (id.isNull()) return es;
    if (!seqEnd_) {
      seqEnd_ = new AcDbSequenceEnd;
      seqEnd_->setLayer(layerId());
      AcDbObjectId seqId;
      db->addOwnedObject(seqId, seqEnd_, objectId());
    }
  }
  attributes_.push_back(attribute);
  return Acad::eOk;
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const {
  return new AcDbObjectIterator(std::vector<AcDbEntity*>(attributes_.begin(), attributes_.end()));
}

Acad::ErrorStatus AcDbBlockReference::openSequenceEnd(AcDbSequenceEnd*& seqEnd, AcDb::OpenMode mode) {
  seqEnd = nullptr;
  if (!isDatabaseResident() || !seqEnd_) return Acad::eNotInDatabase;
  return acdbOpenObject(seqEnd, seqEnd_->objectId(), mode, true);
}

Acad::ErrorStatus AcDbBlockReference::subObjectsToDatabase(AcDbDatabase& db) {
  for (AcDbAttribute* a : attributes_) {
    if (a->isDatabaseResident()) continue;
    if (a->layerId().isNull() || a->layerId().database() != &db) a->setLayer(layerId());
    AcDbObjectId id;
    Acad::ErrorStatus es = db.addOwnedObject(id, a, objectId());
    if (es != Acad::eOk) return es;
  }
  if (!attributes_.empty() && !seqEnd_) {
    seqEnd_ = new AcDbSequenceEnd;
    seqEnd_->setLayer(layerId());
    AcDbObjectId id;
    return db.addOwnedObject(id, seqEnd_, objectId());
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::explode(AcDbVoidPtrArray& entitySet) const {
  auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_);
  if (!btr) return block_.isNull() ? Acad::eNullObjectId : Acad::eWrongObjectType;
  const AcGeMatrix3d xform = blockTransform();
  std::vector<AcDbEntity*> pieces;
  for (AcDbObjectId id : DbAccess::entities(*btr)) {
    if (id.isNull() || id.isErased()) continue;
    auto* src = DbAccess::peekAs<AcDbEntity>(id);
    if (!src) continue;
    AcDbEntity* copy = AcDbEntity::cast(src->clone());
    Acad::ErrorStatus es = copy ? copy->transformBy(xform) : Acad::eNotApplicable;
    if (es != Acad::eOk) {
      delete copy;
      for (AcDbEntity* p : pieces) delete p;
      return es;
    }
    pieces.push_back(copy);
  }
  for (AcDbEntity* p : pieces) entitySet.append(p);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  const AcGeMatrix3d xform = blockTransform();
  if (auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_)) {
    for (AcDbObjectId id : DbAccess::entities(*btr)) {
      if (id.isNull() || id.isErased()) continue;
      auto* src = DbAccess::peekAs<AcDbEntity>(id);
      if (!src) continue;
      AcDbEntity* copy = nullptr;
      AcDbExtents ext;
      if (src->getTransformedCopy(xform, copy) == Acad::eOk) {
        if (copy->getGeomExtents(ext) == Acad::eOk) extents.addExt(ext);
        delete copy;
      } else if (src->getGeomExtents(ext) == Acad::eOk) {
        // A piece that cannot take the transform contributes its transformed box.
        ext.transformBy(xform);
        extents.addExt(ext);
      }
    }
  }
  for (AcDbAttribute* a : attributes_) {
    AcDbExtents ext;
    if (!a->isErased() && a->getGeomExtents(ext) == Acad::eOk) extents.addExt(ext);
  }
  return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  // All or nothing: attributes first on copies, then the reference itself.
  std::vector<AcDbAttribute*> moved;
  for (AcDbAttribute* a : attributes_) {
    auto* copy = static_cast<AcDbAttribute*>(a->clone());
    Acad::ErrorStatus es = copy->transformBy(xform);
    if (es != Acad::eOk) {
      delete copy;
      for (AcDbAttribute* m : moved) delete m;
      return es;
    }
    moved.push_back(copy);
  }
  AcGeVector3d oldNormal = normal_;
  AcGeScale3d oldScale = scale_;
  double oldRotation = rotation_;
  AcGePoint3d oldPosition = position_;
  Acad::ErrorStatus es = setPlacement(xform * placement());
  if (es != Acad::eOk) {
    normal_ = oldNormal;
    scale_ = oldScale;
    rotation_ = oldRotation;
    position_ = oldPosition;
    for (AcDbAttribute* m : moved) delete m;
    return es;
  }
  for (std::size_t i = 0; i < attributes_.size(); ++i) {
    AcDbAttribute* a = attributes_[i];
    AcDbAttribute* m = moved[i];
    // Attributes are owned parts of the reference: update them in place.
    DbAccess::OwnerEdit edit(*a);
    a->transformBy(xform);
    delete m;
  }
  return Acad::eOk;
}

bool AcDbBlockTableRecord::hasAttributeDefinitions() const {
  for (AcDbObjectId id : entities_)
    if (!id.isNull() && !id.isErased() && DbAccess::peekAs<AcDbAttributeDefinition>(id)) return true;
  return false;
}
