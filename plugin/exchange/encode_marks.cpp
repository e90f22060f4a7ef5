// The encoders that give MarkRecords: points, texts, multiline texts, attributes, attribute
// definitions and raster images sent as points.
#include <cmath>
#include <limits>

#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbimage.h"
#include "arx/dbmtext.h"
#include "arx/dbtext.h"
#include "exchange/encoder_parts.h"
#include "exchange/opened_object.h"

namespace vurk {

namespace {

constexpr std::uint32_t kDefaultPointIcon = 4;
constexpr std::int32_t kIconLabelFontSize = 14;
constexpr double kNarrowText = 0.01;

using encoding::kPiF;
using encoding::Trunc32;

float Degrees(double radians) { return static_cast<float>(radians * 180.0 / kPiF); }

void Place(MarkRecord& m, const AcGePoint3d& p) {
  m.north = p.y;
  m.east = p.x;
  m.altitude = Trunc32(p.z);
}

void ApplyLabelSize(MarkRecord& m, double height, double mapScale) {
  const LabelSize size = labelSizeOf(height, mapScale);
  m.fontSize = size.fontSize;
  m.labelLevel = size.level;
}

// TEXT and MTEXT: a label with an icon whose size the link does not fix is shown at 14 pixels.
void ApplyLinkLabelRule(MarkRecord& m, const EntityLink& link) {
  if (!link.labelFixed) {
    if (link.iconId >= 1) m.fontSize = kIconLabelFontSize;
  } else {
    m.labelFixed = 1;
  }
}

bool IsOrigin(const AcGePoint3d& p) { return p.isEqualTo(AcGePoint3d::kOrigin); }

// The alignment point, or the position when a left/baseline text reports (0, 0).
AcGePoint3d AlignmentOrPosition(const AcDbText& t) {
  const AcGePoint3d a = t.alignmentPoint();
  if (a.x == 0 && a.y == 0 && !IsOrigin(t.position())) return t.position();
  return a;
}

// Lower-left corner of the geometric extents, else the alignment point.
AcGePoint3d LowerLeftOrAlignment(const AcDbText& t) {
  AcDbExtents ext;
  if (t.getGeomExtents(ext) == Acad::eOk) return ext.minPoint();
  return AlignmentOrPosition(t);
}

bool Near(double value, double target) { return std::fabs(value - target) <= 0.05; }

// The label still sits beside its icon: the icon image opens and the label text height s gives
// s / dx and s / dy both near 1 or 2.
bool LabelBesideIcon(const EncodeSession& s, const EntityLink& link, const AcGePoint3d& anchor) {
  if (!s.database || link.companionHandle == 0) return false;
  AcDbObjectId id;
  if (s.database->getAcDbObjectId(id, false, AcDbHandle(link.companionHandle)) != Acad::eOk) return false;
  OpenedObject<AcDbRasterImage> image(id, AcDb::kForRead);
  if (!image) return false;
  AcGePoint3d origin;
  AcGeVector3d u, v;
  image->getOrientation(origin, u, v);
  const double size = s.settings.labelTextHeight;
  const double rx = size / (origin.x + u.x * 0.5 - anchor.x);
  const double ry = size / (origin.y - anchor.y);
  return (Near(rx, 1) || Near(rx, 2)) && (Near(ry, 1) || Near(ry, 2));
}

AcGePoint3d TextAnchor(const AcDbText& t, const EncodeSession& s, const EntityLink& link) {
  AcGePoint3d anchor = AlignmentOrPosition(t);
  AcDbExtents ext;
  if (t.getGeomExtents(ext) == Acad::eOk && ext.maxPoint().x - ext.minPoint().x < kNarrowText) {
    const bool baseline = t.verticalMode() == AcDb::kTextBase;
    const auto h = t.horizontalMode();
    const bool leftish = h == AcDb::kTextLeft || h == AcDb::kTextAlign || h == AcDb::kTextFit;
    if (!(baseline && leftish)) anchor = t.position();
  }
  if (link.iconId >= 1 && !link.savedPosition.isEqualTo(anchor) && LabelBesideIcon(s, link, anchor)) {
    anchor = link.savedPosition;
  }
  return anchor;
}

}  // namespace

LabelSize labelSizeOf(double textHeight, double mapScale) {
  LabelSize size;
  if (!std::isfinite(mapScale) || mapScale <= 0) return size;
  double r = textHeight / mapScale;
  if (!std::isfinite(r) || r <= 0) return size;
  int level = 19;
  if (r > 40.0) {
    while (r / 20.0 > 2.0 && level > 1) {
      --level;
      r *= 0.5;
    }
  } else {
    while (r / 20.0 < 0.5 && level < 28) {
      ++level;
      r *= 2.0;
    }
  }
  const double font = r * 1.414 + 0.5;
  size.fontSize = font >= static_cast<double>(std::numeric_limits<std::int32_t>::max())
                      ? std::numeric_limits<std::int32_t>::max()
                      : static_cast<std::int32_t>(font);
  size.level = static_cast<std::uint8_t>(level);
  return size;
}

std::u16string wrapMText(const std::u16string& plain, double width, double height) {
  if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0) return plain;
  const double perLine = width / height / 1.4 + 0.1;
  std::size_t k = 1;
  if (perLine >= 1.0) k = perLine >= static_cast<double>(plain.size() + 1) ? plain.size() + 1 : static_cast<std::size_t>(perLine);
  std::u16string out;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = plain.find(u"\r\n", start);
    const std::u16string_view line(plain.data() + start, (end == std::u16string::npos ? plain.size() : end) - start);
    for (std::size_t i = 0; i < line.size(); i += k) {
      if (i > 0) out += u"\r\n";
      out += line.substr(i, k);
    }
    if (end == std::u16string::npos) break;
    out += u"\r\n";
    start = end + 2;
  }
  return out;
}

