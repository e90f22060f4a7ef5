// AcDbMText: multiline text with formatting codes.
//
// Models:
//   - contents() is the text exactly as stored, with its formatting codes; text() is the
//     plain text: "\P" (and the column break "\N") become "\r\n"; "\~" a space; "\\", "\{" and
//     "\}" the characters; "\U+XXXX" the character XXXX; the toggles \L \l \O \o \K \k and the
//     codes with an argument up to ';' (\A \C \c \F \f \H \Q \T \W \p) and grouping braces are
//     dropped; a stack "\Sa/b;" ("\Sa#b;", "\Sa^b;") gives "a/b" ("a#b", "a^b");
//     "\M+nXXXX" (a multibyte code) gives U+FFFD;
//   - location is a world point, direction the world X direction of the text (rotation is its
//     angle in the OCS of the normal), attachment 1..9 (top-left .. bottom-right), flow
//     direction left-to-right 1, right-to-left 2, top-to-bottom 3, bottom-to-top 4, by style 5;
//   - extents follow the single-line text model (arx/dbtext.h) line by line: the lines of
//     text() are 0.7 x height per character wide (1.0 for wide characters), consecutive
//     baselines 5/3 x height x line spacing factor apart; the box is width() wide (the widest
//     line when width is 0), placed on the location by the attachment point; empty text has
//     no extents (eInvalidExtents);
//   - transformBy refuses non-uniform scaling in the text plane (eCannotScaleNonUniformly).
// Limitations: no word wrapping, fields, columns or background masks; the flow direction
// does not change the extents.
#pragma once

#include <string>

#include "arx/dbentity.h"

class AcDbMText : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbMText);
  ARX_DECLARE_CLONE(AcDbMText)

  enum AttachmentPoint {
    kTopLeft = 1, kTopCenter = 2, kTopRight = 3,
    kMiddleLeft = 4, kMiddleCenter = 5, kMiddleRight = 6,
    kBottomLeft = 7, kBottomCenter = 8, kBottomRight = 9,
  };
  enum FlowDirection { kLtoR = 1, kRtoL = 2, kTtoB = 3, kBtoT = 4, kByStyle = 5 };
  enum LineSpacingStyle { kAtLeast = 1, kExactly = 2 };

  AcDbMText() = default;

  AcGePoint3d location() const { return location_; }
  Acad::ErrorStatus setLocation(const AcGePoint3d& p);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  AcGeVector3d direction() const { return direction_; }
  Acad::ErrorStatus setDirection(const AcGeVector3d& d);
  double rotation() const;
  Acad::ErrorStatus setRotation(double angle);
  double width() const { return width_; }
  Acad::ErrorStatus setWidth(double w);
  double textHeight() const { return height_; }
  Acad::ErrorStatus setTextHeight(double h);
  AttachmentPoint attachment() const { return attachment_; }
  Acad::ErrorStatus setAttachment(AttachmentPoint a);
  FlowDirection flowDirection() const { return flow_; }
  Acad::ErrorStatus setFlowDirection(FlowDirection f);
  double lineSpacingFactor() const { return spacing_; }
  Acad::ErrorStatus setLineSpacingFactor(double f);
  LineSpacingStyle lineSpacingStyle() const { return spacingStyle_; }
  Acad::ErrorStatus setLineSpacingStyle(LineSpacingStyle s);
  AcDbObjectId textStyle() const { return style_; }
  Acad::ErrorStatus setTextStyle(AcDbObjectId style);

  std::u16string contents() const { return contents_; }
  Acad::ErrorStatus setContents(const ACHAR* text);
  // The contents without formatting codes (see above).
  std::u16string text() const;
  // Width and height of the text itself in the model above.
  double actualWidth() const;
  double actualHeight() const;

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 protected:
  Acad::ErrorStatus subObjectsToDatabase(AcDbDatabase& db) override;

 private:
  AcGePoint3d location_;
  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  AcGeVector3d direction_ = AcGeVector3d::kXAxis;
  double width_ = 0.0;
  double height_ = 2.5;
  AttachmentPoint attachment_ = kTopLeft;
  FlowDirection flow_ = kLtoR;
  double spacing_ = 1.0;
  LineSpacingStyle spacingStyle_ = kAtLeast;
  AcDbObjectId style_;
  std::u16string contents_;
};

// The plain text of MText contents (the rules of AcDbMText::text()).
std::u16string acdbMTextPlainText(const std::u16string& contents);
