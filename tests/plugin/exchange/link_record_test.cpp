// The link's Xrecord "VurkArx": what is written (item by item, from the layout, never from the
// writer), what is read back, and what a record from elsewhere cannot do to the reader.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "arx/dbents.h"
#include "arx/dbimage.h"
#include "arx/dbmtext.h"
#include "arx/dbtext.h"
#include "arx/dbxrecord.h"
#include "exchange/link_record.h"
#include "platform/db_test_support.h"

namespace {

using vurk::EntityLink;

// One expected item: its group code and its value.
struct Item {
  short code;
  std::variant<std::u16string, std::int32_t, double> value;
};

class LinkRecordTest : public dbtest::DrawingTest {
 protected:
  AcDbObjectId addText(const char16_t* text) {
    auto* t = new AcDbText(AcGePoint3d(1, 2, 0), text, AcDbObjectId::kNull, 2.5, 0);
    return append(t);
  }

  // The items of the object's "VurkArx" record as stored.
  std::vector<Item> storedItems(AcDbObjectId id) {
    std::vector<Item> items;
    AcDbObject* o = nullptr;
    EXPECT_EQ(acdbOpenObject(o, id, AcDb::kForRead), Acad::eOk);
    const AcDbObjectId dictId = o->extensionDictionary();
    o->close();
    EXPECT_FALSE(dictId.isNull());
    AcDbDictionary* dict = nullptr;
    if (acdbOpenObject(dict, dictId, AcDb::kForRead) != Acad::eOk) return items;
    AcDbObject* entry = nullptr;
    EXPECT_EQ(dict->getAt(u"VurkArx", entry, AcDb::kForRead), Acad::eOk);
    dict->close();
    auto* record = AcDbXrecord::cast(entry);
    EXPECT_NE(record, nullptr);
    if (!record) {
      if (entry) entry->close();
      return items;
    }
    resbuf* chain = nullptr;
    record->rbChain(&chain);
    record->close();
    for (resbuf* rb = chain; rb; rb = rb->rbnext) {
      if (rb->restype == 1) items.push_back({1, std::u16string(rb->resval.rstring)});
      if (rb->restype == 90) items.push_back({90, rb->resval.rlong});
      if (rb->restype == 40) items.push_back({40, rb->resval.rreal});
    }
    acutRelRb(chain);
    return items;
  }

  // Stores a chain built by hand as the object's record.
  void storeChain(AcDbObjectId id, resbuf* chain) {
    AcDbObject* o = nullptr;
    ASSERT_EQ(acdbOpenObject(o, id, AcDb::kForWrite), Acad::eOk);
    if (o->extensionDictionary().isNull()) {
      ASSERT_EQ(o->createExtensionDictionary(), Acad::eOk);
    }
    AcDbDictionary* dict = nullptr;
    ASSERT_EQ(acdbOpenObject(dict, o->extensionDictionary(), AcDb::kForWrite), Acad::eOk);
    auto* record = new AcDbXrecord;
    ASSERT_EQ(record->setFromRbChain(*chain), Acad::eOk);
    AcDbObjectId recordId;
    ASSERT_EQ(dict->setAt(u"VurkArx", record, recordId), Acad::eOk);
    record->close();
    dict->close();
    o->close();
    acutRelRb(chain);
  }

  Acad::ErrorStatus write(AcDbObjectId id, const EntityLink& link) {
    AcDbObject* o = nullptr;
    EXPECT_EQ(acdbOpenObject(o, id, AcDb::kForWrite), Acad::eOk);
    const Acad::ErrorStatus es = vurk::writeLink(*o, link);
    o->close();
    return es;
  }

  EntityLink read(AcDbObjectId id) { return vurk::readLinkById(id); }

  std::u16string textOf(AcDbObjectId id) {
    AcDbText* t = nullptr;
    EXPECT_EQ(acdbOpenObject(t, id, AcDb::kForRead), Acad::eOk);
    std::u16string s = t->textString();
    t->close();
    return s;
  }
};

void ExpectItems(const std::vector<Item>& actual, const std::vector<Item>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual[i].code, expected[i].code) << "item " << i + 1;
    EXPECT_EQ(actual[i].value, expected[i].value) << "item " << i + 1;
  }
}