namespace encoding {

std::int32_t Trunc32(double v) {
  if (!std::isfinite(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

bool EncodePointAt(const AcGePoint3d& p, EncodeSession& s, EntityLink& link) {
  MarkRecord m = createMarkRecord();
  NameFromLink(m, link);
  Place(m, p);
  m.iconId = link.iconId != 0 ? link.iconId : kDefaultPointIcon;
  m.colour = s.currentColour;
  m.sourceKind = static_cast<std::uint8_t>(SourceKind::Point);
  return Append(s, std::move(m), link);
}

bool EncodePoint(AcDbPoint& e, EncodeSession& s, EntityLink& link) { return EncodePointAt(e.position(), s, link); }

bool EncodeText(AcDbText& e, EncodeSession& s, EntityLink& link) {
  MarkRecord m = createMarkRecord();
  m.name = RecordName(e.textString());
  NameFromLink(m, link);
  Place(m, TextAnchor(e, s, link));
  m.colour = s.currentColour;
  m.textColour = s.currentColour;
  m.sourceKind = static_cast<std::uint8_t>(SourceKind::TextLabel);
  m.rotation = Degrees(e.rotation());
  ApplyLabelSize(m, e.height(), s.mapScale);
  ApplyLinkLabelRule(m, link);
  return Append(s, std::move(m), link);
}

bool EncodeMText(AcDbMText& e, EncodeSession& s, EntityLink& link) {
  MarkRecord m = createMarkRecord();
  Place(m, link.iconId >= 1 ? link.savedPosition : e.location());
  m.colour = s.currentColour;
  m.textColour = s.currentColour;
  m.name = RecordName(link.name);
  m.text = RecordText(wrapMText(e.text(), e.flowDirection() == AcDbMText::kLtoR || e.flowDirection() == AcDbMText::kByStyle
                                             ? e.width()
                                             : 0.0,
                                e.textHeight()));
  m.isLabel = 1;
  const int attachment = e.attachment();
  m.attachment = static_cast<std::uint8_t>(attachment >= 0 && attachment <= 9 ? attachment : 0);
  m.iconId = link.iconId;
  m.sourceKind = static_cast<std::uint8_t>(SourceKind::TextLabel);
  m.rotation = Degrees(e.rotation());
  ApplyLabelSize(m, e.textHeight(), s.mapScale);
  ApplyLinkLabelRule(m, link);
  return Append(s, std::move(m), link);
}

namespace {

// The label of an attribute or an attribute definition: its text (value or tag) at its
// lower-left corner or alignment point, in the current colour, without an icon.
MarkRecord AttributeLabel(const AcDbText& e, const std::u16string& text, const EncodeSession& s,
                          const EntityLink& link) {
  MarkRecord m = createMarkRecord();
  m.name = RecordName(text);
  NameFromLink(m, link);
  Place(m, LowerLeftOrAlignment(e));
  m.colour = s.currentColour;
  m.textColour = s.currentColour;
  m.sourceKind = static_cast<std::uint8_t>(SourceKind::TextLabel);
  m.labelFixed = 1;
  m.iconId = 0;
  m.rotation = Degrees(e.rotation());
  ApplyLabelSize(m, e.height(), s.mapScale);
  return m;
}

}  // namespace

bool EncodeAttribute(AcDbAttribute& e, EncodeSession& s, EntityLink& link) {
  MarkRecord m = AttributeLabel(e, e.textString(), s, link);
  const std::uint32_t opacity = link.opacity > 100 ? 100 : link.opacity;
  m.transparency = static_cast<std::uint8_t>(100 - opacity);
  return Append(s, std::move(m), link);
}

bool EncodeAttributeDefinition(AcDbAttributeDefinition& e, EncodeSession& s, EntityLink& link) {
  return Append(s, AttributeLabel(e, e.tag(), s, link), link);
}

bool EncodeRasterImage(AcDbRasterImage& e, EncodeSession& s, EntityLink& link) {
  if (link.companionHandle != 0) {
    // The icon of a linked label: the label sends the mark.
    s.lastOutcome = {EncodeOutcome::Skipped, "icon of a linked label (sent with its label)"};
    return true;
  }
  AcGePoint3d origin;
  AcGeVector3d u, v;
  e.getOrientation(origin, u, v);
  const double width = u.length();
  const double height = v.length();
  const bool grid = Trunc32(width) % 15 == 0 && Trunc32(height) % 15 == 0;
  if (!(grid || width == 8.0 || width == 4.0)) {
    Skip(s, "raster image whose size is not a multiple of 15 (nor 8 or 4 wide)");
    return false;
  }
  return EncodePointAt(AcGePoint3d(origin.x + u.x * 0.5, origin.y, origin.z), s, link);
}

}  // namespace encoding
}  // namespace vurk
