// AcDbBlockReference: an insert of a block definition, with its attributes.
//
// Models:
//   - blockTransform() = translation(position) x planeToWorld(normal) x rotation(about the
//     OCS Z axis) x scaling(scale factors) x translation(-block origin);
//   - attributes are entities owned by the reference (appended like polyline vertices;
//     attributeIterator walks them); a resident reference with attributes ends them with a
//     sequence end;
//   - explode returns new non-resident entities, one per entity of the definition that is not
//     erased, in definition order, each a copy transformed by blockTransform(): attribute
//     definitions are included, the reference's own attributes are not, nested references
//     stay references (with the combined transform), and the copies have no handle, no
//     extension dictionary and no reactors. When one of them cannot take the transform
//     (circles, arcs, texts, bulged polylines, images under a non-uniform scale; nested
//     references that would be skewed) nothing is returned and the status is
//     eCannotScaleNonUniformly (136);
//   - transformBy composes with the block transform and re-derives position, rotation, scale
//     and normal; a transform that would skew the reference is eCannotScaleNonUniformly;
//   - extents: the definition's entities through the block transform, plus the attributes.
// Limitations: no dynamic blocks, no MINSERT arrays, no clipping.
#pragma once

#include <vector>

#include "arx/dbcomplex.h"
#include "arx/dbtext.h"
#include "arx/gemat.h"

class AcDbBlockReference : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockReference);
  ARX_DECLARE_CLONE(AcDbBlockReference)
  AcDbBlockReference() = default;
  AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord);
  AcDbBlockReference(const AcDbBlockReference& other);
  ~AcDbBlockReference() override;

  AcDbObjectId blockTableRecord() const { return block_; }
  Acad::ErrorStatus setBlockTableRecord(AcDbObjectId id);
  AcGePoint3d position() const { return position_; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  AcGeScale3d scaleFactors() const { return scale_; }
  // A zero factor is eInvalidInput.
  Acad::ErrorStatus setScaleFactors(const AcGeScale3d& scale);
  double rotation() const { return rotation_; }
  Acad::ErrorStatus setRotation(double angle);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  AcGeMatrix3d blockTransform() const;
  // Sets position, rotation, scale and normal from a transform (eCannotScaleNonUniformly when
  // it skews).
  Acad::ErrorStatus setBlockTransform(const AcGeMatrix3d& xform);

  Acad::ErrorStatus appendAttribute(AcDbAttribute* attribute);
  Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute);
  AcDbObjectIterator* attributeIterator() const;
  Acad::ErrorStatus openSequenceEnd(AcDbSequenceEnd*& seqEnd, AcDb::OpenMode mode);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;

 protected:
  Acad::ErrorStatus subObjectsToDatabase(AcDbDatabase& db) override;

 private:
  // translation x planeToWorld x rotation x scale, without the block origin.
  AcGeMatrix3d placement() const;
  Acad::ErrorStatus setPlacement(const AcGeMatrix3d& placement);

  AcDbObjectId block_;
  AcGePoint3d position_;
  AcGeScale3d scale_;
  double rotation_ = 0.0;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  std::vector<AcDbAttribute*> attributes_;
  AcDbSequenceEnd* seqEnd_ = nullptr;
};
