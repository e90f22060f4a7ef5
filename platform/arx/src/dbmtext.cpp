// Multiline text: plain-text extraction, extents, transformation.
#include "arx/dbmtext.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "arx/dbdatabase.h"
#include "entity_geom.h"
#include "text_model.h"

namespace {

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Index of the ';' ending an argument that starts at i (the end of the text when missing).
std::size_t argumentEnd(const std::u16string& s, std::size_t i) {
  std::size_t semi = s.find(u';', i);
  return semi == std::u16string::npos ? s.size() : semi;
}

std::vector<std::u16string> splitLines(const std::u16string& plain) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (true) {
    std::size_t at = plain.find(u"\r\n", start);
    if (at == std::u16string::npos) {
      lines.push_back(plain.substr(start));
      return lines;
    }
    lines.push_back(plain.substr(start, at - start));
    start = at + 2;
  }
}

}  // namespace

std::u16string acdbMTextPlainText(const std::u16string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c == u'{' || c == u'}') continue;
    if (c != u'\\' || i + 1 >= s.size()) {
      out.push_back(c);
      continue;
    }
    char16_t code = s[++i];
    switch (code) {
      case u'P': case u'N': case u'X': out += u"\r\n"; break;
      case u'~': out.push_back(u' '); break;
      case u'\\': case u'{': case u'}': out.push_back(code); break;
      case u'L': case u'l': case u'O': case u'o': case u'K': case u'k': break;
      case u'A': case u'C': case u'c': case u'F': case u'f': case u'H': case u'Q': case u'T': case u'W': case u'p':
        i = argumentEnd(s, i + 1);
        break;
      case u'S': {
        std::size_t end = argumentEnd(s, i + 1);
        for (std::size_t k = i + 1; k < end; ++k) {
          // Separators and escaped separators come through as typed.
          if (s[k] == u'\\' && k + 1 < end) ++k;
          out.push_back(s[k]);
        }
        i = end;
        break;
      }
      case u'U': {
        int value = 0;
        bool ok = i + 5 < s.size() && s[i + 1] == u'+';
        for (int k = 0; ok && k < 4; ++k) {
          int d = i + 2 + k < s.size() ? hexDigit(s[i + 2 + k]) : -1;
          if (d < 0) ok = false;
          value = value * 16 + d;
        }
        if (ok) {
          out.push_back(static_cast<char16_t>(value));
          i += 5;
        } else {
          out.push_back(code);
        }
        break;
      }
      case u'M': {
        // \M+nXXXX: a character in a multibyte code page, not decoded here.
        bool ok = i + 6 < s.size() && s[i + 1] == u'+';
        for (int k = 0; ok && k < 5; ++k)
          if (hexDigit(s[i + 2 + k]) < 0) ok = false;
        if (ok) {
          out.push_back(u'\uFFFD');
          i += 6;
        } else {
          out.push_back(code);
        }
        break;
      }
      default: out.push_back(code); break;
    }
  }
  return out;
}

#define ARX_SETTER(NAME, TYPE, MEMBER)                        \
  Acad::ErrorStatus AcDbMText::NAME(TYPE v) {                 \
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite; \
    MEMBER = v;                                               \
    return Acad::eOk;                                         \
  }

ARX_SETTER(setLocation, const AcGePoint3d&, location_)
ARX_SETTER(setFlowDirection, FlowDirection, flow_)
ARX_SETTER(setLineSpacingStyle, LineSpacingStyle, spacingStyle_)
ARX_SETTER(setTextStyle, AcDbObjectId, style_)

Acad::ErrorStatus AcDbMText::setNormal(const AcGeVector3d& n) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (n.isZeroLength()) return Acad::eInvalidInput;
  double rot = rotation();
  normal_ = n.normal();
  return setRotation(rot);
}

Acad::ErrorStatus AcDbMText::setDirection(const AcGeVector3d& d) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  // The direction is projected into the text plane.
  AcGeVector3d inPlane = d - normal_ * d.dotProduct(normal_);
  if (inPlane.isZeroLength()) return Acad::eInvalidInput;
  direction_ = inPlane.normal();
  return Acad::eOk;
}

double AcDbMText::rotation() const {
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal_, x, y);
  return arxdetail::normalizeAngle(std::atan2(direction_.dotProduct(y), direction_.dotProduct(x)));
}

Acad::ErrorStatus AcDbMText::setRotation(double angle) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  AcGeVector3d x, y;
  arxdetail::ocsAxes(normal_, x, y);
  direction_ = x * std::cos(angle) + y * std::sin(angle);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setWidth(double w) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(w >= 0.0)) return Acad::eInvalidInput;
  width_ = w;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setTextHeight(double h) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(h > 0.0)) return Acad::eInvalidInput;
  height_ = h;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setAttachment(AttachmentPoint a) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (a < kTopLeft || a > kBottomRight) return Acad::eInvalidInput;
  attachment_ = a;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setLineSpacingFactor(double f) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!(f >= 0.25 && f <= 4.0)) return Acad::eInvalidInput;
  spacing_ = f;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setContents(const ACHAR* text) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  contents_ = text ? text : u"";
  return Acad::eOk;
}

std::u16string AcDbMText::text() const { return acdbMTextPlainText(contents_); }

double AcDbMText::actualWidth() const {
  double w = 0;
  for (const auto& line : splitLines(text())) w = std::max(w, arxdetail::textWidthUnits(line) * height_);
  return w;
}

double AcDbMText::actualHeight() const {
  auto lines = splitLines(text());
  return height_ * (1.0 + static_cast<double>(lines.size() - 1) * 5.0 / 3.0 * spacing_);
}

Acad::ErrorStatus AcDbMText::getGeomExtents(AcDbExtents& extents) const {
  if (text().empty()) return Acad::eInvalidExtents;
  double w = width_ > 0 ? width_ : actualWidth();
  double h = actualHeight();
  int column = (attachment_ - 1) % 3;  // 0 left, 1 centre, 2 right
  int row = (attachment_ - 1) / 3;     // 0 top, 1 middle, 2 bottom
  double x0 = -w * column / 2.0;
  double y0 = row == 0 ? -h : (row == 1 ? -h / 2 : 0.0);
  AcGeVector3d along = direction_.normal();
  AcGeVector3d up = normal_.crossProduct(along).normal();
  extents = AcDbExtents();
  for (double dx : {x0, x0 + w})
    for (double dy : {y0, y0 + h}) extents.addPoint(location_ + along * dx + up * dy);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  arxdetail::PlanarImage img = arxdetail::planarImage(xform, normal_);
  if (!img.uniform) return Acad::eCannotScaleNonUniformly;
  location_.transformBy(xform);
  direction_ = (xform * direction_).normal();
  normal_ = img.normal;
  height_ *= img.scale;
  width_ *= img.scale;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::subObjectsToDatabase(AcDbDatabase& db) {
  if (style_.isNull()) style_ = db.textstyle();
  return Acad::eOk;
}
