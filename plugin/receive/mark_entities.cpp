// Marks: an icon image and a label (TEXT, or MTEXT for a label record), or a single point, icon
// or text for one mark placed by the plug-in itself.
#include <cmath>
#include <memory>

#include "arx/dbapserv.h"
#include "arx/dbents.h"
#include "arx/dbmtext.h"
#include "arx/dbtext.h"
#include "basemap/raster_images.h"
#include "hostlink/reply_decoders.h"
#include "receive/geometry_builders.h"
#include "receive/receive_objects.h"
#include "receive/receive_parts.h"
#include "util/icon_images.h"

namespace vurk {

namespace {

constexpr std::int32_t kDefaultFontSize = 14;
constexpr double kDbTextHeightAllowance = 0.5;

EntityProps MarkProps(const MarkRecord& mark, const std::u16string& layer) {
  const bool text = mark.sourceKind == static_cast<std::uint8_t>(SourceKind::TextLabel);
  return ReceivedProps(text ? mark.textColour : mark.colour, layer, 100 - static_cast<int>(mark.transparency));
}

AcGePoint3d PositionOf(const MarkRecord& mark) { return {mark.east, mark.north, static_cast<double>(mark.altitude)}; }

double RotationOf(const MarkRecord& mark) { return static_cast<double>(mark.rotation) * kPiF / 180.0; }

std::u16string WithParagraphs(const std::string& utf8) {
  std::u16string text = HostText(utf8);
  for (std::size_t at = text.find(u"\r\n"); at != std::u16string::npos; at = text.find(u"\r\n", at + 3)) {
    text.replace(at, 2, u"\\P");
  }
  return text;
}

// The record's font size and level as the label size rule uses them; both are written back.
void FillLabelSize(MarkRecord& mark, std::uint8_t levelForZero) {
  if (mark.fontSize <= 0) mark.fontSize = kDefaultFontSize;
  if (mark.labelLevel == 0) mark.labelLevel = levelForZero;
}

bool MarkPosition(const MarkRecord& mark) {
  return std::isfinite(mark.east) && std::isfinite(mark.north) && std::isfinite(mark.rotation);
}

AcDbObjectId AppendEntity(AcDbEntity* entity, const EntityProps& props) {
  return AppendToModelSpace(entity, props, acdbHostApplicationServices()->workingDatabase());
}

AcDbObjectId AddDbText(const std::u16string& text, const MarkRecord& mark, const EntityProps& props) {
  if (text.empty()) return AcDbObjectId::kNull;
  auto t = std::make_unique<AcDbText>();
  t->setTextString(text.c_str());
  t->setHeight(LabelTextHeight(mark.fontSize, mark.labelLevel) + kDbTextHeightAllowance);
  t->setRotation(RotationOf(mark));
  t->setHorizontalMode(AcDb::kTextLeft);
  t->setVerticalMode(AcDb::kTextBottom);
  t->setPosition(PositionOf(mark));
  t->setAlignmentPoint(PositionOf(mark));
  return AppendEntity(t.release(), props);
}

AcDbObjectId AddMText(const std::u16string& contents, const MarkRecord& mark, double height,
                      AcDbMText::AttachmentPoint attachment, const EntityProps& props) {
  if (contents.empty()) return AcDbObjectId::kNull;
  auto t = std::make_unique<AcDbMText>();
  t->setContents(contents.c_str());
  t->setTextHeight(height);
  t->setLocation(PositionOf(mark));
  t->setRotation(RotationOf(mark));
  t->setAttachment(attachment);
  return AppendEntity(t.release(), props);
}

AcDbMText::AttachmentPoint AttachmentOf(const MarkRecord& mark) {
  if (mark.attachment >= 1 && mark.attachment <= 9) return static_cast<AcDbMText::AttachmentPoint>(mark.attachment);
  return AcDbMText::kBottomLeft;
}

AcDbObjectId AddIcon(const MarkRecord& mark, const EntityProps& props) {
  const SettingsRecord& s = ReceiveSettings();
  if (!s.pointsAsIcons || mark.iconId == 0) return AcDbObjectId::kNull;
  const AcDbObjectId definition = GetIconImageDef(static_cast<int>(mark.iconId));
  if (definition.isNull()) return AcDbObjectId::kNull;
  AcGePoint3d at = PositionOf(mark);
  return AddImgPoint(definition, at, static_cast<int>(s.labelTextHeight), props);
}

}  // namespace

MarkEntities CreateMarkEntities(MarkRecord& mark, const std::u16string& layer, bool lock) {
  OptionalDocLock guard(lock);
  MarkEntities made;
  if (!MarkPosition(mark)) return made;
  FillLabelSize(mark, LevelOfLabelHeight(ReceiveSettings().labelTextHeight));
  const EntityProps props = MarkProps(mark, layer);
  if (mark.isLabel == 0 && mark.labelFixed == 0) made.icon = AddIcon(mark, props);
  if (mark.isLabel == 1) {
    made.text = AddMText(WithParagraphs(mark.text), mark, LabelTextHeight(mark.fontSize, mark.labelLevel),
                         AttachmentOf(mark), props);
  } else {
    made.text = AddDbText(HostText(mark.name), mark, props);
  }
  if (made.icon.isNull() && made.text.isNull() && mark.sourceKind != static_cast<std::uint8_t>(SourceKind::TextLabel)) {
    made.point = AppendEntity(new AcDbPoint(PositionOf(mark)), props);
  }
  return made;
}

AcDbObjectId CreateMarkEntity(MarkRecord& mark, const std::u16string& layer, bool lock) {
  OptionalDocLock guard(lock);
  if (!MarkPosition(mark)) return AcDbObjectId::kNull;
  const EntityProps props = MarkProps(mark, layer);
  if (mark.sourceKind != static_cast<std::uint8_t>(SourceKind::TextLabel)) {
    if (const AcDbObjectId icon = AddIcon(mark, props); !icon.isNull()) return icon;
    return AppendEntity(new AcDbPoint(PositionOf(mark)), props);
  }
  const std::uint32_t sizeClass = ReceiveSettings().defaultTextSizeClass;
  if (mark.labelLevel == 0 && sizeClass == 0) return AcDbObjectId::kNull;
  FillLabelSize(mark, static_cast<std::uint8_t>(sizeClass > 255 ? 255 : sizeClass));
  const std::u16string name = HostText(mark.name);
  const std::size_t lineBreak = name.find(u"\r\n");
  if (lineBreak != std::u16string::npos && lineBreak > 0) {
    return AddMText(WithParagraphs(mark.name), mark,
                    LabelTextHeight(mark.fontSize, mark.labelLevel) + kDbTextHeightAllowance, AcDbMText::kTopLeft,
                    props);
  }
  return AddDbText(name, mark, props);
}

}  // namespace vurk
