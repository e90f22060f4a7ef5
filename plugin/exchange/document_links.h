// The link state of one open drawing: the link cache (handle → EntityLink), the tables from map
// object id to the entities that carry it, the registries of point sets and multi-piece lines,
// and the ordered layer links of the current send.
//
// The tables follow the cache: every cached link with a map object id is registered under that
// id (labels with icons and icon images in a table of their own), and a link that changes its id
// or leaves the cache leaves its old entry. Links stay where they are in the cache (a changed
// link is assigned in place), so a pointer to a cached link stays valid until the entity is
// forgotten.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "arx/dbid.h"
#include "exchange/entity_encoder.h"
#include "exchange/entity_link.h"

class AcDbDatabase;
class AcDbObject;

namespace vurk {

// Entities that share one map object: the points of a point set, or the pieces of a multi-piece
// line. Keyed by the map object id, or by a temporary key until the host answers.
struct LinkGroup {
  std::list<std::uint64_t> members;  // handles, in registration order
  EntityLink link;                   // what the group is sent with
  // Where each member stands in the list, so that a member joins, is found and leaves in
  // constant time (groups of many thousand points are common, and erasing them one by one must
  // not walk the list each time).
  std::unordered_map<std::uint64_t, std::list<std::uint64_t>::iterator> memberAt;
};

// A layer link of the send under way, in the order the layers were listed.
struct SendLayerLink {
  EntityLink link;            // entityKey = the layer's handle, name = the layer name
  bool sentAsFolder = false;  // a FolderRecord was sent for it (its folder was not found)
};

class DocumentLinks {
 public:
  // ---- the cache
  EntityLink* find(std::uint64_t handle);
  const EntityLink* find(std::uint64_t handle) const;
  // Caches the link under the handle with the given stored flag, replacing what was cached.
  EntityLink& putLink(std::uint64_t handle, EntityLink link, bool stored);
  // The cached link gets the id (stored 0, isMember as given); a fresh link is cached when none.
  EntityLink& setLinkId(std::uint64_t handle, std::int32_t id, bool isMember);
  // The link's values changed in place (e.g. by the property dialog): its table entries follow.
  void relink(std::uint64_t handle);
  // Drops the handle's link and every table entry and group membership it had.
  void forget(std::uint64_t handle);
  std::size_t size() const { return cache_.size(); }
  // Handles of the links that must be written at the next save, in ascending order.
  std::vector<std::uint64_t> pendingHandles() const;

  // ---- map object id → entities
  // The handles registered for the id (labels with icons and icon images not included).
  std::vector<std::uint64_t> holders(std::int32_t mapObjectId) const;
  // The icon table: labels with icons and icon images registered for the id.
  std::vector<std::uint64_t> iconHolders(std::int32_t mapObjectId) const;

  // ---- point sets and multi-piece lines
  std::unordered_map<std::int32_t, LinkGroup>& pointSets() { return pointSets_; }
  std::unordered_map<std::int32_t, LinkGroup>& joinedLines() { return joinedLines_; }
  const LinkGroup* group(std::int32_t key) const;
  // Adds the member to the group under the key (created with the link when missing).
  void addMember(std::unordered_map<std::int32_t, LinkGroup>& registry, std::int32_t key, std::uint64_t handle,
                 const EntityLink& link);
  // The group under `key` (a temporary key) is now the host object `id`: it is re-keyed, and
  // every member's cached link gets the id, stored 0 and isMember 1. False when no group has
  // the key.
  bool rekeyGroup(std::int32_t key, std::int32_t id);

  // ---- the send under way
  std::vector<SendLayerLink>& sendLayerLinks() { return sendLayerLinks_; }

 private:
  using Table = std::unordered_map<std::int32_t, std::vector<std::uint64_t>>;
  // Where a handle is registered, so that a link whose values were changed in place still
  // leaves the entry it had.
  struct Registration {
    std::int32_t id = 0;
    bool icon = false;
    std::size_t index = 0;  // its place in the table's list for the id
  };
  // A group a handle belongs to: the registry (point sets or joined lines) and the key.
  struct Membership {
    std::unordered_map<std::int32_t, LinkGroup>* registry;
    std::int32_t key;
  };
  void unregister(std::uint64_t handle);
  // Registers the handle under the link's id (moving it from where it was); nothing for id 0.
  void registerLink(std::uint64_t handle, const EntityLink& link);
  void leaveGroups(std::uint64_t handle);

  std::unordered_map<std::uint64_t, EntityLink> cache_;
  Table byId_;
  Table icons_;
  std::unordered_map<std::uint64_t, Registration> registered_;
  std::unordered_map<std::int32_t, LinkGroup> pointSets_;
  std::unordered_map<std::int32_t, LinkGroup> joinedLines_;
  // The groups each handle joined (an entry may be stale when a group was dropped as a whole:
  // leaving checks the group still holds the handle).
  std::unordered_map<std::uint64_t, std::vector<Membership>> memberships_;
  std::vector<SendLayerLink> sendLayerLinks_;
};

// The entity is alive in the database: its handle resolves and it is not erased.
bool IsLiveHandle(AcDbDatabase* db, std::uint64_t handle);

// readLink through the cache: the cached link, or the link read from the object's record and
// cached as stored. A link read from a record whose (non-member) id another live entity of the
// drawing already carries is a copy of it (MIRROR, ARRAY, PASTECLIP carry the record along): it
// is cached unlinked (id 0, not stored), so it is sent as a new object and never changes or
// deletes the original's map object.
EntityLink& readLink(DocumentLinks& links, const AcDbObject& object);
// readLink from the cache only: null when nothing is cached for the handle.
EntityLink* readCachedLink(DocumentLinks& links, std::uint64_t handle);

// An empty link name of a TEXT or MTEXT becomes the entity's whole plain text (not the name cut
// for a record). True when the name was filled.
bool FillLabelName(const AcDbObject& object, EntityLink& link);

// What erasing a linked entity asks of the host.
struct ErasedLink {
  std::int32_t deleteId = 0;  // the map object to delete; 0 = nothing to delete
  bool wasLinked = false;
};
// Takes the erased entity out of the link state. A member of a point set or multi-piece line
// leaves its group, and its map object is deleted only with the last live member. A non-member
// whose id another live entity still carries was a copy: nothing is deleted.
ErasedLink unlinkErased(DocumentLinks& links, AcDbDatabase* db, std::uint64_t handle);

// The link source the encoders read through: the document's cache and registries.
class DocumentLinkSource : public LinkSource {
 public:
  explicit DocumentLinkSource(DocumentLinks& links) : links_(links) {}
  EntityLink linkOf(const AcDbEntity& entity) override;
  const EntityLink* groupLink(std::int32_t mapObjectId) override;
  std::vector<AcDbHandle> linePieces(std::int32_t mapObjectId) override;
  // A positive 31-bit key that is no cached handle, no registered id and no group key.
  std::uint32_t newTemporaryKey() override;

 private:
  DocumentLinks& links_;
  std::uint32_t lastKey_ = 0x40000000;
};

}  // namespace vurk
