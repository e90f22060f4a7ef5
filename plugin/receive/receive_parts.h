// What the entity builders of received records share: the settings they read, the display
// properties of each kind of record, the link state they enter links into, and the document
// lock they take when asked.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "arx/axlock.h"
#include "basemap/dwg_database_util.h"
#include "exchange/document_links.h"
#include "exchange/entity_link.h"
#include "exchange/map_record.h"
#include "exchange/pattern_lists.h"
#include "settings/settings_record.h"

namespace vurk {

// The settings record of the running plug-in (defaults when there is none).
const SettingsRecord& ReceiveSettings();

// Display properties: colour (ByLayer when the settings ask for the layer's colour), layer and
// opacity percent (clamped to 0..100).
EntityProps ReceivedProps(std::uint32_t colourRef, const std::u16string& layer, int opacityPercent);

// The linetype a received line style index becomes; "Continuous" for unknown indexes.
std::u16string LinetypeOfStyle(std::uint8_t lineStyle);

// A write lock of the current document, taken only when asked.
class OptionalDocLock {
 public:
  explicit OptionalDocLock(bool take) {
    if (take) lock_ = std::make_unique<AcAxDocLock>();
  }

 private:
  std::unique_ptr<AcAxDocLock> lock_;
};

// The pattern lists of the transfer under way (fetched from the host at the first pattern fill);
// a list of its own outside a transfer.
PatternLists& ReceivePatterns();

// The link state of the current drawing; null when it has none.
DocumentLinks* ReceiveLinks();
// A link of a received entity to its map object (not stored yet: the next save writes it).
EntityLink ReceivedLink(std::uint64_t handle, std::int32_t mapObjectId, const std::string& name,
                        const std::string& text);

// The parts of a line or the rings of an area: a new one begins at each vertex of altitude
// 65536, which is its first vertex. Empty parts are left out.
std::vector<std::span<const MapVertex>> SplitRings(const std::vector<MapVertex>& vertices);

}  // namespace vurk
