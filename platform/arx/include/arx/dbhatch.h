// AcDbHatch: a filled area bounded by loops in a plane, with a pattern or a gradient.
//
// Models:
//   - the plane is the OCS of the normal at the elevation; loops are 2D in that OCS;
//   - loop types are flags: kExternal 1, kPolyline 2, kDerived 4, kTextbox 8, kOutermost 16;
//   - appendLoop(type, vertices, bulges) stores a polyline loop (kPolyline added to the type;
//     bulges empty means all 0, otherwise one per vertex); appendLoop(type, edges, edgeTypes)
//     stores copies of the edges (kLine 1 AcGeLineSeg2d, kCirArc 2 AcGeCircArc2d, kEllArc 3
//     AcGeEllipArc2d, kSpline 4 AcGeNurbCurve2d; the caller keeps and deletes its own);
//   - appendLoop(type, ids) derives a loop from boundary entities (kDerived added): a single
//     closed lightweight or 2D polyline (closed flag or equal end points) becomes a polyline
//     loop (kPolyline); anything else becomes an edge loop: lines, arcs, circles, ellipses,
//     splines and the segments of open polylines, chained end to end (edges turned round as
//     needed). An arc whose normal is opposite the hatch's becomes a clockwise AcGeCircArc2d.
//     Points are projected into the hatch plane; planar boundaries (arcs, circles, ellipses,
//     polylines) must be parallel to it; the boundary must close (within 1e-6 of its size);
//     else eInvalidInput and no loop;
//     an entity that cannot be opened for read fails with that status;
//   - getLoopAt in polyline form answers polyline loops, in edge form edge loops (the other
//     form is eInvalidInput); edge pointers handed out are new copies the caller deletes;
//   - getAssocObjIds lists the boundary ids of derived loops while the hatch is associative;
//   - evaluateHatch (needs at least one loop) marks kOutermost on every loop not inside
//     another loop and clears it on the others;
//   - setPattern(kPreDefined, name) takes a name of the built-in library (SOLID, ANSI31,
//     ANSI32, ANSI37, ANGLE, BRICK, CROSS, DOTS, LINE, NET, SQUARE; eInvalidInput otherwise,
//     nothing changed); kUserDefined draws parallel lines at patternSpace (crossed when
//     patternDouble); kCustomDefined accepts any name. getPatternDefinitionAt answers the
//     pattern's lines turned by patternAngle and scaled by patternScale (SOLID has one line,
//     at 45 degrees, as drawings carry it); setPatternDefinitions (non-standard) replaces them
//     with lines read from a drawing;
//   - gradients: setHatchObjectType(kGradientObject) makes isGradient() true; setGradient
//     (kPreDefinedGradient, name) takes LINEAR, CYLINDER, INVCYLINDER, SPHERICAL,
//     HEMISPHERICAL, CURVED, INVSPHERICAL, INVHEMISPHERICAL, INVCURVED (any case),
//     eInvalidInput otherwise; getGradientColors hands out new[] arrays the caller delete[]s;
//   - extents: the box of the loops' boxes; transformBy moves loops, seed points and the
//     pattern origin, turns and scales the pattern; circular arcs refuse non-uniform scaling.
// Limitations: no pattern line generation, no island detection beyond kOutermost, no
// associative update when boundaries change (boundaries list the hatch as a persistent
// reactor only when the caller adds it).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "arx/dbcolor.h"
#include "arx/dbentity.h"
#include "arx/gearrays.h"
#include "arx/gecurv2d.h"

