// Dictionaries: keys, replacement, removal, iteration, and extension dictionaries.
#include <gtest/gtest.h>

#include "arx/dbxrecord.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class DbDictionary : public DrawingTest {
 protected:
  AcDbObjectId put(const char16_t* key) {
    AcDbDictionary* nod = nullptr;
    EXPECT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* x = new AcDbXrecord;
    AcDbObjectId id;
    EXPECT_EQ(nod->setAt(key, x, id), Acad::eOk);
    x->close();
    nod->close();
    return id;
  }
};

TEST_F(DbDictionary, KeysIgnoreCaseAndAMissIsKeyNotFound) {
  AcDbObjectId id = put(u"VurkArx_Links");
  AcDbDictionary* nod = nullptr;
  ASSERT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForRead), Acad::eOk);
  AcDbObjectId found;
  EXPECT_EQ(nod->getAt(u"VURKARX_LINKS", found), Acad::eOk);
  EXPECT_EQ(found, id);
  EXPECT_TRUE(nod->has(u"vurkarx_links"));
  EXPECT_TRUE(nod->has(id));
  EXPECT_EQ(nod->getAt(u"Missing", found), Acad::eKeyNotFound);
  EXPECT_TRUE(found.isNull());
  nod->close();

  AcDbXrecord* x = nullptr;
  ASSERT_EQ(acdbOpenObject(x, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(x->ownerId(), db_.namedObjectsDictionaryId());
  x->close();
}

TEST_F(DbDictionary, SetAtReplacesAnEntryAndErasesTheOldObject) {
  AcDbObjectId first = put(u"K");
  AcDbObjectId second = put(u"k");
  EXPECT_NE(first, second);
  EXPECT_TRUE(first.isErased());
  AcDbDictionary* nod = nullptr;
  ASSERT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForRead), Acad::eOk);
  AcDbObjectId found;
  EXPECT_EQ(nod->getAt(u"K", found), Acad::eOk);
  EXPECT_EQ(found, second);
  EXPECT_EQ(nod->numEntries(), 1u);
  nod->close();
}

TEST_F(DbDictionary, RemoveDropsTheEntryButKeepsTheObject) {
  AcDbObjectId id = put(u"Def");
  AcDbDictionary* nod = nullptr;
  ASSERT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForRead), Acad::eOk);
  AcDbObjectId removed;
  EXPECT_EQ(nod->remove(u"Def", removed), Acad::eNotOpenForWrite);
  ASSERT_EQ(nod->upgradeOpen(), Acad::eOk);
  EXPECT_EQ(nod->remove(u"DEF", removed), Acad::eOk);
  EXPECT_EQ(removed, id);
  EXPECT_EQ(nod->remove(u"Def"), Acad::eKeyNotFound);
  EXPECT_FALSE(nod->has(u"Def"));
  nod->close();

  AcDbXrecord* x = nullptr;
  ASSERT_EQ(acdbOpenObject(x, id, AcDb::kForWrite), Acad::eOk) << "not erased by remove";
  EXPECT_TRUE(x->ownerId().isNull());
  x->erase();
  x->close();
}

TEST_F(DbDictionary, SetAtNeedsWriteAndAKey) {
  AcDbDictionary* nod = nullptr;
  ASSERT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForRead), Acad::eOk);
  auto* x = new AcDbXrecord;
  AcDbObjectId id;
  EXPECT_EQ(nod->setAt(u"K", x, id), Acad::eNotOpenForWrite);
  ASSERT_EQ(nod->upgradeOpen(), Acad::eOk);
  EXPECT_EQ(nod->setAt(u"", x, id), Acad::eInvalidKey);
  EXPECT_FALSE(x->isDatabaseResident());
  nod->close();
  delete x;
}

TEST_F(DbDictionary, ErasedEntriesAreNotFound) {
  AcDbObjectId id = put(u"Gone");
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  obj->erase();
  obj->close();
  AcDbDictionary* nod = nullptr;
  ASSERT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForRead), Acad::eOk);
  EXPECT_FALSE(nod->has(u"Gone"));
  AcDbDictionaryIterator* it = nod->newIterator();
  EXPECT_TRUE(it->done());
  delete it;
  nod->close();
}

TEST_F(DbDictionary, ExtensionDictionaryNeedsAResidentObjectOpenForWrite) {
  auto* loose = new AcDbXrecord;
  EXPECT_EQ(loose->createExtensionDictionary(), Acad::eNotInDatabase);
  delete loose;

  AcDbObjectId id = put(u"Owner");
  AcDbXrecord* x = nullptr;
  ASSERT_EQ(acdbOpenObject(x, id, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(x->extensionDictionary().isNull());
  EXPECT_EQ(x->createExtensionDictionary(), Acad::eNotOpenForWrite);
  ASSERT_EQ(x->upgradeOpen(), Acad::eOk);
  ASSERT_EQ(x->createExtensionDictionary(), Acad::eOk);
  EXPECT_EQ(x->createExtensionDictionary(), Acad::eAlreadyInDb);
  AcDbObjectId extId = x->extensionDictionary();
  x->close();

  AcDbDictionary* ext = nullptr;
  ASSERT_EQ(acdbOpenObject(ext, extId, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(ext->ownerId(), id);
  auto* link = new AcDbXrecord;
  AcDbObjectId linkId;
  ASSERT_EQ(ext->setAt(u"VurkArx", link, linkId), Acad::eOk);
  link->close();
  ext->close();

  ASSERT_EQ(acdbOpenObject(x, id, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(x->releaseExtensionDictionary(), Acad::eNotApplicable) << "it still holds an entry";
  x->close();
}

}  // namespace
