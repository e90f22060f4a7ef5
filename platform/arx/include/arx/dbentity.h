// AcDbEntity: the base of everything drawn, with the properties every entity shares.
//
// Models:
//   - layer: setLayer(name) looks the name up (case-insensitively) in the entity's database,
//     or in the working database when the entity is not resident; a missing layer is
//     eKeyNotFound (22) and nothing is created; setLayer(id) needs a layer record id of the
//     same database;
//   - linetype: setLinetype(name) accepts only names in the linetype table ("ByLayer" and
//     "ByBlock" are records of it), eKeyNotFound otherwise (and for "");
//   - colour ByLayer, transparency ByLayer (alpha() 255), linetype scale 1, line weight
//     ByLayer and visible on a new entity; layer and linetype are unset (layer() "") until set
//     or until the entity is added to a database, which gives an unset layer the current
//     layer and an unset linetype ByLayer;
//   - geometry: getGeomExtents (eInvalidExtents when there is nothing to measure),
//     transformBy (eCannotScaleNonUniformly (136) for a transform the entity cannot take, e.g.
//     a non-uniform scaling of a circle; the entity is unchanged then), getTransformedCopy,
//     explode (non-resident pieces the caller deletes; eNotApplicable for entities that do not
//     explode).
// Limitations: no plot styles, materials, subentities or graphics; lineweights are stored,
// never drawn.
#pragma once

#include <string>

#include "arx/acarray.h"
#include "arx/dbcolor.h"
#include "arx/dbextents.h"
#include "arx/dbobject.h"
#include "arx/gemat.h"

class AcDbEntity : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbEntity);
  ARX_DECLARE_CLONE(AcDbEntity)
  ~AcDbEntity() override;

  AcDbObjectId blockId() const { return ownerId(); }

  std::u16string layer() const;
  AcDbObjectId layerId() const { return layerId_; }
  Acad::ErrorStatus setLayer(const ACHAR* name, bool doSubents = true, bool allowHiddenLayer = false);
  Acad::ErrorStatus setLayer(AcDbObjectId layerId, bool doSubents = true, bool allowHiddenLayer = false);

  std::u16string linetype() const;
  AcDbObjectId linetypeId() const { return linetypeId_; }
  Acad::ErrorStatus setLinetype(const ACHAR* name, bool doSubents = true);
  Acad::ErrorStatus setLinetype(AcDbObjectId linetypeId, bool doSubents = true);
  double linetypeScale() const { return linetypeScale_; }
  Acad::ErrorStatus setLinetypeScale(double scale, bool doSubents = true);

  AcCmColor color() const { return color_; }
  Acad::ErrorStatus setColor(const AcCmColor& color, bool doSubents = true);
  Adesk::UInt16 colorIndex() const { return color_.colorIndex(); }
  // 0 ByBlock, 1..255, 256 ByLayer; other values are eInvalidInput.
  Acad::ErrorStatus setColorIndex(Adesk::UInt16 index, bool doSubents = true);
  AcCmEntityColor entityColor() const { return color_.entityColor(); }

  AcCmTransparency transparency() const { return transparency_; }
  // eInvalidInput for the error value.
  Acad::ErrorStatus setTransparency(const AcCmTransparency& transparency, bool doSubents = true);

  AcDb::LineWeight lineWeight() const { return lineWeight_; }
  Acad::ErrorStatus setLineWeight(AcDb::LineWeight weight, bool doSubents = true);
  AcDb::Visibility visibility() const { return visibility_; }
  Acad::ErrorStatus setVisibility(AcDb::Visibility visibility, bool doSubents = true);

  // Current layer, ByLayer linetype and colour, default transparency of db (the entity's own
  // database, else the working database).
  void setDatabaseDefaults(AcDbDatabase* db = nullptr);
  // Copies layer, linetype, colour, transparency, linetype scale, line weight and visibility.
  void setPropertiesFrom(const AcDbEntity* other, bool doSubents = true);

  virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;
  virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
  virtual Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& entity) const;
  virtual Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const;

 protected:
  AcDbEntity();
  AcDbEntity(const AcDbEntity& other);

 private:
  friend struct arxdetail::DbAccess;

  AcDbObjectId layerId_;
  AcDbObjectId linetypeId_;
  AcCmColor color_;
  AcCmTransparency transparency_;
  double linetypeScale_ = 1.0;
  AcDb::LineWeight lineWeight_ = AcDb::kLnWtByLayer;
  AcDb::Visibility visibility_ = AcDb::kVisible;
};

// Opens an entity: eNotAnEntity (nothing opened) when the object is not one; otherwise as
// acdbOpenObject.
Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& entity, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);