class AcDbHatch : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbHatch);
  ARX_DECLARE_CLONE(AcDbHatch)

  enum HatchLoopType {
    kDefault = 0, kExternal = 1, kPolyline = 2, kDerived = 4, kTextbox = 8, kOutermost = 0x10,
    kNotClosed = 0x20, kSelfIntersecting = 0x40, kTextIsland = 0x80, kDuplicate = 0x100,
  };
  enum HatchEdgeType { kLine = 1, kCirArc = 2, kEllArc = 3, kSpline = 4 };
  enum HatchPatternType { kUserDefined = 0, kPreDefined = 1, kCustomDefined = 2 };
  enum HatchStyle { kNormal = 0, kOuter = 1, kIgnore = 2 };
  enum HatchObjectType { kHatchObject = 0, kGradientObject = 1 };
  enum GradientPatternType { kPreDefinedGradient = 0, kUserDefinedGradient = 1 };

  // One line family of a pattern.
  struct PatternLine {
    double angle = 0.0;
    double baseX = 0.0;
    double baseY = 0.0;
    double offsetX = 0.0;
    double offsetY = 0.0;
    std::vector<double> dashes;
  };

  AcDbHatch();
  AcDbHatch(const AcDbHatch& other);
  ~AcDbHatch() override;

  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double elevation() const { return elevation_; }
  Acad::ErrorStatus setElevation(double e);

  int numLoops() const { return static_cast<int>(loops_.size()); }
  Adesk::Int32 loopTypeAt(int loopIndex) const;
  Acad::ErrorStatus appendLoop(Adesk::Int32 loopType, const AcGePoint2dArray& vertices, const AcGeDoubleArray& bulges);
  Acad::ErrorStatus appendLoop(Adesk::Int32 loopType, const AcGeVoidPointerArray& edgePtrs,
                               const AcGeIntArray& edgeTypes);
  Acad::ErrorStatus appendLoop(Adesk::Int32 loopType, const AcDbObjectIdArray& dbObjIds);
  Acad::ErrorStatus removeLoopAt(int loopIndex);
  Acad::ErrorStatus getLoopAt(int loopIndex, Adesk::Int32& loopType, AcGePoint2dArray& vertices,
                              AcGeDoubleArray& bulges) const;
  Acad::ErrorStatus getLoopAt(int loopIndex, Adesk::Int32& loopType, AcGeVoidPointerArray& edgePtrs,
                              AcGeIntArray& edgeTypes) const;
  Acad::ErrorStatus evaluateHatch(bool underEstimateNumLines = false);

  bool associative() const { return associative_; }
  Acad::ErrorStatus setAssociative(bool on);
  Acad::ErrorStatus getAssocObjIds(AcDbObjectIdArray& ids) const;
  Acad::ErrorStatus getAssocObjIdsAt(int loopIndex, AcDbObjectIdArray& ids) const;
  // Non-standard, for drawing readers: the boundary ids a drawing file lists for a loop whose
  // geometry it also stores (nothing is re-derived from them).
  Acad::ErrorStatus setAssocObjIdsAt(int loopIndex, const AcDbObjectIdArray& ids);

  HatchPatternType patternType() const { return patternType_; }
  std::u16string patternName() const { return patternName_; }
  Acad::ErrorStatus setPattern(HatchPatternType type, const ACHAR* name);
  double patternAngle() const { return patternAngle_; }
  Acad::ErrorStatus setPatternAngle(double angle);
  double patternScale() const { return patternScale_; }
  Acad::ErrorStatus setPatternScale(double scale);
  double patternSpace() const { return patternSpace_; }
  Acad::ErrorStatus setPatternSpace(double space);
  bool patternDouble() const { return patternDouble_; }
  Acad::ErrorStatus setPatternDouble(bool on);
  int numPatternDefinitions() const;
  Acad::ErrorStatus getPatternDefinitionAt(int index, double& angle, double& baseX, double& baseY, double& offsetX,
                                           double& offsetY, AcGeDoubleArray& dashes) const;
  Acad::ErrorStatus setPatternDefinitions(const std::vector<PatternLine>& lines);  // non-standard
  // Non-standard, for drawing readers: the pattern type and name as a drawing stores them,
  // whether or not the built-in library knows the name (its lines come with
  // setPatternDefinitions); an empty name is eInvalidInput.
  Acad::ErrorStatus setPatternAsStored(HatchPatternType type, const ACHAR* name);
  bool hasStoredPatternDefinitions() const { return customLines_; }  // non-standard
  bool isSolidFill() const;
  HatchStyle hatchStyle() const { return style_; }
  Acad::ErrorStatus setHatchStyle(HatchStyle style);
  AcGePoint2d origin() const { return origin_; }
  Acad::ErrorStatus setOrigin(const AcGePoint2d& p);

  HatchObjectType hatchObjectType() const { return objectType_; }
  Acad::ErrorStatus setHatchObjectType(HatchObjectType type);
  bool isGradient() const { return objectType_ == kGradientObject; }
  bool isHatch() const { return objectType_ == kHatchObject; }
  GradientPatternType gradientType() const { return gradientType_; }
  std::u16string gradientName() const { return gradientName_; }
  Acad::ErrorStatus setGradient(GradientPatternType type, const ACHAR* name);
  double gradientAngle() const { return gradientAngle_; }
  Acad::ErrorStatus setGradientAngle(double angle);
  float gradientShift() const { return gradientShift_; }
  Acad::ErrorStatus setGradientShift(float shift);
  bool getGradientOneColorMode() const { return oneColorMode_; }
  Acad::ErrorStatus setGradientOneColorMode(bool on);
  float getShadeTintValue() const { return shadeTint_; }
  Acad::ErrorStatus setShadeTintValue(float value);
  Acad::ErrorStatus setGradientColors(unsigned int count, const AcCmColor* colors, const float* values);
  Acad::ErrorStatus getGradientColors(unsigned int& count, AcCmColor*& colors, float*& values) const;

  int numSeedPoints() const { return seeds_.length(); }
  Acad::ErrorStatus getSeedPointAt(int index, AcGePoint2d& point) const;
  Acad::ErrorStatus appendSeedPoint(const AcGePoint2d& point);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  struct Loop {
    Adesk::Int32 type = 0;
    bool polyline = false;
    AcGePoint2dArray vertices;
    AcGeDoubleArray bulges;
    std::vector<std::unique_ptr<AcGeCurve2d>> edges;
    AcGeIntArray edgeTypes;
    AcDbObjectIdArray sources;
  };
  static Loop copyLoop(const Loop& loop);
  std::vector<AcGePoint2d> loopPolygon(const Loop& loop) const;

  AcGeVector3d normal_ = AcGeVector3d::kZAxis;
  double elevation_ = 0.0;
  std::vector<Loop> loops_;
  bool associative_ = false;
  HatchPatternType patternType_ = kPreDefined;
  std::u16string patternName_;
  double patternAngle_ = 0.0;
  double patternScale_ = 1.0;
  double patternSpace_ = 1.0;
  bool patternDouble_ = false;
  bool customLines_ = false;
  std::vector<PatternLine> lines_;
  HatchStyle style_ = kNormal;
  AcGePoint2d origin_;
  HatchObjectType objectType_ = kHatchObject;
  GradientPatternType gradientType_ = kPreDefinedGradient;
  std::u16string gradientName_;
  double gradientAngle_ = 0.0;
  float gradientShift_ = 0.0f;
  bool oneColorMode_ = false;
  float shadeTint_ = 0.0f;
  std::vector<AcCmColor> gradientColors_;
  std::vector<float> gradientValues_;
  AcGePoint2dArray seeds_;
};
