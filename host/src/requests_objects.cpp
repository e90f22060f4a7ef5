// Requests on the object tree: listing, finding, adding, deleting and searching objects, and
// exchanging object streams.
#include <set>

#include "host/byte_writer.h"
#include "host/host_app.h"
#include "host/message_layouts.h"
#include "host/object_stream.h"

namespace host {

namespace L = layout;

namespace {

// A folder id from a request: 0 stands for the root.
std::int32_t folderFromWire(std::uint32_t id) {
  return id == 0 ? ObjectStore::kRootId : static_cast<std::int32_t>(id);
}

}  // namespace

std::vector<std::uint8_t> HostApp::objectList(std::uint32_t folderId, const std::vector<const MapObject*>& entries) const {
  ByteWriter w(L::object_list::kHeadSize + entries.size() * L::object_list::kEntrySize);
  w.u16(L::object_list::kMark, L::request_head::kMarkValue);
  w.u32(L::object_list::kFolderId, folderId);
  w.u32(L::object_list::kCount, static_cast<std::uint32_t>(entries.size()));
  std::size_t at = L::object_list::kHeadSize;
  for (const MapObject* o : entries) {
    w.u32(at + L::object_list::kEntryId, static_cast<std::uint32_t>(o->id));
    w.u32(at + L::object_list::kEntryKind, static_cast<std::uint32_t>(o->kind));
    w.text(at + L::object_list::kEntryName, o->name, L::object_list::kEntryNameField);
    at += L::object_list::kEntrySize;
  }
  return w.take();
}

LRESULT HostApp::onGetObjList(Request& req) {
  if (!req.payload.has(0, L::request_head::kSize)) {
    note(req, "payload shorter than the 16-byte head");
    return kNotProcessed;
  }
  fields(req, fields::kRequestHead);
  const std::uint32_t folder = *req.payload.u32(L::request_head::kArg2);
  std::vector<const MapObject*> entries;
  if (objects_.isFolder(folderFromWire(folder))) {
    entries = objects_.children(folderFromWire(folder));
  } else {
    note(req, "no folder " + std::to_string(folder));
  }
  answer(req, PluginMessage::ObjectList, objectList(folder, entries));
  return 0;
}

LRESULT HostApp::onGetObj(Request& req) {
  if (!req.payload.has(0, L::request_head::kSize)) {
    note(req, "payload shorter than the 16-byte head");
    return kNotProcessed;
  }
  fields(req, fields::kRequestHead);
  const auto id = static_cast<std::int32_t>(*req.payload.u32(L::request_head::kArg2));
  const MapObject* o = objects_.find(id);
  if (!o) note(req, "no object " + std::to_string(id));
  // The record as the plug-in would draw it: in the plane of the selected system.
  const std::vector<std::uint8_t> body = o ? bodyInSystem(o->kind, o->body, o->placement, cs_) : std::vector<std::uint8_t>();
  ByteWriter w(L::object_found::kHeadSize + body.size());
  w.u16(L::object_found::kMark, L::request_head::kMarkValue);
  if (o) {
    w.u8(L::object_found::kKind, static_cast<std::uint8_t>(o->kind));
    w.u32(L::object_found::kFoundId, static_cast<std::uint32_t>(o->id));
    w.raw(L::object_found::kHeadSize, body);
  }
  answer(req, PluginMessage::ObjectFound, w.take());
  return 0;
}

LRESULT HostApp::onAddObj(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::request_head::kSize)) {
    note(req, "payload shorter than the 16-byte head");
    return kNotProcessed;
  }
  fields(req, fields::kRequestHead);
  const auto kind = recordKindFromWire(*p.u8(L::request_head::kKind));
  if (!kind) {
    note(req, "unknown record kind");
    return kNotProcessed;
  }
  const auto body = *p.slice(L::add_object::kBody, p.size() - L::add_object::kBody);
  std::string why;
  const auto info = readRecordBody(*kind, body, &why);
  if (!info) {
    note(req, why);
    return kNotProcessed;
  }
  field(req, "record.name", info->name);
  if (const auto bad = nonFiniteGeometry(*kind, body)) {
    note(req, *bad);
    return kNotProcessed;
  }
  const std::uint32_t parentWire = *p.u32(L::request_head::kArg1);
  const auto replaceId = static_cast<std::int32_t>(*p.u32(L::request_head::kArg2));
  const std::vector<std::uint8_t> copy(body.begin(), body.end());
  if (replaceId != 0 && objects_.find(replaceId)) {
    const std::optional<std::int32_t> parent =
        parentWire != 0 ? std::optional<std::int32_t>(static_cast<std::int32_t>(parentWire)) : std::nullopt;
    if (!objects_.replace(replaceId, *kind, copy, parent, 0, placeRecord(*kind, copy, cs_))) {
      note(req, "object " + std::to_string(replaceId) + " is of another kind");
      return kNotProcessed;
    }
    note(req, "replaced " + std::to_string(replaceId));
    return replaceId;
  }
  const std::int32_t parent = folderFromWire(parentWire);
  const auto id = objects_.add(*kind, parent, copy, 0, placeRecord(*kind, copy, cs_));
  if (!id) {
    note(req, "no folder " + std::to_string(parentWire));
    return kNotProcessed;
  }
  note(req, "added " + std::to_string(*id));
  return *id;
}

