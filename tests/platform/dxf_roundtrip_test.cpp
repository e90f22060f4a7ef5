// A drawing made in memory the way the plug-in makes one (a link Xrecord in an entity's
// extension dictionary, layers with true colour and transparency, an image with its
// definition, a draw order), saved as DXF. The written file is checked as a reader other than
// ours would see it: handles unique, every owner and reactor pointer naming an object of the
// file, the hand seed above every handle; and writing changes nothing in the drawing.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "arx/dbapserv.h"
#include "arx/dbdict.h"
#include "arx/dbimage.h"
#include "arx/dbpl.h"
#include "arx/dbreactor.h"
#include "arx/dbsort.h"
#include "arx/dbxrecord.h"
#include "dxf_test_support.h"

namespace {

using dxftest::Open;

class DxfRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    services_.setWorkingDatabase(&db_);
    ASSERT_EQ(acdbLoadLineTypeFile(u"DASHED", u"ACADISO.LIN", &db_), Acad::eOk);
    AcDbLayerTable* lt = nullptr;
    ASSERT_EQ(db_.getLayerTable(lt, AcDb::kForWrite), Acad::eOk);
    auto* roads = new AcDbLayerTableRecord;
    roads->setName(u"Roads");
    AcCmColor orange;
    orange.setRGB(255, 128, 0);
    roads->setColor(orange);
    roads->setTransparency(AcCmTransparency(static_cast<Adesk::UInt8>(127)));
    AcDbLinetypeTable* ltt = nullptr;
    db_.getLinetypeTable(ltt, AcDb::kForRead);
    AcDbObjectId dashed;
    ltt->getAt(u"DASHED", dashed);
    ltt->close();
    roads->setLinetypeObjectId(dashed);
    roads->setIsLocked(true);
    lt->add(roadsId_, roads);
    roads->close();
    lt->close();

    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* pl = new AcDbPolyline;
    pl->addVertexAt(0, AcGePoint2d(0.1, 0.2), 0.0, 0, 0);
    pl->addVertexAt(1, AcGePoint2d(10.3, 0.2), 1.0, 0, 0);
    pl->addVertexAt(2, AcGePoint2d(10.3, 7.7), 0.0, 0, 0);
    pl->setClosed(true);
    pl->setLayer(roadsId_);
    ASSERT_EQ(ms->appendAcDbEntity(plId_, pl), Acad::eOk);
    ASSERT_EQ(pl->createExtensionDictionary(), Acad::eOk);
    AcDbObjectId xdict = pl->extensionDictionary();
    pl->close();
    AcDbDictionary* d = nullptr;
    ASSERT_EQ(acdbOpenObject(d, xdict, AcDb::kForWrite), Acad::eOk);
    auto* x = new AcDbXrecord;
    comment_ = std::u16string(6000, u'\u6587');
    resbuf* chain = acutBuildList(1, u"Rd 12", 1, comment_.c_str(), 1, u"", 1, u"D:\\maps\\a.png", 90, 1234567,
                                  90, -1, 90, 0, 90, 7, 40, 0.1 + 0.2, 40, -2.25, 40, 0.0, 40, 1e300, RTNONE);
    x->setFromRbChain(*chain);
    acutRelRb(chain);
    ASSERT_EQ(d->setAt(u"VurkArx", x, xrecId_), Acad::eOk);
    x->close();
    d->close();

    AcDbObjectId imageDict;
    ASSERT_EQ(AcDbRasterImageDef::createImageDictionary(&db_, imageDict), Acad::eOk);
    AcDbDictionary* id = nullptr;
    ASSERT_EQ(acdbOpenObject(id, imageDict, AcDb::kForWrite), Acad::eOk);
    auto* def = new AcDbRasterImageDef;
    def->setSourceFileName(u"tiles\\0001.png");
    def->setStoredSize(AcGeVector2d(256, 256));
    ASSERT_EQ(id->setAt(u"1234", def, defId_), Acad::eOk);
    def->close();
    id->close();
    auto* img = new AcDbRasterImage;
    img->setImageDefId(defId_);
    img->setOrientation(AcGePoint3d(5, 5, 0), AcGeVector3d(-64, 0, 0), AcGeVector3d(0, 64, 0));
    img->setDisplayOpt(AcDbRasterImage::kTransparent, true);
    ASSERT_EQ(ms->appendAcDbEntity(imageId_, img), Acad::eOk);
    img->close();
    AcDbSortentsTable* sort = nullptr;
    ASSERT_EQ(ms->getSortentsTable(sort, AcDb::kForWrite, true), Acad::eOk);
    AcDbObjectIdArray bottom;
    bottom.append(imageId_);
    ASSERT_EQ(sort->moveToBottom(bottom), Acad::eOk);
    sort->close();
    ms->close();
  }
  void TearDown() override { EXPECT_EQ(db_.numOpenObjects(), 0); }

  std::string save(arxdxf::OutputVersion v) {
    arxdxf::WriteOptions o;
    o.version = v;
    std::string out;
    arxdxf::WriteResult w = arxdxf::writeDxf(db_, out, o);
    EXPECT_EQ(w.status, Acad::eOk) << w.reason;
    return out;
  }

  AcDbHostApplicationServices services_;
  AcDbHostServicesScope scope_{services_};
  AcDbDatabase db_;
  AcDbObjectId roadsId_, plId_, xrecId_, defId_, imageId_;
  std::u16string comment_;
};

