// Map objects from the host into the drawing: the walk over the object block the host sends
// after the user pressed the plug-in's button in the map (or that a contour download delivers),
// and the entities each record becomes. Every created entity is linked to its map object, so a
// later transfer of the same object replaces the entity instead of adding a second one.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "arx/dbid.h"
#include "exchange/map_record.h"

class AcApDocument;

namespace vurk {

// ---- folder names (process-wide, only grows): host folder id → the folder's name
void RememberFolderName(std::uint32_t folderId, const std::string& utf8Name);
// The layer an object of the folder is drawn on; empty (the current layer) for an unknown
// folder. Characters a layer name may not hold become '_'.
std::u16string LayerOfFolder(std::uint32_t folderId);
std::size_t FolderNameCount();
void ClearFolderNames();

// ---- contour lines: while a drawing's flag is set, received lines get elevation labels
void SetContourMode(AcApDocument* document, bool on);
bool ContourMode(AcApDocument* document);
inline constexpr std::u16string_view kContourLayer = u"Vurk_contour";
// The label a contour line gets at its middle vertex; nothing for a line without vertices.
std::optional<MarkRecord> ContourLabel(const LineRecord& line);

// ---- cross-section mode: while `active` answers true for the current drawing, marks, lines
// and areas pass through `convert` before they are drawn (false: the conversion failed) and
// areas are not drawn at all.
struct CrossSectionHook {
  std::function<bool()> active;
  std::function<bool(MapRecord&)> convert;
};
CrossSectionHook& CrossSection();

// ---- label sizes
// The text height of a label: fontSize (≤ 0 becomes 14) × the vertical resolution of the
// level / 1.414; labelTextHeight when that is not a positive finite number.
double LabelTextHeight(std::int32_t fontSize, std::uint8_t level);
// The level labelTextHeight stands for (240 → 14, 120 → 15, 60 → 16, 30 → 17, 8 → 19, 4 → 20,
// else 18).
std::uint8_t LevelOfLabelHeight(std::uint32_t labelTextHeight);

// ---- entities of one record (the current document must be locked for write unless the lock
// flag asks for it)
struct MarkEntities {
  AcDbObjectId icon;
  AcDbObjectId text;
  // A point mark that has neither icon nor label is kept as a drawing point.
  AcDbObjectId point;
};
MarkEntities CreateMarkEntities(MarkRecord& mark, const std::u16string& layer, bool lock);
AcDbObjectId CreateMarkEntity(MarkRecord& mark, const std::u16string& layer, bool lock);
// The id of the entity to link; null when nothing was drawn or the entities were linked here
// (point sets and lines of several parts: `linked` is then set).
AcDbObjectId CreateLineEntities(const LineRecord& line, const std::u16string& layer, std::int32_t mapObjectId,
                                bool* linked = nullptr);
// The hatch; null when no boundary could be drawn.
AcDbObjectId CreateAreaEntities(const AreaRecord& area, const std::u16string& layer);
AcDbObjectId CreateMultiPartPolyline(const MultiPartRecord& record, const std::u16string& layer);

// ---- the walk
// What one walk did (for the caller and for tests).
struct ReceiveReport {
  std::size_t entries = 0;      // entries read
  std::size_t created = 0;      // map objects drawn
  std::size_t replaced = 0;     // of those, objects that replaced their old entities
  std::size_t skipped = 0;      // entries skipped (linked folders and their contents, unknown kinds, bad bodies)
  std::u16string ignored;       // the ignored-objects message (empty when nothing was ignored)
  bool truncated = false;       // the block ended inside an entry, or its lengths did not fit
};
// Draws the object block of a 20110 answer (or a contour block): false when the user cancelled
// at the zone-number question. The report, when asked for, says what was done.
bool ReceiveObjects(std::span<const std::uint8_t> block, ReceiveReport* report = nullptr);

// Start-up: the notification window hands the host's object tree to ReceiveObjects, and
// knows when a drawing is open.
void StartReceive();

}  // namespace vurk