LRESULT HostApp::onDelObj(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::request_head::kSize)) {
    note(req, "payload shorter than the 16-byte head");
    return kNotProcessed;
  }
  fields(req, fields::kRequestHead);
  const std::uint32_t flags = *p.u32(L::request_head::kArg3);
  const std::size_t count = (p.size() - L::delete_objects::kIds) / 4;
  if ((p.size() - L::delete_objects::kIds) % 4 != 0) note(req, "bytes after the last whole id ignored");
  std::size_t removed = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const auto id = static_cast<std::int32_t>(*p.u32(L::delete_objects::kIds + 4 * i));
    field(req, "id[" + std::to_string(i) + "]", std::int64_t{id});
    const std::size_t n = objects_.remove(id, (flags & L::delete_objects::kWithContents) != 0);
    if (n == 0) note(req, "object " + std::to_string(id) + " not removed");
    removed += n;
  }
  return static_cast<LRESULT>(removed);
}

LRESULT HostApp::onSrhObj(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::search_record::kSize)) {
    note(req, "search record shorter than 532 bytes");
    return kNotProcessed;
  }
  fields(req, fields::kSearchRecord);
  const auto kind = recordKindFromWire(*p.u32(L::search_record::kKind));
  const std::int32_t parent = folderFromWire(*p.u32(L::search_record::kParent));
  const std::string name = p.nulTerminated(L::search_record::kName, L::search_record::kNameField);
  const auto found = objects_.findByName(parent, name, kind);
  if (found.empty()) {
    note(req, "nothing found");
    return 0;
  }
  switch (options_.searchAnswer) {
    case SearchAnswerForm::Record: {
      ByteWriter w(L::search_answer::kSize);
      w.raw(0, *p.slice(0, L::search_record::kSize));
      w.u32(L::search_answer::kFoundId, static_cast<std::uint32_t>(found.front()->id));
      answer(req, PluginMessage::SearchAnswer, w.take());
      break;
    }
    case SearchAnswerForm::CandidateList:
      answer(req, PluginMessage::FolderList, objectList(0, objects_.children(parent)));
      break;
  }
  return static_cast<LRESULT>(found.size());
}

void HostApp::appendTreeEntries(std::int32_t id, std::int32_t parentForHeader, std::vector<OutgoingEntry>& out) const {
  const MapObject* o = objects_.find(id);
  if (!o) return;
  OutgoingEntry e;
  e.kind = o->kind;
  e.mapObjectId = o->id;
  e.parentFolderId = static_cast<std::uint32_t>(parentForHeader);
  e.entityKey = o->entityKey;
  if (o->kind != RecordKind::Folder) {
    e.body = bodyInSystem(o->kind, o->body, o->placement, cs_);
    out.push_back(std::move(e));
    return;
  }
  // A folder is followed by its contents; its child count says how many entries are its own.
  const auto kids = objects_.children(id);
  ByteWriter folder(L::folder_record::kSize);
  folder.raw(0, std::span<const std::uint8_t>(o->body).first(std::min(o->body.size(), L::folder_record::kSize)));
  folder.u32(L::folder_record::kChildCount, static_cast<std::uint32_t>(kids.size()));
  e.body = folder.take();
  out.push_back(std::move(e));
  for (const MapObject* k : kids) appendTreeEntries(k->id, id, out);
}

LRESULT HostApp::onGetObjTree(Request& req) {
  if (!req.payload.has(0, L::request_head::kSize)) {
    note(req, "payload shorter than the 16-byte head");
    return kNotProcessed;
  }
  fields(req, fields::kRequestHead);
  if (*req.payload.u8(L::request_head::kFlag) != 3) {
    note(req, "unknown tree flag");
    return kNotProcessed;
  }
  // Each selected object once; one that lies in a selected folder comes with that folder.
  std::vector<OutgoingEntry> entries;
  std::set<std::int32_t> chosen(selection_.begin(), selection_.end());
  std::set<std::int32_t> sent;
  for (const std::int32_t id : selection_) {
    const MapObject* o = objects_.find(id);
    if (!o || !sent.insert(id).second) continue;
    bool inChosenFolder = false;
    for (const MapObject* p = objects_.find(o->parent); p && !inChosenFolder; p = objects_.find(p->parent)) {
      inChosenFolder = chosen.count(p->id) != 0;
    }
    if (!inChosenFolder) appendTreeEntries(id, o->parent, entries);
  }
  note(req, std::to_string(entries.size()) + " entries selected");
  event("sent " + std::to_string(entries.size()) + " selected entries to the plug-in");
  answer(req, PluginMessage::ObjectTree, writeObjectStream(0, entries));
  return 0;
}

