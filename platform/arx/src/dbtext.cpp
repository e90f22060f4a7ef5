// Text, attribute definitions and attributes.
#include "arx/dbtext.h"

#include <cmath>

#include "arx/dbdatabase.h"
#include "entity_geom.h"
#include "text_model.h"

#define ARX_SETTER(CLASS, NAME, TYPE, MEMBER)                 \
  Acad::ErrorStatus CLASS::NAME(TYPE v) {                     \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
    MEMBER = v;                                               \
    return Acad::eOk;                                         \
  }

#define ARX_STRING_SETTER(CLASS, NAME, MEMBER)                \
  Acad::ErrorStatus CLASS::NAME(const ACHAR* v) {             \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
    MEMBER = v ? v : u"";                                     \
    return Acad::eOk;                                         \
  }

namespace {

// Unit vectors along and across the text in world coordinates.
void textAxes(const AcGeVector3d& normal, double rotation, AcGeVector3d& along, AcGeVector3d& up) {
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal, x, y);
  along = x * std::cos(rotation) + y * std::sin(rotation);
  up = normal.normal().crossProduct(along);
}

}  // namespace

AcDbText::AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId style, double height, double rotation)
    : position_(position), text_(text ? text : u""), height_(height), rotation_(rotation), style_(style) {}

ARX_SETTER(AcDbText, setPosition, const AcGePoint3d&, position_)
ARX_SETTER(AcDbText, setAlignmentPoint, const AcGePoint3d&, alignment_)
ARX_STRING_SETTER(AcDbText, setTextString, text_)
ARX_SETTER(AcDbText, setRotation, double, rotation_)
ARX_SETTER(AcDbText, setOblique, double, oblique_)
ARX_SETTER(AcDbText, setHorizontalMode, AcDb::TextHorzMode, horizontal_)
ARX_SETTER(AcDbText, setVerticalMode, AcDb::TextVertMode, vertical_)
ARX_SETTER(AcDbText, setThickness, double, thickness_)
ARX_SETTER(AcDbText, setTextStyle, AcDbObjectId, style_)
ARX_SETTER(AcDbText, mirrorInX, bool, mirroredX_)
ARX_SETTER(AcDbText, mirrorInY, bool, mirroredY_)

AcGePoint3d AcDbText::alignmentPoint() const { return isDefaultAlignment() ? AcGePoint3d::kOrigin : alignment_; }

