#include "exchange/link_record.h"

#include <array>
#include <cstdlib>
#include <limits>

#include "arx/dbdatabase.h"
#include "arx/dbdict.h"
#include "arx/dbimage.h"
#include "arx/dbmtext.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "arx/dbxrecord.h"
#include "exchange/entity_encoder.h"
#include "exchange/opened_object.h"
#include "win32/unicode.h"

namespace vurk {

namespace {

constexpr short kText = 1;
constexpr short kInt32 = 90;
constexpr short kReal = 40;
constexpr std::array<short, 12> kItemCodes{kText,  kText,  kText,  kText,  kInt32, kInt32,
                                           kInt32, kInt32, kReal, kReal, kReal, kReal};

// Owns a chain until it is handed on.
struct ChainOwner {
  resbuf* head = nullptr;
  ~ChainOwner() {
    if (head) acutRelRb(head);
  }
  resbuf* release() {
    resbuf* h = head;
    head = nullptr;
    return h;
  }
};

class ChainBuilder {
 public:
  void text(const std::u16string& s) {
    resbuf* rb = append(kText);
    if (rb) rb->resval.rstring = DupString(s);
  }
  void int32(std::int32_t v) {
    if (resbuf* rb = append(kInt32)) rb->resval.rlong = v;
  }
  void real(double v) {
    if (resbuf* rb = append(kReal)) rb->resval.rreal = v;
  }
  resbuf* take() { return failed_ ? nullptr : owner_.release(); }

