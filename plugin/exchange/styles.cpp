#include "exchange/styles.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "arx/acedads.h"
#include "arx/adscodes.h"
#include "arx/dbapserv.h"
#include "arx/dbcurve.h"
#include "arx/dbsymtb.h"
#include "basemap/dwg_database_util.h"
#include "exchange/opened_object.h"
#include "hostlink/reply_decoders.h"
#include "util/utf8_text.h"

namespace vurk {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kPatternFlag = 1;
constexpr std::size_t kPatternNameBytes = 100;

std::u16string Upper(std::u16string s) {
  for (char16_t& c : s) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return s;
}

bool Contains(const std::u16string& s, std::u16string_view part) { return s.find(part) != std::u16string::npos; }

std::u16string LayerLinetypeName(const AcDbEntity& entity) {
  OpenedObject<AcDbLayerTableRecord> layer(entity.layerId(), AcDb::kForRead);
  if (!layer) return {};
  OpenedObject<AcDbLinetypeTableRecord> linetype(layer->linetypeObjectId(), AcDb::kForRead);
  if (!linetype) return {};
  return linetype->getName();
}

// A colour of the drawing as COLORREF through its colour index.
Colorref ColourByIndex(const AcCmColor& colour, Colorref current) { return indexColour(colour.colorIndex(), current); }

std::u16string PatternNameOf(const AcDbHatch& hatch) {
  std::u16string name = hatch.patternName();
  if (const auto comma = name.find(u','); comma != std::u16string::npos) name.resize(comma);
  return name;
}

}  // namespace

AcCmColor ColourOf(Colorref c) {
  AcCmColor colour;
  colour.setRGB(static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
                static_cast<std::uint8_t>((c >> 16) & 0xFF));
  return colour;
}

Colorref indexColour(int index, Colorref currentColour) {
  if (index >= 0 && index <= 255) return acedGetRGB(index) & 0xFFFFFF;
  if (index == 256) return currentColour;
  return 0;
}

Colorref entityColour(const AcDbEntity& entity, bool insideGroup, Colorref inheritedColour) {
  const int index = entity.colorIndex();
  if (index == AcCmEntityColor::kACIbyBlock) return kWhite;
  if (index == AcCmEntityColor::kACIbyLayer) {
    if (insideGroup) return inheritedColour;
    OpenedObject<AcDbLayerTableRecord> layer(entity.layerId(), AcDb::kForRead);
    if (!layer) return indexColour(AcCmEntityColor::kACIWhite);
    return indexColour(layer->color().colorIndex());
  }
  return indexColour(index);
}

std::uint32_t entityOpacity(const AcDbEntity& entity) {
  const unsigned alpha = entity.transparency().alpha();
  const auto percent = static_cast<std::uint32_t>(alpha * 100.0 / 254.0 + 0.5);
  return percent == 0 ? 50 : percent;
}

std::uint8_t lineStyleOfName(const std::u16string& name) {
  const std::u16string upper = Upper(name);
  if (upper == u"CONTINUOUS") return 0;
  if (Contains(upper, u"ACAD_ISO")) {
    if (upper == u"ACAD_ISO02W100") return 2;
    if (upper == u"ACAD_ISO07W100") return 1;
    if (upper == u"ACAD_ISO04W100" || upper == u"ACAD_ISO10W100") return 3;
    return 4;
  }
  // Case-sensitive, the first hit in this order deciding.
  static constexpr std::array<std::pair<std::u16string_view, std::uint8_t>, 6> kNames{{
      {u"DASHDOTX2", 6}, {u"DIVIDEX2", 7}, {u"DASHDOT", 3}, {u"CENTER", 3}, {u"DIVIDE", 4}, {u"DASHED", 5}}};
  for (const auto& [part, index] : kNames) {
    if (Contains(name, part)) return index;
  }
  return 0;
}

std::uint8_t lineStyleOf(const AcDbEntity& entity) {
  if (!entity.isKindOf(AcDbCurve::desc())) return 0;
  std::u16string name = entity.linetype();
  const std::u16string upper = Upper(name);
  if (upper == u"BYLAYER" || upper == u"BYBLOCK") name = LayerLinetypeName(entity);
  return lineStyleOfName(name);
}

int measurementFactor() {
  resbuf rb{};
  if (acedGetVar(u"MEASUREMENT", &rb) != RTNORM) return 1;
  return rb.resval.rint != 0 ? 1 : 25;
}

