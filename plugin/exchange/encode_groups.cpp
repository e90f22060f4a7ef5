// Groups (block references, regions, zombie and proxy entities) as a folder entry followed by
// the records of their exploded parts.
#include <memory>

#include "arx/acutads.h"
#include "arx/dbblkref.h"
#include "arx/dbregion.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "exchange/encoder_parts.h"
#include "exchange/opened_object.h"
#include "hostlink/reply_decoders.h"

namespace vurk::encoding {

namespace {

constexpr std::int64_t kReservedFolderEntry = object_header_layout::kSize + folder_layout::kSize;

// Restores a block reference's scale on every path out of the retry.
class ScaleRestore {
 public:
  ScaleRestore(AcDbBlockReference& ref) : ref_(ref), scale_(ref.scaleFactors()) {}
  ~ScaleRestore() { ref_.setScaleFactors(scale_); }
  ScaleRestore(const ScaleRestore&) = delete;
  ScaleRestore& operator=(const ScaleRestore&) = delete;

 private:
  AcDbBlockReference& ref_;
  AcGeScale3d scale_;
};

void DeleteParts(AcDbVoidPtrArray& parts) {
  for (int i = 0; i < parts.length(); ++i) delete static_cast<AcDbEntity*>(parts[i]);
  parts.setLogicalLength(0);
}

// Explodes the reference. A reference whose contents cannot take its non-uniform scale is
// exploded at scale 1 and each part is then given the removed scaling about the insertion
// point (circles and arcs become ellipses); a part that cannot take it is left out. The
// reference keeps its scale.
Acad::ErrorStatus ExplodeBlock(AcDbBlockReference& ref, AcDbVoidPtrArray& parts) {
  Acad::ErrorStatus es = ref.explode(parts);
  if (es != Acad::eCannotScaleNonUniformly) return es;
  DeleteParts(parts);
  const AcGeMatrix3d scaled = ref.blockTransform();
  {
    ScaleRestore restore(ref);
    es = ref.setScaleFactors(AcGeScale3d(1, 1, 1));
    if (es != Acad::eOk) return es;
    const AcGeMatrix3d unit = ref.blockTransform();
    es = ref.explode(parts);
    if (es != Acad::eOk) return es;
    const AcGeMatrix3d removed = scaled * unit.inverse();
    AcDbVoidPtrArray transformed;
    for (int i = 0; i < parts.length(); ++i) {
      auto* part = static_cast<AcDbEntity*>(parts[i]);
      AcDbEntity* copy = nullptr;
      if (part->getTransformedCopy(removed, copy) == Acad::eOk && copy) transformed.append(copy);
    }
    DeleteParts(parts);
    parts = transformed;
  }
  return Acad::eOk;
}

bool IsGroupClass(const AcDbEntity& e) {
  return e.isKindOf(AcDbBlockReference::desc()) || e.isKindOf(AcDbRegion::desc());
}

void EncodePart(AcDbEntity& part, EncodeSession& s, EntityLink link) {
  link.parentFolderId = 0;
  const bool produced = encodeEntity(part, s, link, true);
  if (produced && !IsGroupClass(part)) ++s.childCounter;
}

// The parts of the group, each encoded inside the group.
void EncodeParts(AcDbEntity& e, EncodeSession& s) {
  AcDbVoidPtrArray parts;
  auto* ref = AcDbBlockReference::cast(&e);
  const Acad::ErrorStatus es = ref ? ExplodeBlock(*ref, parts) : e.explode(parts);
  if (es != Acad::eOk) {
    DeleteParts(parts);
    acutPrintf(AcDbRegion::cast(&e) ? u"炸开面域失败\n" : u"炸开块失败\n");
    return;
  }
  for (int i = 0; i < parts.length(); ++i) {
    auto* part = static_cast<AcDbEntity*>(parts[i]);
    if (ref && part->isKindOf(AcDbAttributeDefinition::desc())) continue;
    EncodePart(*part, s, FreshLink());
  }
  DeleteParts(parts);
  if (!ref) return;
  std::unique_ptr<AcDbObjectIterator> it(ref->attributeIterator());
  for (it->start(); !it->done(); it->step()) {
    if (AcDbEntity* attribute = it->entity()) EncodePart(*attribute, s, s.links.linkOf(*attribute));
  }
}

std::u16string BlockName(const AcDbBlockReference& ref) {
  OpenedObject<AcDbBlockTableRecord> block(ref.blockTableRecord(), AcDb::kForRead);
  return block ? block->getName() : std::u16string();
}

}  // namespace

bool EncodeGroup(AcDbEntity& e, EncodeSession& s, EntityLink& link, bool insideGroup) {
  if (insideGroup) {
    // A nested group has no folder of its own: its parts count into the top-level folder.
    EncodeParts(e, s);
    return true;
  }
  if (link.mapObjectId != 0) s.groupIdsToDelete.push_back(static_cast<std::uint32_t>(link.mapObjectId));
  const std::int32_t reserved = s.stream.used();
  if (!appendToStream(s.stream, nullptr, kReservedFolderEntry, true)) {
    Skip(s, "the stream refused the group's folder");
    return false;
  }
  FolderRecord folder = createFolderRecord();
  if (const auto* ref = AcDbBlockReference::cast(&e)) folder.name = FolderName(BlockName(*ref));
  const std::uint32_t outerCounter = s.childCounter;
  s.childCounter = 0;
  EncodeParts(e, s);
  folder.childCount = s.childCounter;
  folder.isGroup = 1;
  s.childCounter = outerCounter;
  if (link.name.empty()) link.name = HostText(folder.name);
  const auto body = serialiseRecord(folder);
  auto entry = ObjectHeaderBytes(static_cast<std::uint32_t>(body->size()), RecordKind::Folder, link.mapObjectId,
                                 link.parentFolderId, link.entityKey);
  entry.insert(entry.end(), body->begin(), body->end());
  s.stream.overwrite(reserved, entry);
  s.lastOutcome = {EncodeOutcome::Encoded, {}};
  return true;
}

}  // namespace vurk::encoding