 private:
  static ACHAR* DupString(const std::u16string& s) {
    auto* copy = static_cast<ACHAR*>(std::malloc((s.size() + 1) * sizeof(ACHAR)));
    if (!copy) return nullptr;
    std::copy(s.begin(), s.end(), copy);
    copy[s.size()] = 0;
    return copy;
  }
  resbuf* append(short code) {
    resbuf* rb = acutNewRb(code);
    if (!rb) {
      failed_ = true;
      return nullptr;
    }
    if (tail_)
      tail_->rbnext = rb;
    else
      owner_.head = rb;
    tail_ = rb;
    return rb;
  }
  ChainOwner owner_;
  resbuf* tail_ = nullptr;
  bool failed_ = false;
};

// "%u" of the id: a negative id is written as its 32-bit unsigned value.
std::u16string IdText(std::int32_t id) {
  return win32::utf8ToUtf16(std::to_string(static_cast<std::uint32_t>(id)));
}

// The id of item 1: a decimal (optional leading blanks and sign, digits up to the first other
// character) kept in 32 bits. Text that is no number, or whose value lies outside what a 32-bit
// id written as signed or unsigned decimal can be, is no link (0).
std::int32_t IdFromText(const ACHAR* text) {
  if (!text) return 0;
  const ACHAR* p = text;
  while (*p == u' ' || *p == u'\t') ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
  std::uint64_t value = 0;
  bool digits = false;
  for (; *p >= u'0' && *p <= u'9'; ++p) {
    digits = true;
    value = value * 10 + static_cast<std::uint64_t>(*p - u'0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return 0;
  }
  if (!digits) return 0;
  if (negative) {
    if (value > 0x80000000ull) return 0;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::u16string TextOf(const resbuf* rb, std::size_t limit) {
  return rb->resval.rstring ? CutText(rb->resval.rstring, limit) : std::u16string();
}

// The object's "VurkArx" record, opened for read (the caller closes it), or null.
AcDbXrecord* OpenRecordForRead(const AcDbObject& object) {
  const AcDbObjectId dictId = object.extensionDictionary();
  if (dictId.isNull()) return nullptr;
  OpenedObject<AcDbDictionary> dict(dictId, AcDb::kForRead);
  if (!dict) return nullptr;
  AcDbObject* entry = nullptr;
  if (dict->getAt(kLinkRecordKey, entry, AcDb::kForRead) != Acad::eOk || !entry) return nullptr;
  if (auto* record = AcDbXrecord::cast(entry)) return record;
  entry->close();
  return nullptr;
}

Acad::ErrorStatus RegisterApplication(AcDbDatabase* db) {
  if (!db) return Acad::eNoDatabase;
  AcDbRegAppTable* table = nullptr;
  Acad::ErrorStatus es = db->getRegAppTable(table, AcDb::kForRead);
  if (es != Acad::eOk) return es;
  if (table->has(kLinkRecordKey)) {
    table->close();
    return Acad::eOk;
  }
  es = table->upgradeOpen();
  if (es == Acad::eOk) {
    auto* app = new AcDbRegAppTableRecord;
    app->setName(kLinkRecordKey);
    es = table->add(app);
    if (es == Acad::eOk)
      app->close();
    else
      delete app;
  }
  table->close();
  return es;
}

Acad::ErrorStatus StoreChain(AcDbObject& object, resbuf* chain) {
  ChainOwner owned{chain};
  if (!chain) return Acad::eOutOfMemory;
  if (!object.isWriteEnabled()) return Acad::eNotOpenForWrite;
  Acad::ErrorStatus es = RegisterApplication(object.database());
  if (es != Acad::eOk) return es;
  if (object.extensionDictionary().isNull()) {
    es = object.createExtensionDictionary();
    if (es != Acad::eOk) return es;
  }
  OpenedObject<AcDbDictionary> dict(object.extensionDictionary(), AcDb::kForWrite);
  if (!dict) return dict.status() != Acad::eOk ? dict.status() : Acad::eWrongObjectType;
  AcDbObject* entry = nullptr;
  if (dict->getAt(kLinkRecordKey, entry, AcDb::kForWrite) == Acad::eOk && entry) {
    auto* record = AcDbXrecord::cast(entry);
    // Something else under the link's key is replaced by the record.
    es = record ? record->setFromRbChain(*chain) : Acad::eWrongObjectType;
    entry->close();
    if (record) return es;
  }
  auto* record = new AcDbXrecord;
  es = record->setFromRbChain(*chain);
  if (es != Acad::eOk) {
    delete record;
    return es;
  }
  AcDbObjectId recordId;
  es = dict->setAt(kLinkRecordKey, record, recordId);
  if (es != Acad::eOk) {
    delete record;
    return es;
  }
  record->close();
  return Acad::eOk;
}

}  // namespace

std::u16string CutText(const std::u16string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t n = limit;
  if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return text.substr(0, n);
}

LinkReadScope ReadScopeOf(const AcDbObject& object) {
  if (object.isKindOf(AcDbText::desc()) || object.isKindOf(AcDbMText::desc())) return LinkReadScope::Label;
  if (object.isKindOf(AcDbRasterImage::desc())) return LinkReadScope::Image;
  return LinkReadScope::Plain;
}

resbuf* LinkChain(const EntityLink& link) {
  ChainBuilder b;
  b.text(IdText(link.mapObjectId));
  b.text(link.name);
  b.text(CutText(link.comment, kStoredCommentLimit));
  b.text(u"");
  b.int32(link.isMember ? 1 : 0);
  b.int32(static_cast<std::int32_t>(static_cast<std::uint32_t>(link.companionHandle)));
  b.int32(static_cast<std::int32_t>(link.iconId));
  b.int32(0);
  const bool placed = link.iconId >= 1;
  b.real(placed ? link.savedPosition.x : 0.0);
  b.real(placed ? link.savedPosition.y : 0.0);
  b.real(0.0);
  b.real(0.0);
  return b.take();
}

resbuf* LayerLinkChain(std::int32_t folderId, const std::u16string& layerName) {
  ChainBuilder b;
  b.text(IdText(folderId));
  b.text(layerName);
  b.text(u"");
  b.text(u"");
  for (int i = 0; i < 4; ++i) b.int32(0);
  for (int i = 0; i < 4; ++i) b.real(0.0);
  return b.take();
}

EntityLink LinkFromChain(const resbuf* chain, LinkReadScope scope, std::uint64_t entityKey) {
  std::array<const resbuf*, kItemCodes.size()> items{};
  const resbuf* rb = chain;
  for (std::size_t i = 0; i < items.size(); ++i, rb = rb->rbnext) {
    if (!rb || rb->restype != kItemCodes[i]) return FreshLink(entityKey);
    items[i] = rb;
  }
  EntityLink link = FreshLink(entityKey);
  link.mapObjectId = IdFromText(items[0]->resval.rstring);
  link.name = TextOf(items[1], kStoredNameLimit);
  link.comment = TextOf(items[2], kStoredCommentLimit);
  const std::int64_t member = items[4]->resval.rlong;
  link.isMember = (member < 0 ? -member : member) % 10 == 1 ? 1 : 0;
  if (scope == LinkReadScope::Plain) return link;
  link.companionHandle = static_cast<std::uint32_t>(items[5]->resval.rlong);
  link.iconId = static_cast<std::uint32_t>(items[6]->resval.rlong);
  if (scope == LinkReadScope::Label) link.savedPosition = AcGePoint3d(items[8]->resval.rreal, items[9]->resval.rreal, 0.0);
  return link;
}

EntityLink readLinkRecord(const AcDbObject& object) {
  const std::uint64_t key = object.objectHandle().value();
  AcDbXrecord* record = OpenRecordForRead(object);
  if (!record) return FreshLink(key);
  resbuf* chain = nullptr;
  const Acad::ErrorStatus es = record->rbChain(&chain);
  record->close();
  ChainOwner owned{chain};
  if (es != Acad::eOk) return FreshLink(key);
  return LinkFromChain(chain, ReadScopeOf(object), key);
}

EntityLink readLinkById(AcDbObjectId id) {
  if (id.isNull()) return FreshLink();
  OpenedObject<AcDbObject> object(id, AcDb::kForRead);
  if (!object) return FreshLink();
  return readLinkRecord(*object.get());
}

Acad::ErrorStatus writeLink(AcDbObject& object, const EntityLink& link) {
  if (!object.isWriteEnabled()) return Acad::eNotOpenForWrite;
  if (link.nameEdited && !link.name.empty()) {
    if (auto* text = AcDbText::cast(&object)) {
      const Acad::ErrorStatus es = text->setTextString(link.name.c_str());
      if (es != Acad::eOk) return es;
    } else if (auto* mtext = AcDbMText::cast(&object)) {
      const Acad::ErrorStatus es = mtext->setContents(link.name.c_str());
      if (es != Acad::eOk) return es;
    }
  }
  return StoreChain(object, LinkChain(link));
}

Acad::ErrorStatus writeLayerLink(AcDbDatabase* db, const std::u16string& layerName, std::int32_t folderId) {
  if (!db) return Acad::eNoDatabase;
  if (layerName.empty()) return Acad::eInvalidInput;
  AcDbLayerTable* table = nullptr;
  Acad::ErrorStatus es = db->getLayerTable(table, AcDb::kForRead);
  if (es != Acad::eOk) return es;
  AcDbObjectId layerId;
  if (table->getAt(layerName.c_str(), layerId) != Acad::eOk) {
    es = table->upgradeOpen();
    if (es == Acad::eOk) {
      auto* layer = new AcDbLayerTableRecord;
      es = layer->setName(layerName.c_str());
      if (es == Acad::eOk) es = table->add(layerId, layer);
      if (es == Acad::eOk)
        layer->close();
      else
        delete layer;
    }
  }
  table->close();
  if (es != Acad::eOk) return es;
  OpenedObject<AcDbLayerTableRecord> layer(layerId, AcDb::kForWrite);
  if (!layer) return layer.status();
  return StoreChain(*layer.get(), LayerLinkChain(folderId, layerName));
}

}  // namespace vurk
