// Entity encoding: one drawing entity becomes map object records appended (each behind its
// ObjectHeader) to the ObjectStream of a send.
//
// One dispatcher chooses the encoder by the entity's runtime class, in a fixed order (points,
// attributes, attribute definitions, texts, mtexts, raster images, ellipses, lines, circles,
// arcs, splines, lightweight, 3D and 2D polylines, multilines, hatches, solids, then the
// groups: block references, regions, zombie and proxy entities). Curves are sent by a few
// defining points that the receiver rebuilds by source kind; groups become a folder entry
// followed by their exploded parts.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "arx/dbentity.h"
#include "arx/dbid.h"
#include "exchange/entity_link.h"
#include "exchange/object_stream.h"
#include "exchange/pattern_lists.h"
#include "exchange/styles.h"

namespace vurk {

// What the per-document link state answers to the encoders (the send flows give theirs; a
// drawing without links uses FreshLinks).
class LinkSource {
 public:
  virtual ~LinkSource() = default;
  // The entity's link through the cache; a fresh link with entityKey = its handle when none.
  virtual EntityLink linkOf(const AcDbEntity& entity) = 0;
  // The link registered for a point set or a multi-piece line (null when none).
  virtual const EntityLink* groupLink(std::int32_t mapObjectId) = 0;
  // Every drawing polyline registered for a multi-piece line, in registration order.
  virtual std::vector<AcDbHandle> linePieces(std::int32_t mapObjectId) = 0;
  // A fresh positive 31-bit key for a new point set.
  virtual std::uint32_t newTemporaryKey() = 0;
};

// No links at all: every entity is new.
class FreshLinks : public LinkSource {
 public:
  EntityLink linkOf(const AcDbEntity& entity) override;
  const EntityLink* groupLink(std::int32_t) override { return nullptr; }
  std::vector<AcDbHandle> linePieces(std::int32_t) override { return {}; }
  std::uint32_t newTemporaryKey() override { return ++lastKey_; }

 private:
  std::uint32_t lastKey_ = 0x40000000;
};

// A fresh link: all zero but labelFixed 1.
EntityLink FreshLink(std::uint64_t entityKey = 0);

struct EncodeSettings {
  bool pointsAsIcons = false;         // top-level points are marks at once instead of point sets
  std::uint32_t labelTextHeight = 0;  // for the label-beside-its-icon test
};

// Why an entity produced nothing (for the desk and the log).
struct EncodeOutcome {
  enum Kind { Encoded, Deferred, Skipped } kind = Skipped;
  std::string reason;  // set when skipped or deferred
};

// The state of one send's objects pass (one stream, one drawing).
struct EncodeSession {
  EncodeSession(ObjectStream& stream, LinkSource& links, PatternLists& patterns, AcDbDatabase* database)
      : stream(stream), links(links), patterns(patterns), database(database) {}

  ObjectStream& stream;
  LinkSource& links;
  PatternLists& patterns;
  AcDbDatabase* database;  // where deferred handles are opened
  double mapScale = 0;     // drawing units per pixel at level 19; 0 = unknown
  EncodeSettings settings;
  RecordConversion convert;  // cross-section mode, when on

  // The caller's collections.
  std::vector<AcDbHandle> deferredPoints;
  std::vector<AcDbHandle> deferredJoinedPolylines;
  std::uint32_t childCounter = 0;
  std::vector<std::uint32_t> groupIdsToDelete;
  std::set<std::int32_t> scheduledSetIds;  // point sets already in this send

  // Set by the dispatcher for the encoder that runs.
  Colorref currentColour = 0;
  Colorref inheritedColour = 0;
  // What the last top-level entity became.
  EncodeOutcome lastOutcome;
};

// Encodes one entity (opened for write). True when it produced or scheduled output.
bool encodeEntity(AcDbEntity& entity, EncodeSession& session, EntityLink& link, bool insideGroup = false);

// After a layer's entities: the deferred points as point sets, the deferred pieces as joined
// lines. The template gives the layer's folder. Each returns the number of records appended.
int encodePointSet(EncodeSession& session, const EntityLink& linkTemplate);
int encodeJoinedPolylines(EncodeSession& session, const EntityLink& linkTemplate);

// The label size of a text height at the map scale.
struct LabelSize {
  std::int32_t fontSize = 16;
  std::uint8_t level = 19;
};
LabelSize labelSizeOf(double textHeight, double mapScale);

// MTEXT wrapping: lines longer than k = trunc(width / height / 1.4 + 0.1) characters are broken
// every k characters (nothing is wrapped for a width or height that is not positive).
std::u16string wrapMText(const std::u16string& plainText, double width, double height);

}  // namespace vurk