GradientShape gradientShapeOf(const std::u16string& gradientName) {
  const std::u16string n = Upper(gradientName);
  if (n == u"CYLINDER") return {1, false};
  if (n == u"INVCYLINDER") return {1, true};
  if (n == u"SPHERICAL") return {2, false};
  if (n == u"INVSPHERICAL") return {2, true};
  return {0, false};
}

std::u16string gradientNameOfShape(std::uint32_t shape) {
  if (shape == 1) return u"CYLINDER";
  if (shape == 2) return u"SPHERICAL";
  return u"LINEAR";
}

void readHatchStyle(const AcDbHatch& hatch, HatchStyle& style, PatternLists& patterns, Colorref currentColour) {
  style.originX = hatch.origin().x;
  style.originY = hatch.origin().y;
  if (hatch.isGradient()) {
    style.angle = hatch.gradientAngle() * 180.0 / kPi;
    style.fillType = kFillGradient;
    const GradientShape shape = gradientShapeOf(hatch.gradientName());
    style.shapeOrPatternFlag = shape.shape;
    unsigned int count = 0;
    AcCmColor* colours = nullptr;
    float* values = nullptr;
    hatch.getGradientColors(count, colours, values);
    if (count >= 1) {
      const Colorref first = ColourByIndex(colours[0], currentColour);
      style.firstColour = first;
      style.secondColour = first;
      if (!hatch.getGradientOneColorMode() && count >= 2) {
        const Colorref second = ColourByIndex(colours[1], currentColour);
        style.secondColour = second;
        if (shape.exchanged) {
          style.firstColour = second;
          style.secondColour = first;
        }
      }
    }
    delete[] colours;
    delete[] values;
    return;
  }
  style.shapeOrPatternFlag = kPatternFlag;
  style.firstColour = indexColour(hatch.colorIndex(), currentColour);
  style.secondColour = 0;
  const std::u16string name = PatternNameOf(hatch);
  if (name.empty() || Upper(hatch.patternName()) == u"SOLID") {
    style.fillType = kFillSolid;
    return;
  }
  style.fillType = kFillPattern;
  style.angle = hatch.patternAngle() * 180.0 / kPi;
  style.scale = hatch.patternScale() / measurementFactor();
  char field[kPatternNameBytes + 1] = {};
  ToUtf8(name, field, sizeof field);
  style.patternName = field;
  if (const auto id = patterns.idOfName(style.patternName)) {
    style.patternId = *id;
  } else {
    style.scale = 1.0;
    style.patternId = patterns.registerCustomPattern(CustomPatternOf(hatch));
  }
}

void applyHatchStyle(AreaRecord& area, const HatchStyle& style, const AcDbHatch& hatch, Colorref currentColour) {
  area.fillColour = style.firstColour;
  area.fillType = style.fillType;
  area.shapeOrPatternFlag = style.shapeOrPatternFlag;
  area.patternId = style.patternId;
  area.secondColour = style.secondColour;
  area.angle = static_cast<float>(style.angle);
  area.scaledSize = static_cast<float>(style.scale);
  area.originX = style.originX;
  area.originY = style.originY;
  if (style.fillType == kFillSolid) {
    area.fillColour = indexColour(hatch.colorIndex(), currentColour);
    area.lineColour = area.fillColour;
  }
  const auto opacity = static_cast<std::uint8_t>(entityOpacity(hatch));
  area.lineOpacity = opacity;
  area.fillOpacity = opacity;
}

void styleFromArea(const AreaRecord& area, HatchStyle& style, PatternLists& patterns) {
  const int factor = measurementFactor();
  style.originX = area.originX;
  style.originY = area.originY;
  style.angle = area.angle;  // degrees, converted where the hatch takes it
  double scale = static_cast<double>(area.scaledSize);
  if (!std::isfinite(scale) || scale <= 0) scale = 0;
  style.scale = factor * scale;
  style.fillType = area.fillType;
  style.shapeOrPatternFlag = area.shapeOrPatternFlag;
  style.patternId = area.patternId;
  style.firstColour = area.fillColour & 0xFFFFFF;
  if (area.fillType == kFillPattern) {
    const HostPattern* p = patterns.patternOfId(area.patternId);
    std::string name = p ? p->name() : std::string("SOLID");
    if (p && (area.shapeOrPatternFlag != kPatternFlag || style.scale == 0)) style.scale = factor * p->defaultScale();
    if (!std::isfinite(style.scale) || style.scale <= 0) style.scale = 1.0;
    if (name.compare(0, 3, "ISO") == 0) name = "ACAD_" + name;
    style.patternName = name;
    style.secondColour = (area.secondColour & kSecondColourIsBackground) ? (area.secondColour & 0xFFFFFF) : 0;
  } else if (area.fillType == kFillGradient) {
    style.patternName = ToUtf8(gradientNameOfShape(area.shapeOrPatternFlag));
    style.secondColour = area.secondColour & 0xFFFFFF;
  }
}

