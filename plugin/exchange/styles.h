// The drawing's visual properties as record style fields, and back: colours (index, ByLayer,
// ByBlock) as COLORREF, transparency as opacity percent, linetypes as the host's line style
// index, hatch fills (solid, gradient, pattern) as the fill fields of an AreaRecord.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arx/dbentity.h"
#include "arx/dbhatch.h"
#include "exchange/map_record.h"
#include "exchange/pattern_lists.h"

namespace vurk {

using Colorref = std::uint32_t;  // 0x00BBGGRR
inline constexpr Colorref kWhite = 0xFFFFFF;

// The drawing colour of a COLORREF (a true colour).
AcCmColor ColourOf(Colorref c);
// 0..255: the palette entry; 256: currentColour (the colour being encoded); larger: 0.
Colorref indexColour(int index, Colorref currentColour = 0);
// ByBlock gives white; ByLayer gives inheritedColour inside a group, else the layer's colour.
Colorref entityColour(const AcDbEntity& entity, bool insideGroup, Colorref inheritedColour);
// trunc(alpha x 100 / 254 + 0.5), 0 becoming 50.
std::uint32_t entityOpacity(const AcDbEntity& entity);
// The host line style index 0..7 of the entity's linetype (ByLayer / ByBlock: the layer's).
std::uint8_t lineStyleOf(const AcDbEntity& entity);
// The index of a linetype name (the table of the line styles).
std::uint8_t lineStyleOfName(const std::u16string& linetypeName);
// 1 for a metric drawing (MEASUREMENT non-zero), 25 for an imperial one; read at each use, so
// that every drawing gets its own.
int measurementFactor();

// Fill types of the AreaRecord.
inline constexpr std::uint32_t kFillSolid = 0;
inline constexpr std::uint32_t kFillGradient = 1;
inline constexpr std::uint32_t kFillPattern = 3;
inline constexpr std::uint32_t kSecondColourIsBackground = 0x1000000;

struct HatchStyle {
  Colorref firstColour = 0;
  std::uint32_t fillType = kFillSolid;
  std::uint32_t shapeOrPatternFlag = 0;
  std::uint32_t patternId = 0;
  std::uint32_t secondColour = 0;
  std::string patternName;  // UTF-8, at most 100 bytes
  double angle = 0;         // degrees
  double scale = 0;
  double originX = 0;
  double originY = 0;
};

// Sending: the style of a hatch (patterns looked up in, or registered with, the lists).
// Colour indexes go through indexColour, ByLayer (256) giving currentColour, the colour the
// dispatcher resolved for the hatch.
void readHatchStyle(const AcDbHatch& hatch, HatchStyle& style, PatternLists& patterns, Colorref currentColour = 0);
// Copies the style into the fill fields; a solid fill takes the hatch's colour for fill and
// line; both opacities are the hatch's.
void applyHatchStyle(AreaRecord& area, const HatchStyle& style, const AcDbHatch& hatch, Colorref currentColour = 0);

// Receiving: the style of a received area.
void styleFromArea(const AreaRecord& area, HatchStyle& style, PatternLists& patterns);
// Sets origin, pattern or gradient and colours; an unknown predefined name becomes "SOLID".
void applyStyleToHatch(AcDbHatch& hatch, const HatchStyle& style);
// A new hatch in model space of the working database with one external loop from the ids;
// the null id when the loop or the append fails. When associative, the hatch becomes a
// persistent reactor of each boundary.
AcDbObjectId createHatch(const AcDbObjectIdArray& boundary, const HatchStyle& style, bool associative);
// With several rings: outer boundaries as external loops, inner ones as outermost loops
// (external when there is no outer boundary). Any failing loop abandons the hatch.
AcDbObjectId createHatch(const std::vector<AcDbObjectIdArray>& outer, const std::vector<AcDbObjectIdArray>& inner,
                         const HatchStyle& style, bool associative);

// The gradient shape code and whether the two colours are exchanged.
struct GradientShape {
  std::uint32_t shape = 0;
  bool exchanged = false;
};
GradientShape gradientShapeOf(const std::u16string& gradientName);
std::u16string gradientNameOfShape(std::uint32_t shape);

}  // namespace vurk