TEST_F(LinkRecordTest, ALabelLinkIsWrittenAsTwelveItemsInTheirOrder) {
  const AcDbObjectId id = addText(u"井盖");
  EntityLink link;
  link.mapObjectId = 4711;
  link.name = u"井盖";
  link.comment = u"材质：铸铁";
  link.companionHandle = 0x1000000ABull;  // only its low 32 bits are kept
  link.iconId = 12;
  link.savedPosition = AcGePoint3d(10.5, -3.25, 7);
  link.stored = 0;
  link.parentFolderId = 99;  // not stored
  ASSERT_EQ(write(id, link), Acad::eOk);
  ExpectItems(storedItems(id), {{1, u"4711"},
                                {1, u"井盖"},
                                {1, u"材质：铸铁"},
                                {1, u""},
                                {90, 0},
                                {90, 0xAB},
                                {90, 12},
                                {90, 0},
                                {40, 10.5},
                                {40, -3.25},
                                {40, 0.0},
                                {40, 0.0}});
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db_.getRegAppTable(apps, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(apps->has(u"VurkArx")) << "writing a link registers the application";
  apps->close();
  EXPECT_EQ(textOf(id), u"井盖");
}

TEST_F(LinkRecordTest, NegativeIdsAreUnsignedTextAndPositionsNeedAnIcon) {
  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0));
  const AcDbObjectId id = append(line);
  EntityLink link;
  link.mapObjectId = -150;
  link.isMember = 1;
  link.savedPosition = AcGePoint3d(3, 4, 0);  // no icon: not stored
  ASSERT_EQ(write(id, link), Acad::eOk);
  ExpectItems(storedItems(id), {{1, u"4294967146"},
                                {1, u""},
                                {1, u""},
                                {1, u""},
                                {90, 1},
                                {90, 0},
                                {90, 0},
                                {90, 0},
                                {40, 0.0},
                                {40, 0.0},
                                {40, 0.0},
                                {40, 0.0}});
  const EntityLink back = read(id);
  EXPECT_EQ(back.mapObjectId, -150);
  EXPECT_EQ(back.isMember, 1);
}

TEST_F(LinkRecordTest, TheCommentIsCutTo6000CharactersWithoutSplittingAPair) {
  const AcDbObjectId id = addText(u"t");
  EntityLink link;
  link.mapObjectId = 1;
  link.comment = std::u16string(6001, u'备');
  ASSERT_EQ(write(id, link), Acad::eOk);
  EXPECT_EQ(std::get<std::u16string>(storedItems(id)[2].value), std::u16string(6000, u'备'));

  // A surrogate pair at units 6000 and 6001 would be cut in half: the whole pair goes.
  link.comment = std::u16string(5999, u'a') + u"\U0001F600" + u"b";
  ASSERT_EQ(write(id, link), Acad::eOk);
  EXPECT_EQ(std::get<std::u16string>(storedItems(id)[2].value), std::u16string(5999, u'a'));
  // A second write replaces the record; the dictionary keeps one entry.
  EXPECT_EQ(storedItems(id).size(), 12u);
}

TEST_F(LinkRecordTest, ALayerLinkHoldsTheFolderAndTheNameAndZerosAfterThem) {
  ASSERT_EQ(vurk::writeLayerLink(&db_, u"道路", 88), Acad::eOk);
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db_.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
  AcDbObjectId layerId;
  EXPECT_EQ(layers->getAt(u"道路", layerId), Acad::eOk) << "the missing layer was created";
  layers->close();
  ExpectItems(storedItems(layerId), {{1, u"88"},
                                     {1, u"道路"},
                                     {1, u""},
                                     {1, u""},
                                     {90, 0},
                                     {90, 0},
                                     {90, 0},
                                     {90, 0},
                                     {40, 0.0},
                                     {40, 0.0},
                                     {40, 0.0},
                                     {40, 0.0}});
  // An existing layer keeps its id and gets its record replaced.
  ASSERT_EQ(vurk::writeLayerLink(&db_, u"道路", 90), Acad::eOk);
  EXPECT_EQ(std::get<std::u16string>(storedItems(layerId)[0].value), u"90");
  EXPECT_EQ(vurk::writeLayerLink(&db_, u"", 90), Acad::eInvalidInput);
}