void applyStyleToHatch(AcDbHatch& hatch, const HatchStyle& style) {
  hatch.setOrigin(AcGePoint2d(style.originX, style.originY));
  const double radians = std::isfinite(style.angle) ? style.angle * kPi / 180.0 : 0.0;
  if (style.fillType == kFillGradient) {
    hatch.setHatchObjectType(AcDbHatch::kGradientObject);
    hatch.setGradientAngle(radians);
    hatch.setGradient(AcDbHatch::kPreDefinedGradient, HostText(style.patternName).c_str());
    const std::array<AcCmColor, 2> colours{ColourOf(style.firstColour), ColourOf(style.secondColour)};
    const std::array<float, 2> values{0.0f, 1.0f};
    hatch.setGradientColors(2, colours.data(), values.data());
    return;
  }
  hatch.setHatchObjectType(AcDbHatch::kHatchObject);
  hatch.setPatternAngle(radians);
  hatch.setPatternScale(std::isfinite(style.scale) && style.scale > 0 ? style.scale : 1.0);
  const std::u16string name = style.fillType == kFillPattern ? HostText(style.patternName) : u"SOLID";
  if (name.empty() || hatch.setPattern(AcDbHatch::kPreDefined, name.c_str()) != Acad::eOk) {
    hatch.setPattern(AcDbHatch::kPreDefined, u"SOLID");
  }
  hatch.setColor(ColourOf(style.firstColour));
}

namespace {

AcDbObjectId AppendHatch(AcDbHatch* hatch, const std::vector<AcDbObjectIdArray>& boundaries, bool associative) {
  if (hatch->evaluateHatch() != Acad::eOk) {
    delete hatch;
    return AcDbObjectId::kNull;
  }
  EntityProps props = DefaultEntityProps();
  props.color = hatch->color();
  const AcDbObjectId id = AppendToModelSpace(hatch, props, acdbHostApplicationServices()->workingDatabase());
  if (id.isNull() || !associative) return id;
  for (const AcDbObjectIdArray& ids : boundaries) {
    for (int i = 0; i < ids.length(); ++i) {
      OpenedObject<AcDbObject> boundary(ids[i], AcDb::kForWrite);
      if (boundary) boundary->addPersistentReactor(id);
    }
  }
  return id;
}

AcDbHatch* NewHatch(bool associative) {
  auto* hatch = new AcDbHatch();
  hatch->setNormal(AcGeVector3d::kZAxis);
  hatch->setElevation(0.0);
  hatch->setAssociative(associative);
  return hatch;
}

}  // namespace

AcDbObjectId createHatch(const AcDbObjectIdArray& boundary, const HatchStyle& style, bool associative) {
  AcDbHatch* hatch = NewHatch(associative);
  if (style.fillType == kFillGradient || style.fillType == kFillPattern) {
    applyStyleToHatch(*hatch, style);
  } else {
    hatch->setPattern(AcDbHatch::kPreDefined, u"SOLID");
    hatch->setColor(ColourOf(style.firstColour));
  }
  if (hatch->appendLoop(AcDbHatch::kExternal, boundary) != Acad::eOk) {
    delete hatch;
    return AcDbObjectId::kNull;
  }
  return AppendHatch(hatch, {boundary}, associative);
}

AcDbObjectId createHatch(const std::vector<AcDbObjectIdArray>& outer, const std::vector<AcDbObjectIdArray>& inner,
                         const HatchStyle& style, bool associative) {
  AcDbHatch* hatch = NewHatch(associative);
  applyStyleToHatch(*hatch, style);
  std::vector<AcDbObjectIdArray> all;
  for (const auto& ids : outer) {
    if (hatch->appendLoop(AcDbHatch::kExternal, ids) != Acad::eOk) {
      delete hatch;
      return AcDbObjectId::kNull;
    }
    all.push_back(ids);
  }
  const Adesk::Int32 innerType = outer.empty() ? AcDbHatch::kExternal : AcDbHatch::kOutermost;
  for (const auto& ids : inner) {
    if (hatch->appendLoop(innerType, ids) != Acad::eOk) {
      delete hatch;
      return AcDbObjectId::kNull;
    }
    all.push_back(ids);
  }
  return AppendHatch(hatch, all, associative);
}

}  // namespace vurk