Acad::ErrorStatus AcDbText::setHeight(double h) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(h >= 0.0)) return Acad::eInvalidInput;
  height_ = h;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setWidthFactor(double f) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(f > 0.0)) return Acad::eInvalidInput;
  widthFactor_ = f;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::setNormal(const AcGeVector3d& n) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (n.isZeroLength()) return Acad::eInvalidInput;
  normal_ = n.normal();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::adjustAlignment(const AcDbDatabase*) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (isDefaultAlignment() || horizontal_ == AcDb::kTextAlign || horizontal_ == AcDb::kTextFit) return Acad::eOk;
  AcGeVector3d along, up;
  textAxes(normal_, rotation_, along, up);
  if (mirroredX_) along = -along;
  double w = arxdetail::textWidthUnits(text_) * height_ * widthFactor_;
  double dx = 0, dy = 0;
  switch (horizontal_) {
    case AcDb::kTextCenter: dx = w / 2; break;
    case AcDb::kTextRight: dx = w; break;
    case AcDb::kTextMid: dx = w / 2; dy = height_ / 2; break;
    default: break;
  }
  if (horizontal_ != AcDb::kTextMid) {
    if (vertical_ == AcDb::kTextVertMid) dy = height_ / 2;
    if (vertical_ == AcDb::kTextTop) dy = height_;
  }
  position_ = alignment_ - along * dx - up * dy;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::getGeomExtents(AcDbExtents& extents) const {
  if (text_.empty()) return Acad::eInvalidExtents;
  AcGeVector3d along, up;
  textAxes(normal_, rotation_, along, up);
  if (mirroredX_) along = -along;
  if (mirroredY_) up = -up;
  double w = arxdetail::textWidthUnits(text_) * height_ * widthFactor_;
  extents = AcDbExtents();
  extents.addPoint(position_);
  extents.addPoint(position_ + along * w);
  extents.addPoint(position_ + up * height_);
  extents.addPoint(position_ + along * w + up * height_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  arxdetail::PlanarImage img = arxdetail::planarImage(xform, normal_);
  if (!img.uniform) return Acad::eCannotScaleNonUniformly;
  position_.transformBy(xform);
  alignment_.transformBy(xform);
  height_ *= img.scale;
  rotation_ = arxdetail::normalizeAngle(rotation_ + img.rotation);
  normal_ = img.normal;
  thickness_ *= img.scale;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbText::subObjectsToDatabase(AcDbDatabase& db) {
  if (style_.isNull()) style_ = db.textstyle();
  return Acad::eOk;
}

// ------------------------------------------------------------------- attribute definitions

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                                                 const ACHAR* prompt, AcDbObjectId style)
    : AcDbText(position, text, style), tag_(tag ? tag : u""), prompt_(prompt ? prompt : u"") {}

ARX_STRING_SETTER(AcDbAttributeDefinition, setTag, tag_)
ARX_STRING_SETTER(AcDbAttributeDefinition, setPrompt, prompt_)
ARX_SETTER(AcDbAttributeDefinition, setInvisible, bool, invisible_)
ARX_SETTER(AcDbAttributeDefinition, setConstant, bool, constant_)
ARX_SETTER(AcDbAttributeDefinition, setVerifiable, bool, verifiable_)
ARX_SETTER(AcDbAttributeDefinition, setPreset, bool, preset_)
ARX_SETTER(AcDbAttributeDefinition, setFieldLength, Adesk::UInt16, fieldLength_)

// ------------------------------------------------------------------------------ attributes

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag, AcDbObjectId style)
    : AcDbText(position, text, style), tag_(tag ? tag : u"") {}

ARX_STRING_SETTER(AcDbAttribute, setTag, tag_)
ARX_SETTER(AcDbAttribute, setInvisible, bool, invisible_)
ARX_SETTER(AcDbAttribute, setConstant, bool, constant_)
ARX_SETTER(AcDbAttribute, setVerifiable, bool, verifiable_)
ARX_SETTER(AcDbAttribute, setPreset, bool, preset_)
ARX_SETTER(AcDbAttribute, setFieldLength, Adesk::UInt16, fieldLength_)

Acad::ErrorStatus AcDbAttribute::setAttributeFromBlock(const AcDbAttributeDefinition* def,
                                                       const AcGeMatrix3d& blockTransform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!def) return Acad::eNullObjectPointer;
  // Copy the text data through a transformed copy of the definition.
  AcDbAttributeDefinition placed(*def);
  Acad::ErrorStatus es = placed.transformBy(blockTransform);
  if (es != Acad::eOk) return es;
  setPropertiesFrom(def);
  setPosition(placed.position());
  setAlignmentPoint(placed.alignmentPoint());
  setTextString(placed.textStringConst());
  setHeight(placed.height());
  setWidthFactor(placed.widthFactor());
  setRotation(placed.rotation());
  setOblique(placed.oblique());
  setHorizontalMode(placed.horizontalMode());
  setVerticalMode(placed.verticalMode());
  setNormal(placed.normal());
  setTextStyle(placed.textStyle());
  mirrorInX(placed.isMirroredInX());
  mirrorInY(placed.isMirroredInY());
  tag_ = def->tag();
  invisible_ = def->isInvisible();
  constant_ = def->isConstant();
  verifiable_ = def->isVerifiable();
  preset_ = def->isPreset();
  fieldLength_ = def->fieldLength();
  return Acad::eOk;
}
