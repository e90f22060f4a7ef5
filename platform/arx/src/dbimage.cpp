// Raster image definitions (with the image dictionary) and raster images.
#include "arx/dbimage.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "arx/dbdatabase.h"
#include "arx/dbdict.h"
#include "db_internal.h"
#include "entity_geom.h"
#include "win32/fileapi.h"

using arxdetail::DbAccess;

namespace {

constexpr const char16_t* kImageDictName = u"ACAD_IMAGE_DICT";
constexpr std::size_t kHeaderBytes = 64 * 1024;

bool isRelative(const std::u16string& p) {
  if (p.size() >= 2 && p[1] == u':') return false;
  return p.empty() || (p[0] != u'\\' && p[0] != u'/');
}

std::u16string folderOf(const std::u16string& path) {
  auto pos = path.find_last_of(u"\\/");
  return pos == std::u16string::npos ? std::u16string() : path.substr(0, pos);
}

// Reads up to kHeaderBytes of a file; false when it cannot be opened.
bool readHead(const std::u16string& path, std::vector<unsigned char>& out) {
  FILE* f = _wfopen(path.c_str(), u"rb");
  if (!f) return false;
  out.resize(kHeaderBytes);
  std::size_t n = std::fread(out.data(), 1, out.size(), f);
  std::fclose(f);
  out.resize(n);
  return true;
}

std::uint32_t be32(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
         static_cast<std::uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

unsigned be16(const std::vector<unsigned char>& b, std::size_t at) { return static_cast<unsigned>(b[at]) << 8 | b[at + 1]; }

// Width and height from a PNG or JPEG header; false for anything else.
bool imagePixels(const std::vector<unsigned char>& b, double& width, double& height) {
  static constexpr unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (b.size() >= 24 && std::equal(kPng, kPng + 8, b.begin()) && b[12] == 'I' && b[13] == 'H' && b[14] == 'D' &&
      b[15] == 'R') {
    width = be32(b, 16);
    height = be32(b, 20);
    return width > 0 && height > 0;
  }
  if (b.size() >= 4 && b[0] == 0xFF && b[1] == 0xD8) {
    std::size_t i = 2;
    while (i + 4 <= b.size()) {
      if (b[i] != 0xFF) return false;
      unsigned char m = b[i + 1];
      if (m == 0xFF) {
        ++i;  // fill byte
        continue;
      }
      if (m == 0x01 || (m >= 0xD0 && m <= 0xD8)) {
        i += 2;
        continue;
      }
      unsigned len = be16(b, i + 2);
      bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
      if (sof) {
        if (i + 9 > b.size() || len < 7) return false;
        height = be16(b, i + 5);
        width = be16(b, i + 7);
        return width > 0 && height > 0;
      }
      if (len < 2) return false;
      i += 2 + len;
    }
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------- definition

AcDbObjectId AcDbRasterImageDef::imageDictionary(AcDbDatabase* db) {
  if (!db) return {};
  auto* nod = DbAccess::peekAs<AcDbDictionary>(db->namedObjectsDictionaryId());
  AcDbObjectId id;
  if (!nod || nod->getAt(kImageDictName, id) != Acad::eOk) return {};
  return id;
}

Acad::ErrorStatus AcDbRasterImageDef::createImageDictionary(AcDbDatabase* db, AcDbObjectId& dictId) {
  dictId = AcDbObjectId::kNull;
  if (!db) return Acad::eNoDatabase;
  dictId = imageDictionary(db);
  if (!dictId.isNull()) return Acad::eOk;
  AcDbDictionary* nod = nullptr;
  Acad::ErrorStatus es = db->getNamedObjectsDictionary(nod, AcDb::kForWrite);
  if (es != Acad::eOk) return es;
  auto* dict = new AcDbDictionary;
  es = nod->setAt(kImageDictName, dict, dictId);
  if (es == Acad::eOk)
    dict->close();
  else
    delete dict;
  nod->close();
  return es;
}

Acad::ErrorStatus AcDbRasterImageDef::setSourceFileName(const ACHAR* path) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!path || !*path) return Acad::eInvalidInput;
  source_ = path;
  loaded_ = false;
  active_.clear();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImageDef::load() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (source_.empty()) return Acad::eInvalidInput;
  std::vector<std::u16string> candidates{source_};
  if (isRelative(source_) && database() && !database()->filename().empty()) {
    std::u16string folder = folderOf(database()->filename());
    if (!folder.empty()) candidates.push_back(folder + u"\\" + source_);
  }
  std::vector<unsigned char> head;
  for (const auto& path : candidates) {
    if (!readHead(path, head)) continue;
    double w = 0, h = 0;
    if (head.empty() || !imagePixels(head, w, h)) return Acad::eFileAccessErr;
    size_.set(w, h);
    loaded_ = true;
    char16_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    active_ = (n > 0 && n < MAX_PATH) ? std::u16string(full, n) : path;
    return Acad::eOk;
  }
  return Acad::eFileNotFound;
}

Acad::ErrorStatus AcDbRasterImageDef::unload(bool) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  loaded_ = false;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImageDef::setResolutionMMPerPixel(const AcGeVector2d& v) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(v.x > 0 && v.y > 0)) return Acad::eInvalidInput;
  pixelSize_ = v;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImageDef::setResolutionUnits(Units u) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  units_ = u;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImageDef::setStoredSize(const AcGeVector2d& pixels) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(pixels.x >= 0 && pixels.y >= 0)) return Acad::eInvalidInput;
  size_ = pixels;
  return Acad::eOk;
}