TEST_F(LinkRecordTest, ReadingTakesTheItemsTheEntityClassUses) {
  const AcDbObjectId text = addText(u"t");
  const AcDbObjectId line = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  for (AcDbObjectId id : {text, line}) {
    storeChain(id, acutBuildList(1, u"305", 1, u"名称", 1, u"备注", 1, u"", 90, 21, 90, 0x2F, 90, 7, 90, 0, 40, 12.5,
                                 40, -8.0, 40, 0.0, 40, 0.0, RTNONE));
  }
  const EntityLink label = read(text);
  EXPECT_EQ(label.mapObjectId, 305);
  EXPECT_EQ(label.name, u"名称");
  EXPECT_EQ(label.comment, u"备注");
  EXPECT_EQ(label.isMember, 1) << "member code 21 ends in 1";
  EXPECT_EQ(label.companionHandle, 0x2Fu);
  EXPECT_EQ(label.iconId, 7u);
  EXPECT_EQ(label.savedPosition, AcGePoint3d(12.5, -8.0, 0));
  EXPECT_EQ(label.stored, 0) << "the cache decides what stored means";
  EXPECT_EQ(label.labelFixed, 1);

  const EntityLink plain = read(line);
  EXPECT_EQ(plain.mapObjectId, 305);
  EXPECT_EQ(plain.isMember, 1);
  EXPECT_EQ(plain.companionHandle, 0u) << "a line reads items 1 to 5 only";
  EXPECT_EQ(plain.iconId, 0u);
  EXPECT_EQ(plain.savedPosition, AcGePoint3d(0, 0, 0));

  const resbuf* none = nullptr;
  EXPECT_EQ(vurk::LinkFromChain(none, vurk::LinkReadScope::Label, 5).entityKey, 5u);

  // An image reads the companion and the icon, not the position.
  resbuf* chain = acutBuildList(1, u"9", 1, u"", 1, u"", 1, u"", 90, 12, 90, 0x31, 90, 4, 90, 0, 40, 1.0, 40, 2.0,
                                40, 0.0, 40, 0.0, RTNONE);
  const EntityLink image = vurk::LinkFromChain(chain, vurk::LinkReadScope::Image, 77);
  acutRelRb(chain);
  EXPECT_EQ(image.entityKey, 77u);
  EXPECT_EQ(image.isMember, 0) << "member code 12 ends in 2";
  EXPECT_EQ(image.companionHandle, 0x31u);
  EXPECT_EQ(image.iconId, 4u);
  EXPECT_EQ(image.savedPosition, AcGePoint3d(0, 0, 0));
}