LRESULT HostApp::onSetObjTree(Request& req) {
  constexpr std::size_t kRecordedEntries = 1000;
  std::string why;
  const auto stream = readObjectStream(req.payload.bytes(), &why);
  if (!stream) {
    note(req, why);
    return kNotProcessed;
  }
  field(req, "documentFolder", std::uint64_t{stream->documentFolder});
  field(req, "entries", static_cast<std::uint64_t>(stream->entries.size()));
  // Nothing is stored unless every entry can be: positions are checked before any change.
  std::vector<Placement> placements;
  for (std::size_t i = 0; i < stream->entries.size(); ++i) {
    const StreamEntry& e = stream->entries[i];
    if (const auto bad = nonFiniteGeometry(e.kind, e.body)) {
      note(req, "entry " + std::to_string(i) + ": " + *bad);
      return kNotProcessed;
    }
    placements.push_back(placeRecord(e.kind, e.body, cs_));
    if (e.kind != RecordKind::Folder && placements.back().points.empty()) {
      note(req, "entry " + std::to_string(i) + " lies outside " + cs_.name() + ", kept off the map");
    }
  }
  const auto documentFolder = static_cast<std::int32_t>(stream->documentFolder);
  const std::int32_t defaultParent = objects_.isFolder(documentFolder) ? documentFolder : ObjectStore::kRootId;

  std::vector<std::int32_t> assigned(stream->entries.size(), 0);
  std::vector<std::uint8_t> headers;
  std::size_t applied = 0;
  for (std::size_t i = 0; i < stream->entries.size(); ++i) {
    const StreamEntry& e = stream->entries[i];
    // The record shows the first entries field by field; a stream of a whole drawing would
    // otherwise make the record many times the size of the objects themselves.
    const std::string prefix = "entry[" + std::to_string(i) + "].";
    if (i < kRecordedEntries) {
      fields(req, fields::kObjectHeader, e.offset, prefix);
      field(req, prefix + "name", e.info.name);
    } else if (i == kRecordedEntries) {
      note(req, "entries from " + std::to_string(i) + " on are not listed field by field");
    }
    std::int32_t parent = defaultParent;
    if (e.group) {
      parent = assigned[*e.group];
    } else if (e.parentFolderId != 0) {
      if (objects_.isFolder(static_cast<std::int32_t>(e.parentFolderId))) {
        parent = static_cast<std::int32_t>(e.parentFolderId);
      } else {
        note(req, prefix + "parent " + std::to_string(e.parentFolderId) + " unknown, put under " + std::to_string(parent));
      }
    }
    const std::vector<std::uint8_t> body(e.body.begin(), e.body.end());
    std::int32_t id = 0;
    if (e.mapObjectId != 0 && objects_.replace(e.mapObjectId, e.kind, body, parent, e.entityKey, placements[i])) {
      id = e.mapObjectId;
    } else {
      // A new object, or one whose id the host no longer has (deleted in the map): made anew.
      if (e.mapObjectId != 0) note(req, prefix + "object " + std::to_string(e.mapObjectId) + " is gone or of another kind, made anew");
      if (const auto added = objects_.add(e.kind, parent, body, e.entityKey, placements[i])) id = *added;
    }
    assigned[i] = id;
    if (id == 0) continue;
    ++applied;
    const bool groupEntry = e.group.has_value() || e.info.isGroup;
    if (groupEntry && !options_.answerGroupEntries) continue;
    ByteWriter h(L::object_header::kSize);
    h.u32(L::object_header::kKind, static_cast<std::uint32_t>(e.kind));
    h.i32(L::object_header::kMapObjectId, id);
    h.u32(L::object_header::kParentFolder, static_cast<std::uint32_t>(parent));
    h.u64(L::object_header::kEntityKey, e.entityKey);
    headers.insert(headers.end(), h.bytes().begin(), h.bytes().end());
  }
  note(req, std::to_string(applied) + " objects stored");
  if (!headers.empty()) answer(req, PluginMessage::ObjectsAssigned, std::move(headers));
  return static_cast<LRESULT>(applied);
}

}  // namespace host
