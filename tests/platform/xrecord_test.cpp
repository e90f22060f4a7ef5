// Xrecords keep result-buffer chains exactly, hand out copies, and keep long strings whole.
#include <gtest/gtest.h>

#include <string>

#include "arx/dbxrecord.h"
#include "db_test_support.h"

namespace {

using dbtest::DrawingTest;

class Xrecords : public DrawingTest {
 protected:
  AcDbXrecord* newRecord(AcDbObjectId& id) {
    AcDbDictionary* nod = nullptr;
    EXPECT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* x = new AcDbXrecord;
    EXPECT_EQ(nod->setAt(u"VurkArx", x, id), Acad::eOk);
    nod->close();
    return x;
  }
};

TEST_F(Xrecords, LongStringsAreKeptWhole) {
  std::u16string comment(6000, u'\u6587');  // 6000 CJK characters
  std::u16string longer(20000, u'x');
  longer.back() = u'!';
  resbuf* in = acutBuildList(1, comment.c_str(), 1, longer.c_str(), RTNONE);
  AcDbObjectId id;
  AcDbXrecord* x = newRecord(id);
  ASSERT_EQ(x->setFromRbChain(*in), Acad::eOk);
  acutRelRb(in);
  resbuf* out = nullptr;
  ASSERT_EQ(x->rbChain(&out), Acad::eOk);
  x->close();
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(std::u16string(out->resval.rstring), comment);
  ASSERT_NE(out->rbnext, nullptr);
  EXPECT_EQ(std::u16string(out->rbnext->resval.rstring), longer);
  acutRelRb(out);
}

TEST_F(Xrecords, TheChainHandedOutIsACopy) {
  resbuf* in = acutBuildList(1, u"original", RTNONE);
  AcDbObjectId id;
  AcDbXrecord* x = newRecord(id);
  ASSERT_EQ(x->setFromRbChain(*in), Acad::eOk);
  resbuf* first = nullptr;
  ASSERT_EQ(x->rbChain(&first), Acad::eOk);
  EXPECT_NE(first, in);
  EXPECT_NE(first->resval.rstring, in->resval.rstring);
  first->resval.rstring[0] = u'O';
  acutRelRb(in);  // the record does not depend on the caller's chain either
  resbuf* second = nullptr;
  ASSERT_EQ(x->rbChain(&second), Acad::eOk);
  EXPECT_EQ(std::u16string(second->resval.rstring), u"original");
  acutRelRb(first);
  acutRelRb(second);
  x->close();
}

TEST_F(Xrecords, AnUnknownRestypeIsRefusedAndTheRecordKeepsItsData) {
  resbuf* good = acutBuildList(90, 5, RTNONE);
  AcDbObjectId id;
  AcDbXrecord* x = newRecord(id);
  ASSERT_EQ(x->setFromRbChain(*good), Acad::eOk);
  resbuf* bad = acutNewRb(1);
  bad->rbnext = acutNewRb(90);
  bad->rbnext->restype = 9999;
  EXPECT_EQ(x->setFromRbChain(*bad), Acad::eInvalidResBuf);
  bad->rbnext->restype = 90;
  acutRelRb(bad);
  acutRelRb(good);
  resbuf* out = nullptr;
  x->rbChain(&out);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->restype, 90);
  EXPECT_EQ(out->resval.rlong, 5);
  EXPECT_EQ(out->rbnext, nullptr);
  acutRelRb(out);
  x->close();
}

TEST_F(Xrecords, ChangingAResidentRecordNeedsWrite) {
  AcDbObjectId id;
  newRecord(id)->close();
  AcDbXrecord* x = nullptr;
  ASSERT_EQ(acdbOpenObject(x, id, AcDb::kForRead), Acad::eOk);
  resbuf* in = acutBuildList(1, u"a", RTNONE);
#ifdef NDEBUG
  EXPECT_EQ(x->setFromRbChain(*in), Acad::eNotOpenForWrite);
#else
  EXPECT_DEATH(x->setFromRbChain(*in), "not open for write");
#endif
  acutRelRb(in);
  x->close();
}

TEST_F(Xrecords, CloneCopiesTheChain) {
  auto* x = new AcDbXrecord;
  resbuf* in = acutBuildList(1, u"a", 40, 2.0, RTNONE);
  ASSERT_EQ(x->setFromRbChain(*in), Acad::eOk);
  acutRelRb(in);
  AcDbXrecord* copy = AcDbXrecord::cast(x->clone());
  ASSERT_NE(copy, nullptr);
  delete x;
  resbuf* out = nullptr;
  copy->rbChain(&out);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(std::u16string(out->resval.rstring), u"a");
  EXPECT_DOUBLE_EQ(out->rbnext->resval.rreal, 2.0);
  acutRelRb(out);
  delete copy;
}

}  // namespace