TEST_F(LinkRecordTest, ARecordFromElsewhereGivesAFreshLinkAndNoCrash) {
  const AcDbObjectId id = addText(u"t");
  AcDbObject* o = nullptr;
  ASSERT_EQ(acdbOpenObject(o, id, AcDb::kForRead), Acad::eOk);
  const std::uint64_t handle = o->objectHandle().value();
  o->close();
  const auto expectFresh = [&](const char* what) {
    const EntityLink link = read(id);
    EXPECT_EQ(link.mapObjectId, 0) << what;
    EXPECT_EQ(link.entityKey, handle) << what;
    EXPECT_TRUE(link.name.empty()) << what;
    EXPECT_EQ(link.labelFixed, 1) << what;
  };
  expectFresh("no record at all");
  storeChain(id, acutBuildList(1, u"12", 1, u"名称", RTNONE));
  expectFresh("two items");
  storeChain(id, acutBuildList(1, u"12", 1, u"a", 1, u"b", 1, u"", 1, u"1", 90, 0, 90, 0, 90, 0, 40, 0.0, 40, 0.0,
                               40, 0.0, 40, 0.0, RTNONE));
  expectFresh("item 5 is a string");
  storeChain(id, acutBuildList(90, 12, 1, u"a", 1, u"b", 1, u"", 90, 1, 90, 0, 90, 0, 90, 0, 40, 0.0, 40, 0.0, 40,
                               0.0, 40, 0.0, RTNONE));
  expectFresh("item 1 is a number");
  storeChain(id, acutBuildList(1, u"12", 1, u"a", 1, u"b", 1, u"", 90, 1, 90, 0, 90, 0, 90, 0, 40, 0.0, 40, 0.0, 40,
                               0.0, RTNONE));
  expectFresh("eleven items");

  // Extra items after the twelfth are ignored.
  storeChain(id, acutBuildList(1, u"12", 1, u"a", 1, u"b", 1, u"", 90, 1, 90, 0, 90, 0, 90, 0, 40, 0.0, 40, 0.0, 40,
                               0.0, 40, 0.0, 1, u"more", 70, 3, RTNONE));
  EXPECT_EQ(read(id).mapObjectId, 12);
  EXPECT_EQ(read(id).name, u"a");

  // The id text: not a number, beyond 32 bits, or beyond 64 bits is no link; the 32-bit
  // unsigned form of a negative id is that id; digits stop at the first other character.
  const std::vector<std::pair<std::u16string, std::int32_t>> ids{
      {u"abc", 0},          {u"", 0},         {u"4294967296", 0}, {u"99999999999999999999999", 0},
      {u"4294967295", -1},  {u"-150", -150},  {u" 42x", 42},     {u"2147483648", INT32_MIN}};
  for (const auto& [text, expected] : ids) {
    storeChain(id, acutBuildList(1, text.c_str(), 1, u"", 1, u"", 1, u"", 90, 0, 90, 0, 90, 0, 90, 0, 40, 0.0, 40,
                                 0.0, 40, 0.0, 40, 0.0, RTNONE));
    EXPECT_EQ(read(id).mapObjectId, expected) << win32::utf16ToUtf8(text);
  }

  // Texts longer than the plug-in writes are cut: the name to 1000, the comment to 6000.
  const std::u16string longName(5000, u'名');
  const std::u16string longComment(20000, u'注');
  storeChain(id, acutBuildList(1, u"3", 1, longName.c_str(), 1, longComment.c_str(), 1, u"", 90, 0, 90, 0, 90, 0, 90,
                               0, 40, 0.0, 40, 0.0, 40, 0.0, 40, 0.0, RTNONE));
  const EntityLink cut = read(id);
  EXPECT_EQ(cut.name, std::u16string(1000, u'名'));
  EXPECT_EQ(cut.comment, std::u16string(6000, u'注'));

  // Something that is no Xrecord under the key.
  AcDbObject* owner = nullptr;
  ASSERT_EQ(acdbOpenObject(owner, id, AcDb::kForRead), Acad::eOk);
  AcDbDictionary* dict = nullptr;
  ASSERT_EQ(acdbOpenObject(dict, owner->extensionDictionary(), AcDb::kForWrite), Acad::eOk);
  owner->close();
  AcDbObjectId inner;
  auto* notARecord = new AcDbDictionary;
  ASSERT_EQ(dict->setAt(u"VurkArx", notARecord, inner), Acad::eOk);
  notARecord->close();
  dict->close();
  expectFresh("a dictionary under the key");
  EntityLink link;
  link.mapObjectId = 8;
  EXPECT_EQ(write(id, link), Acad::eOk) << "writing replaces what was there";
  EXPECT_EQ(read(id).mapObjectId, 8);
}

TEST_F(LinkRecordTest, WritingChangesTheTextOnlyForANameEditedInTheDialog) {
  const std::u16string sixty(60, u'测');
  const AcDbObjectId id = addText(sixty.c_str());
  EntityLink link;
  link.mapObjectId = 5;
  link.name = std::u16string(32, u'测');  // the cut record name a send could leave
  ASSERT_EQ(write(id, link), Acad::eOk);
  EXPECT_EQ(textOf(id), sixty);
  link.name = u"新名称";
  link.nameEdited = 1;
  ASSERT_EQ(write(id, link), Acad::eOk);
  EXPECT_EQ(textOf(id), u"新名称");

  auto* m = new AcDbMText;
  m->setContents(u"{\\fSimSun;粗体}说明");
  const AcDbObjectId mid = append(m);
  link.nameEdited = 0;
  ASSERT_EQ(write(mid, link), Acad::eOk);
  AcDbMText* mt = nullptr;
  ASSERT_EQ(acdbOpenObject(mt, mid, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(mt->contents(), u"{\\fSimSun;粗体}说明") << "the formatting stays";
  mt->close();
}

TEST_F(LinkRecordTest, WritingNeedsTheObjectOpenForWrite) {
  const AcDbObjectId id = addText(u"t");
  AcDbObject* o = nullptr;
  ASSERT_EQ(acdbOpenObject(o, id, AcDb::kForRead), Acad::eOk);
  EntityLink link;
  link.mapObjectId = 3;
  EXPECT_EQ(vurk::writeLink(*o, link), Acad::eNotOpenForWrite);
  EXPECT_TRUE(o->extensionDictionary().isNull()) << "nothing was created";
  o->close();
}

}  // namespace
