// Single-line text and the attributes built on it: AcDbText, AcDbAttributeDefinition,
// AcDbAttribute.
//
// Models:
//   - position and alignment point are world points; justification is horizontalMode
//     (left 0, center 1, right 2, aligned 3, middle 4, fit 5) and verticalMode (baseline 0,
//     bottom 1, middle 2, top 3);
//   - a left/baseline text reports the alignment point (0,0,0), whatever was stored; any other
//     justification reports the stored alignment point;
//   - the text plane is the OCS of the normal; rotation is measured in it from the OCS X axis;
//   - extents follow a simple font model (real fonts differ): each character is 0.7 x height
//     wide (CJK and other wide characters 1.0 x height) times the width factor, the box is as
//     high as the text height, starts at position and turns with the rotation (a text mirrored
//     in X runs the other way); an empty string has no extents (eInvalidExtents);
//   - adjustAlignment recomputes the position of a justified text from its alignment point with
//     the same model (vertical offsets: baseline and bottom 0, middle h/2, top h);
//   - transformBy keeps height and width factor proportional: non-uniform scaling in the text
//     plane is eCannotScaleNonUniformly;
//   - attributes and attribute definitions are texts with a tag (and definitions a prompt);
//     setAttributeFromBlock copies a definition into an attribute through a block transform.
// Limitations: no fields, no multiline attributes, no font files; text styles are only ids.
#pragma once

#include <string>

#include "arx/dbentity.h"

class AcDbText : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbText);
  ARX_DECLARE_CLONE(AcDbText)
  AcDbText() = default;
  AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId style = AcDbObjectId::kNull,
           double height = 0.0, double rotation = 0.0);

  AcGePoint3d position() const { return position_; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  AcGePoint3d alignmentPoint() const;
  Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& p);
  bool isDefaultAlignment() const { return horizontal_ == AcDb::kTextLeft && vertical_ == AcDb::kTextBase; }
  std::u16string textString() const { return text_; }
  const ACHAR* textStringConst() const { return text_.c_str(); }
  Acad::ErrorStatus setTextString(const ACHAR* text);
  double height() const { return height_; }
  Acad::ErrorStatus setHeight(double h);
  double widthFactor() const { return widthFactor_; }
  Acad::ErrorStatus setWidthFactor(double f);
  double rotation() const { return rotation_; }
  Acad::ErrorStatus setRotation(double a);
  double oblique() const { return oblique_; }
  Acad::ErrorStatus setOblique(double a);
  AcDb::TextHorzMode horizontalMode() const { return horizontal_; }
  Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode mode);
  AcDb::TextVertMode verticalMode() const { return vertical_; }
  Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode mode);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);
  AcDbObjectId textStyle() const { return style_; }
  Acad::ErrorStatus setTextStyle(AcDbObjectId style);
  bool isMirroredInX() const { return mirroredX_; }
  Acad::ErrorStatus mirrorInX(bool on);
  bool isMirroredInY() const { return mirroredY_; }
  Acad::ErrorStatus mirrorInY(bool on);
  Acad::ErrorStatus adjustAlignment(const AcDbDatabase* db = nullptr);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  AcDbText(const AcDbText&) = default;
  Acad::ErrorStatus subObjectsToDatabase(AcDbDatabase& db) override;

 private:
  AcGePoint3d position_;
  AcGePoint3d alignment_;
  std::u16string text_;
  double height_ = 0.0;
  double widthFactor_ = 1.0;
  double rotation_ = 0.0;
  double oblique_ = 0.0;
  AcDb::TextHorzMode horizontal_ = AcDb::kTextLeft;
  AcDb::TextVertMode vertical_ = AcDb::kTextBase;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  double thickness_ = 0.0;
  AcDbObjectId style_;
  bool mirroredX_ = false;
  bool mirroredY_ = false;
};

class AcDbAttributeDefinition : public AcDbText {
 public:
  ACRX_DECLARE_MEMBERS(AcDbAttributeDefinition);
  ARX_DECLARE_CLONE(AcDbAttributeDefinition)
  AcDbAttributeDefinition() = default;
  AcDbAttributeDefinition(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag, const ACHAR* prompt,
                          AcDbObjectId style = AcDbObjectId::kNull);

  std::u16string tag() const { return tag_; }
  const ACHAR* tagConst() const { return tag_.c_str(); }
  Acad::ErrorStatus setTag(const ACHAR* tag);
  std::u16string prompt() const { return prompt_; }
  Acad::ErrorStatus setPrompt(const ACHAR* prompt);
  bool isInvisible() const { return invisible_; }
  Acad::ErrorStatus setInvisible(bool on);
  bool isConstant() const { return constant_; }
  Acad::ErrorStatus setConstant(bool on);
  bool isVerifiable() const { return verifiable_; }
  Acad::ErrorStatus setVerifiable(bool on);
  bool isPreset() const { return preset_; }
  Acad::ErrorStatus setPreset(bool on);
  Adesk::UInt16 fieldLength() const { return fieldLength_; }
  Acad::ErrorStatus setFieldLength(Adesk::UInt16 length);

 private:
  std::u16string tag_;
  std::u16string prompt_;
  bool invisible_ = false;
  bool constant_ = false;
  bool verifiable_ = false;
  bool preset_ = false;
  Adesk::UInt16 fieldLength_ = 0;
};

class AcDbAttribute : public AcDbText {
 public:
  ACRX_DECLARE_MEMBERS(AcDbAttribute);
  ARX_DECLARE_CLONE(AcDbAttribute)
  AcDbAttribute() = default;
  AcDbAttribute(const AcGePoint3d& position, const ACHAR* text, const ACHAR* tag,
                AcDbObjectId style = AcDbObjectId::kNull);

  std::u16string tag() const { return tag_; }
  const ACHAR* tagConst() const { return tag_.c_str(); }
  Acad::ErrorStatus setTag(const ACHAR* tag);
  bool isInvisible() const { return invisible_; }
  Acad::ErrorStatus setInvisible(bool on);
  bool isConstant() const { return constant_; }
  Acad::ErrorStatus setConstant(bool on);
  bool isVerifiable() const { return verifiable_; }
  Acad::ErrorStatus setVerifiable(bool on);
  bool isPreset() const { return preset_; }
  Acad::ErrorStatus setPreset(bool on);
  Adesk::UInt16 fieldLength() const { return fieldLength_; }
  Acad::ErrorStatus setFieldLength(Adesk::UInt16 length);
  // Takes the definition's text, tag, flags and properties, placed through blockTransform.
  Acad::ErrorStatus setAttributeFromBlock(const AcDbAttributeDefinition* definition,
                                          const AcGeMatrix3d& blockTransform);

 private:
  std::u16string tag_;
  bool invisible_ = false;
  bool constant_ = false;
  bool verifiable_ = false;
  bool preset_ = false;
  Adesk::UInt16 fieldLength_ = 0;
};
