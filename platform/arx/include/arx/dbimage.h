// Raster images: AcDbRasterImageDef (the image file, kept in the image dictionary) and
// AcDbRasterImage (a placed instance of it).
//
// Models:
//   - the image dictionary is "ACAD_IMAGE_DICT" in the named-objects dictionary;
//     imageDictionary(db) is null until createImageDictionary(db, id) makes it (asking again
//     answers the existing one);
//   - setSourceFileName stores the path as given (eInvalidInput for an empty one) and unloads;
//     load() opens the file through the desktop's file system: a relative path resolves
//     against the process current directory (SetCurrentDirectoryW), then against the folder of
//     the drawing's file name; a file that is missing is eFileNotFound; one that is empty or is
//     not a PNG or JPEG image (signature and header checked within the bytes read) is
//     eFileAccessErr; on success isLoaded() is true and size() is the width and height in
//     pixels; unload() makes it unloaded again;
//   - an image's orientation is origin, u (bottom edge, may point left: mirrored) and v (left
//     edge); setOrientation refuses (false) a zero u or v or parallel ones; display options
//     are flags kShow 1, kShowUnAligned 2, kClip 4, kTransparent 8 (new images: kShow |
//     kShowUnAligned); extents are the parallelogram origin, origin+u, origin+v, origin+u+v;
//     transformBy refuses transforms that would not keep the picture's proportions and angles
//     (eCannotScaleNonUniformly).
// Limitations: no pixels are decoded; brightness, contrast and fade are stored only; no image
// definition reactors.
#pragma once

#include <string>

#include "arx/dbentity.h"
#include "arx/gecurv2d.h"

class AcDbRasterImageDef : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbRasterImageDef);
  ARX_DECLARE_CLONE(AcDbRasterImageDef)
  AcDbRasterImageDef() = default;

  enum Units { kNone = 0, kMillimeter = 1, kCentimeter = 2, kMeter = 3, kKilometer = 4, kInch = 5, kFoot = 6,
               kYard = 7, kMile = 8, kMicroinches = 9, kMils = 10, kAngstroms = 11, kNanometers = 12,
               kMicrons = 13, kDecimeters = 14, kDekameters = 15, kHectometers = 16, kGigameters = 17,
               kAstronomical = 18, kLightYears = 19, kParsecs = 20 };

  static AcDbObjectId imageDictionary(AcDbDatabase* db);
  static Acad::ErrorStatus createImageDictionary(AcDbDatabase* db, AcDbObjectId& dictId);

  Acad::ErrorStatus setSourceFileName(const ACHAR* path);
  std::u16string sourceFileName() const { return source_; }
  // The path the last successful load() opened.
  std::u16string activeFileName() const { return active_; }
  Acad::ErrorStatus load();
  Acad::ErrorStatus unload(bool modifyDatabase = true);
  bool isLoaded() const { return loaded_; }
  AcGeVector2d size() const { return size_; }
  AcGeVector2d resolutionMMPerPixel() const { return pixelSize_; }
  Acad::ErrorStatus setResolutionMMPerPixel(const AcGeVector2d& v);
  Units resolutionUnits() const { return units_; }
  Acad::ErrorStatus setResolutionUnits(Units u);
  // Non-standard: a drawing reader keeps the size the file recorded when the image cannot be
  // loaded.
  Acad::ErrorStatus setStoredSize(const AcGeVector2d& pixels);

 private:
  std::u16string source_;
  std::u16string active_;
  bool loaded_ = false;
  AcGeVector2d size_;
  AcGeVector2d pixelSize_{1.0, 1.0};
  Units units_ = kNone;
};

class AcDbImage : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbImage);

 protected:
  AcDbImage() = default;
  AcDbImage(const AcDbImage&) = default;
};

class AcDbRasterImage : public AcDbImage {
 public:
  ACRX_DECLARE_MEMBERS(AcDbRasterImage);
  ARX_DECLARE_CLONE(AcDbRasterImage)

  enum ImageDisplayOpt { kShow = 1, kShowUnAligned = 2, kClip = 4, kTransparent = 8 };
  enum ClipBoundaryType { kInvalid = 0, kRect = 1, kPoly = 2 };

  AcDbRasterImage() = default;

  AcDbObjectId imageDefId() const { return defId_; }
  Acad::ErrorStatus setImageDefId(AcDbObjectId id);
  void getOrientation(AcGePoint3d& origin, AcGeVector3d& u, AcGeVector3d& v) const;
  bool setOrientation(const AcGePoint3d& origin, const AcGeVector3d& u, const AcGeVector3d& v);
  bool isSetDisplayOpt(ImageDisplayOpt opt) const { return (displayOpts_ & opt) != 0; }
  void setDisplayOpt(ImageDisplayOpt opt, bool on);
  Adesk::Int8 brightness() const { return brightness_; }
  Acad::ErrorStatus setBrightness(Adesk::Int8 value);
  Adesk::Int8 contrast() const { return contrast_; }
  Acad::ErrorStatus setContrast(Adesk::Int8 value);
  Adesk::Int8 fade() const { return fade_; }
  Acad::ErrorStatus setFade(Adesk::Int8 value);
  // Pixels of the definition (0, 0 without one).
  AcGeVector2d imageSize(bool getCachedValue = false) const;
  ClipBoundaryType clipBoundaryType() const { return clipType_; }
  const AcGePoint2dArray& clipBoundary() const { return clip_; }
  Acad::ErrorStatus setClipBoundary(ClipBoundaryType type, const AcGePoint2dArray& points);
  bool isClipped() const { return isSetDisplayOpt(kClip); }

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;

 private:
  AcDbObjectId defId_;
  AcGePoint3d origin_;
  AcGeVector3d u_ = AcGeVector3d::kXAxis;
  AcGeVector3d v_ = AcGeVector3d::kYAxis;
  int displayOpts_ = kShow | kShowUnAligned;
  Adesk::Int8 brightness_ = 50;
  Adesk::Int8 contrast_ = 50;
  Adesk::Int8 fade_ = 0;
  ClipBoundaryType clipType_ = kInvalid;
  AcGePoint2dArray clip_;
};
