#include "exchange/document_links.h"

#include <algorithm>
#include <iterator>

#include "arx/dbdatabase.h"
#include "arx/dbmtext.h"
#include "arx/dbtext.h"
#include "exchange/link_record.h"

namespace vurk {

// ---------------------------------------------------------------------------- the cache

EntityLink* DocumentLinks::find(std::uint64_t handle) {
  const auto it = cache_.find(handle);
  return it == cache_.end() ? nullptr : &it->second;
}

const EntityLink* DocumentLinks::find(std::uint64_t handle) const {
  const auto it = cache_.find(handle);
  return it == cache_.end() ? nullptr : &it->second;
}

EntityLink& DocumentLinks::putLink(std::uint64_t handle, EntityLink link, bool stored) {
  link.stored = stored ? 1 : 0;
  const auto it = cache_.try_emplace(handle).first;
  it->second = std::move(link);
  registerLink(handle, it->second);
  return it->second;
}

EntityLink& DocumentLinks::setLinkId(std::uint64_t handle, std::int32_t id, bool isMember) {
  EntityLink link;
  if (const EntityLink* cached = find(handle)) {
    link = *cached;
  } else {
    link = FreshLink(handle);
  }
  link.mapObjectId = id;
  link.isMember = isMember ? 1 : 0;
  return putLink(handle, std::move(link), false);
}

void DocumentLinks::relink(std::uint64_t handle) {
  if (const EntityLink* link = find(handle)) registerLink(handle, *link);
}

void DocumentLinks::forget(std::uint64_t handle) {
  const auto it = cache_.find(handle);
  if (it != cache_.end()) cache_.erase(it);
  unregister(handle);
  leaveGroups(handle);
}

std::vector<std::uint64_t> DocumentLinks::pendingHandles() const {
  std::vector<std::uint64_t> handles;
  for (const auto& [handle, link] : cache_) {
    if (!link.stored) handles.push_back(handle);
  }
  std::sort(handles.begin(), handles.end());
  return handles;
}

void DocumentLinks::registerLink(std::uint64_t handle, const EntityLink& link) {
  if (link.mapObjectId == 0) {
    unregister(handle);
    return;
  }
  const bool icon = link.companionHandle > 0;
  const auto r = registered_.find(handle);
  if (r != registered_.end()) {
    if (r->second.id == link.mapObjectId && r->second.icon == icon) return;
    unregister(handle);
  }
  auto& handles = (icon ? icons_ : byId_)[link.mapObjectId];
  handles.push_back(handle);
  registered_[handle] = {link.mapObjectId, icon, handles.size() - 1};
}

void DocumentLinks::unregister(std::uint64_t handle) {
  const auto r = registered_.find(handle);
  if (r == registered_.end()) return;
  Table& table = r->second.icon ? icons_ : byId_;
  const auto it = table.find(r->second.id);
  if (it != table.end()) {
    // The last handle of the list takes this one's place (the order of holders is not kept).
    auto& handles = it->second;
    const std::size_t at = r->second.index;
    if (at < handles.size() && handles[at] == handle) {
      if (at + 1 != handles.size()) {
        handles[at] = handles.back();
        registered_[handles[at]].index = at;
      }
      handles.pop_back();
    }
    if (handles.empty()) table.erase(it);
  }
  registered_.erase(handle);
}

void DocumentLinks::leaveGroups(std::uint64_t handle) {
  const auto m = memberships_.find(handle);
  if (m == memberships_.end()) return;
  for (const Membership& membership : m->second) {
    const auto it = membership.registry->find(membership.key);
    if (it == membership.registry->end()) continue;
    LinkGroup& group = it->second;
    if (const auto at = group.memberAt.find(handle); at != group.memberAt.end()) {
      group.members.erase(at->second);
      group.memberAt.erase(at);
    }
    if (group.members.empty()) membership.registry->erase(it);
  }
  memberships_.erase(m);
}

// ---------------------------------------------------------------------------- tables

std::vector<std::uint64_t> DocumentLinks::holders(std::int32_t mapObjectId) const {
  const auto it = byId_.find(mapObjectId);
  return it == byId_.end() ? std::vector<std::uint64_t>{} : it->second;
}

std::vector<std::uint64_t> DocumentLinks::iconHolders(std::int32_t mapObjectId) const {
  const auto it = icons_.find(mapObjectId);
  return it == icons_.end() ? std::vector<std::uint64_t>{} : it->second;
}

const LinkGroup* DocumentLinks::group(std::int32_t key) const {
  if (const auto it = pointSets_.find(key); it != pointSets_.end()) return &it->second;
  if (const auto it = joinedLines_.find(key); it != joinedLines_.end()) return &it->second;
  return nullptr;
}

void DocumentLinks::addMember(std::unordered_map<std::int32_t, LinkGroup>& registry, std::int32_t key,
                              std::uint64_t handle, const EntityLink& link) {
  auto [it, added] = registry.try_emplace(key);
  if (added) {
    it->second.link = link;
    it->second.link.mapObjectId = key;
  }
  LinkGroup& group = it->second;
  if (group.memberAt.count(handle)) return;
  group.memberAt.emplace(handle, group.members.insert(group.members.end(), handle));
  memberships_[handle].push_back({&registry, key});
}

bool DocumentLinks::rekeyGroup(std::int32_t key, std::int32_t id) {
  for (auto* registry : {&pointSets_, &joinedLines_}) {
    auto node = registry->extract(key);
    if (node.empty()) continue;
    LinkGroup group = std::move(node.mapped());
    group.link.mapObjectId = id;
    for (std::uint64_t member : group.members) setLinkId(member, id, true);
    LinkGroup& target = (*registry)[id];
    if (target.members.empty()) target.link = group.link;
    for (std::uint64_t member : group.members) {
      for (Membership& m : memberships_[member])
        if (m.registry == registry && m.key == key) m.key = id;
      if (!target.memberAt.count(member))
        target.memberAt.emplace(member, target.members.insert(target.members.end(), member));
    }
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------- reading

bool IsLiveHandle(AcDbDatabase* db, std::uint64_t handle) {
  if (!db || handle == 0) return false;
  AcDbObjectId id;
  if (db->getAcDbObjectId(id, false, AcDbHandle(handle)) != Acad::eOk || id.isNull()) return false;
  return !id.isErased();
}

EntityLink* readCachedLink(DocumentLinks& links, std::uint64_t handle) { return links.find(handle); }

EntityLink& readLink(DocumentLinks& links, const AcDbObject& object) {
  const std::uint64_t handle = object.objectHandle().value();
  if (EntityLink* cached = links.find(handle)) return *cached;
  EntityLink link = readLinkRecord(object);
  bool stored = true;
  if (link.mapObjectId != 0 && !link.isMember) {
    for (std::uint64_t other : links.holders(link.mapObjectId)) {
      if (other == handle || !IsLiveHandle(object.database(), other)) continue;
      const EntityLink* otherLink = links.find(other);
      if (otherLink && otherLink->isMember) continue;
      // A copy of a linked entity: it becomes a new object of its own.
      link.mapObjectId = 0;
      stored = false;
      break;
    }
  }
  return links.putLink(handle, std::move(link), stored);
}

bool FillLabelName(const AcDbObject& object, EntityLink& link) {
  if (!link.name.empty()) return false;
  if (const auto* text = AcDbText::cast(&object)) {
    link.name = text->textString();
  } else if (const auto* mtext = AcDbMText::cast(&object)) {
    link.name = mtext->text();
  } else {
    return false;
  }
  return !link.name.empty();
}

// ---------------------------------------------------------------------------- erasing

ErasedLink unlinkErased(DocumentLinks& links, AcDbDatabase* db, std::uint64_t handle) {
  ErasedLink result;
  const EntityLink* link = links.find(handle);
  if (!link || link->mapObjectId == 0) {
    links.forget(handle);
    return result;
  }
  result.wasLinked = true;
  const std::int32_t id = link->mapObjectId;
  links.forget(handle);
  bool othersAlive = false;
  for (std::uint64_t other : links.holders(id)) {
    if (IsLiveHandle(db, other)) {
      othersAlive = true;
      break;
    }
  }
  // A member's object goes with the group's last live member; a copy (an entity carrying the id
  // of another live one) leaves the original's object alone.
  if (!othersAlive) result.deleteId = id;
  return result;
}

// ---------------------------------------------------------------------------- encoders

EntityLink DocumentLinkSource::linkOf(const AcDbEntity& entity) { return readLink(links_, entity); }

const EntityLink* DocumentLinkSource::groupLink(std::int32_t mapObjectId) {
  const LinkGroup* g = links_.group(mapObjectId);
  return g ? &g->link : nullptr;
}

std::vector<AcDbHandle> DocumentLinkSource::linePieces(std::int32_t mapObjectId) {
  std::vector<AcDbHandle> pieces;
  const auto it = links_.joinedLines().find(mapObjectId);
  if (it == links_.joinedLines().end()) return pieces;
  for (std::uint64_t h : it->second.members) pieces.emplace_back(h);
  return pieces;
}

std::uint32_t DocumentLinkSource::newTemporaryKey() {
  for (;;) {
    lastKey_ = lastKey_ >= 0x7FFFFFFFu ? 0x40000001u : lastKey_ + 1;
    const auto key = static_cast<std::int32_t>(lastKey_);
    if (links_.find(lastKey_) || !links_.holders(key).empty() || !links_.iconHolders(key).empty() ||
        links_.group(key)) {
      continue;
    }
    return lastKey_;
  }
}

}  // namespace vurk