// --------------------------------------------------------------------------------- image

Acad::ErrorStatus AcDbRasterImage::setImageDefId(AcDbObjectId id) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (id.isNull()) return Acad::eNullObjectId;
  if (!DbAccess::peekAs<AcDbRasterImageDef>(id)) return Acad::eWrongObjectType;
  if (database() && id.database() != database()) return Acad::eWrongDatabase;
  defId_ = id;
  return Acad::eOk;
}

void AcDbRasterImage::getOrientation(AcGePoint3d& origin, AcGeVector3d& u, AcGeVector3d& v) const {
  origin = origin_;
  u = u_;
  v = v_;
}

bool AcDbRasterImage::setOrientation(const AcGePoint3d& origin, const AcGeVector3d& u, const AcGeVector3d& v) {
  if (!assertWriteEnabled()) return false;
  if (u.isZeroLength() || v.isZeroLength() || u.crossProduct(v).length() <= 1e-12 * u.length() * v.length())
    return false;
  origin_ = origin;
  u_ = u;
  v_ = v;
  return true;
}

void AcDbRasterImage::setDisplayOpt(ImageDisplayOpt opt, bool on) {
  if (!assertWriteEnabled()) return;
  if (on)
    displayOpts_ |= opt;
  else
    displayOpts_ &= ~static_cast<int>(opt);
}

#define ARX_PERCENT_SETTER(NAME, MEMBER)                      \
  Acad::ErrorStatus AcDbRasterImage::NAME(Adesk::Int8 value) { \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
    if (value < 0 || value > 100) return Acad::eInvalidInput; \
    MEMBER = value;                                           \
    return Acad::eOk;                                         \
  }

ARX_PERCENT_SETTER(setBrightness, brightness_)
ARX_PERCENT_SETTER(setContrast, contrast_)
ARX_PERCENT_SETTER(setFade, fade_)

AcGeVector2d AcDbRasterImage::imageSize(bool) const {
  auto* def = DbAccess::peekAs<AcDbRasterImageDef>(defId_);
  return def ? def->size() : AcGeVector2d();
}

Acad::ErrorStatus AcDbRasterImage::setClipBoundary(ClipBoundaryType type, const AcGePoint2dArray& points) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if ((type == kRect && points.length() != 2) || (type == kPoly && points.length() < 3) || type == kInvalid)
    return Acad::eInvalidInput;
  clipType_ = type;
  clip_ = points;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImage::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  extents.addPoint(origin_);
  extents.addPoint(origin_ + u_);
  extents.addPoint(origin_ + v_);
  extents.addPoint(origin_ + u_ + v_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRasterImage::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  AcGeVector3d u = xform * u_, v = xform * v_;
  double su = u.length() / u_.length(), sv = v.length() / v_.length();
  double before = u_.normal().dotProduct(v_.normal()), after = u.normal().dotProduct(v.normal());
  if (std::fabs(su - sv) > 1e-9 * std::fmax(su, sv) || std::fabs(before - after) > 1e-9)
    return Acad::eCannotScaleNonUniformly;
  origin_.transformBy(xform);
  u_ = u;
  v_ = v;
  return Acad::eOk;
}