// Groups of a written file, scanned as text.
struct Scan {
  std::vector<std::pair<int, std::string>> groups;
  explicit Scan(const std::string& dxf) {
    std::size_t pos = 0;
    while (pos < dxf.size()) {
      std::size_t a = dxf.find('\n', pos);
      std::size_t b = dxf.find('\n', a + 1);
      if (a == std::string::npos || b == std::string::npos) break;
      groups.emplace_back(std::stoi(dxf.substr(pos, a - pos)), dxf.substr(a + 1, b - a - 1));
      pos = b + 1;
    }
  }
};

TEST_F(DxfRoundTrip, TheWrittenFileHasTheStructureAutoCadReads) {
  for (arxdxf::OutputVersion v : {arxdxf::OutputVersion::kR2000, arxdxf::OutputVersion::kR2013}) {
    const std::string dxf = save(v);
    Scan s(dxf);
    std::vector<std::string> sections;
    std::set<unsigned long long> handles;
    std::vector<unsigned long long> pointers;
    std::set<std::string> classes, types, tables;
    unsigned long long seed = 0;
    bool recordHasHandle = false;
    for (std::size_t i = 0; i < s.groups.size(); ++i) {
      const auto& [code, value] = s.groups[i];
      if (code == 0 && value == "SECTION") sections.push_back(s.groups[i + 1].second);
      if (code == 0) recordHasHandle = false;
      if (code == 0 && value == "TABLE") tables.insert(s.groups[i + 1].second);
      if (code == 9 && value == "$HANDSEED") seed = std::stoull(s.groups[i + 1].second, nullptr, 16);
      if (sections.size() == 1) continue;  // the header's $HANDSEED is no handle
      if (code == 0) types.insert(value);
      if (code == 0 && value == "CLASS") classes.insert(s.groups[i + 1].second);
      // A record's handle is its first group 5 (105 for dimension styles).
      const bool handleGroup = (code == 5 || code == 105) && !recordHasHandle;
      if (handleGroup) recordHasHandle = true;
      if (handleGroup) {
        EXPECT_TRUE(handles.insert(std::stoull(value, nullptr, 16)).second) << "handle " << value;
      }
      if (code == 330 || code == 340 || code == 350 || code == 360) pointers.push_back(std::stoull(value, nullptr, 16));
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"}));
    for (unsigned long long p : pointers)
      if (p != 0) {
        EXPECT_TRUE(handles.count(p)) << "pointer to " << std::hex << p << " names nothing";
      }
    ASSERT_FALSE(handles.empty());
    EXPECT_GT(seed, *handles.rbegin()) << "$HANDSEED is above every handle";
    for (const char* t : {"VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD"})
      EXPECT_TRUE(tables.count(t)) << "table " << t << " written";
    for (const char* t : {"VPORT", "LTYPE", "LAYER", "STYLE", "APPID", "DIMSTYLE", "BLOCK_RECORD", "BLOCK", "ENDBLK",
                          "LAYOUT", "IMAGEDEF", "IMAGEDEF_REACTOR", "SORTENTSTABLE", "XRECORD", "LWPOLYLINE", "IMAGE"})
      EXPECT_TRUE(types.count(t)) << t << " written";
    for (const char* c : {"IMAGE", "IMAGEDEF", "IMAGEDEF_REACTOR", "SORTENTSTABLE"})
      EXPECT_TRUE(classes.count(c)) << "CLASS record for " << c;
    // The first object is the named-objects dictionary.
    std::size_t objects = dxf.find("OBJECTS\n");
    ASSERT_NE(objects, std::string::npos);
    EXPECT_EQ(dxf.compare(objects + 8, 14, "  0\nDICTIONARY"), 0);
  }
}

TEST_F(DxfRoundTrip, WritingChangesNothingAndRefusesObjectsOpenForWrite) {
  {
    struct Counting : AcDbDatabaseReactor {
      int events = 0;
      void objectAppended(const AcDbDatabase*, const AcDbObject*) override { ++events; }
      void objectModified(const AcDbDatabase*, const AcDbObject*) override { ++events; }
      void objectErased(const AcDbDatabase*, const AcDbObject*, bool) override { ++events; }
    } reactor;
    db_.addReactor(&reactor);
    const AcDbHandle seed = db_.handseed();
    const std::string a = save(arxdxf::OutputVersion::kR2000);
    const std::string b = save(arxdxf::OutputVersion::kR2000);
    EXPECT_EQ(a, b) << "the same database writes the same bytes";
    EXPECT_EQ(db_.handseed(), seed) << "handles of written-only objects are not taken from the database";
    EXPECT_EQ(reactor.events, 0);
    db_.removeReactor(&reactor);
  }
  AcDbPolyline* pl = nullptr;
  ASSERT_EQ(acdbOpenObject(pl, plId_, AcDb::kForWrite), Acad::eOk);
  std::string out;
  arxdxf::WriteResult w = arxdxf::writeDxf(db_, out);
  EXPECT_EQ(w.status, Acad::eWasOpenForWrite);
  EXPECT_NE(w.reason.find(dxftest::utf8(plId_.handle().ascii())), std::string::npos) << w.reason;
  pl->close();
}

}  // namespace
