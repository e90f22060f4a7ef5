// Strings of DXF files: $DWGCODEPAGE before R2007, UTF-8 from R2007 on, "\U+XXXX" and
// "\M+5XXXX" escapes; and the writer's choice of bytes for each output version.
#include <gtest/gtest.h>

#include "arx/dbents.h"
#include "arx/dbmtext.h"
#include "arx/dbtext.h"
#include "dxf_test_support.h"

namespace {

using dxftest::Groups;
using dxftest::utf8;

// An R2000-style drawing whose strings are the given raw bytes.
std::string drawing(const std::string& version, const std::string& codePage, const std::string& layer,
                    const std::string& text) {
  Groups g{{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, version}};
  if (!codePage.empty()) g.insert(g.end(), {{9, "$DWGCODEPAGE"}, {3, codePage}});
  g.insert(g.end(), {{0, "ENDSEC"}, {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {70, "1"},
                     {0, "LAYER"}, {2, layer}, {70, "0"}, {62, "7"}, {6, "Continuous"}, {0, "ENDTAB"},
                     {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "TEXT"}, {8, layer}, {10, "0"},
                     {20, "0"}, {40, "1"}, {1, text}, {0, "ENDSEC"}, {0, "EOF"}});
  return dxftest::text(g);
}

std::u16string firstText(AcDbDatabase& db) {
  auto t = dxftest::entityAt<AcDbText>(db, 0);
  return *t ? (*t)->textString() : u"";
}

std::u16string firstLayer(AcDbDatabase& db) {
  auto t = dxftest::entityAt<AcDbText>(db, 0);
  return *t ? (*t)->layer() : u"";
}

// GBK bytes of 图层 and 中文 (iconv -f utf-8 -t gbk): CD BC B2 E3, D6 D0 CE C4.
const std::string kGbkLayer = "\xCD\xBC\xB2\xE3";
const std::string kGbkText = "\xD6\xD0\xCE\xC4";

TEST(DxfCodePage, AnR2000FileIsReadInItsDwgCodePage) {
  arxdxf::ReadResult r = arxdxf::readDxf(drawing("AC1015", "ANSI_936", kGbkLayer, kGbkText));
  ASSERT_TRUE(r.database) << r.reason;
  EXPECT_EQ(r.codePage, 936u);
  EXPECT_EQ(firstLayer(*r.database), u"\u56FE\u5C42");
  EXPECT_EQ(firstText(*r.database), u"\u4E2D\u6587");
}

TEST(DxfCodePage, FromR2007OnStringsAreUtf8WhateverTheHeaderSays) {
  // As block-color.dxf: a Chinese AutoCAD writes ANSI_936 into an R2013 file, with UTF-8 text.
  arxdxf::ReadResult r = arxdxf::readDxf(drawing("AC1027", "ANSI_936", "\xE5\x9B\xBE\xE5\xB1\x82", "ok"));
  ASSERT_TRUE(r.database) << r.reason;
  EXPECT_EQ(r.codePage, 65001u);
  EXPECT_EQ(firstLayer(*r.database), u"\u56FE\u5C42");

  arxdxf::ReadResult real = arxdxf::readDxfFile(dxftest::dataDir() / "block-color.dxf");
  ASSERT_TRUE(real.database) << real.reason;
  int chinese = 0;
  for (AcDbObjectId id : dxftest::spaceEntities(*real.database)) {
    dxftest::Open<AcDbMText> m(id);
    if (m && m->contents().find(u"\u56FE\u5C42") != std::u16string::npos) ++chinese;
  }
  EXPECT_EQ(chinese, 4) << "the four MTEXTs name their layer (图层) in Chinese";
}

TEST(DxfCodePage, Cp1252BytesAndUnicodeEscapesOfAnR12File) {
  // ASCII_R12.dxf: layer "\U+039B\U+0391\U+0393\U+0395\U+03A1" + C4 DC D6 (cp1252 ÄÜÖ), and a
  // block text "ABC" C4 DC D6 "\U+03B1\U+03B2\U+03B3".
  arxdxf::ReadResult r = arxdxf::readDxfFile(dxftest::dataDir() / "ASCII_R12.dxf");
  ASSERT_TRUE(r.database) << r.reason;
  EXPECT_EQ(r.acadVersion, "AC1009");
  const std::u16string layer = u"\u039B\u0391\u0393\u0395\u03A1\u00C4\u00DC\u00D6";
  AcDbLayerTable* lt = nullptr;
  ASSERT_EQ(r.database->getLayerTable(lt, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(lt->has(layer.c_str()));
  lt->close();
  dxftest::Open<AcDbLayerTableRecord> current(r.database->clayer());
  ASSERT_TRUE(current);
  EXPECT_EQ(current->getName(), layer) << "$CLAYER names it too";
  AcDbBlockTable* bt = nullptr;
  ASSERT_EQ(r.database->getBlockTable(bt, AcDb::kForRead), Acad::eOk);
  AcDbObjectId block;
  EXPECT_EQ(bt->getAt(u"*U1", block), Acad::eOk);
  bt->close();
  dxftest::Open<AcDbBlockTableRecord> b(block);
  ASSERT_TRUE(b);
  bool found = false;
  for (AcDbObjectId id : b->entityIds()) {
    dxftest::Open<AcDbText> t(id);
    if (t && t->textString() == u"ABC\u00C4\u00DC\u00D6\u03B1\u03B2\u03B3") found = true;
  }
  EXPECT_TRUE(found);
}

TEST(DxfCodePage, MultiByteEscapesAndMissingCodePages) {
  // "\M+5CDBC" is the GBK character CD BC (图).
  arxdxf::ReadResult m = arxdxf::readDxf(drawing("AC1015", "ANSI_1252", "L", "x\\M+5CDBCy"));
  ASSERT_TRUE(m.database) << m.reason;
  EXPECT_EQ(firstText(*m.database), u"x\u56FEy");
  // Without $DWGCODEPAGE the caller's fallback decides; byte E9 is é in 1252.
  arxdxf::ReadResult dflt = arxdxf::readDxf(drawing("AC1015", "", "L", "caf\xE9"));
  ASSERT_TRUE(dflt.database);
  EXPECT_EQ(firstText(*dflt.database), u"caf\u00E9");
  arxdxf::ReadOptions gbk;
  gbk.fallbackCodePage = 936;
  arxdxf::ReadResult chosen = arxdxf::readDxf(drawing("AC1015", "", "L", kGbkText), gbk);
  ASSERT_TRUE(chosen.database);
  EXPECT_EQ(firstText(*chosen.database), u"\u4E2D\u6587");
  // A code page the desktop cannot convert is reported, its bytes read as 1252.
  arxdxf::ReadResult cyr = arxdxf::readDxf(drawing("AC1015", "ANSI_1251", "L", "A"));
  ASSERT_TRUE(cyr.database);
  bool reported = false;
  for (const std::string& w : cyr.warnings) reported = reported || w.find("ANSI_1251") != std::string::npos;
  EXPECT_TRUE(reported);
}

// A new drawing with a Chinese layer and texts that look like escapes.
std::unique_ptr<AcDbDatabase> chineseDrawing(const std::u16string& layerName, const std::u16string& text) {
  auto db = std::make_unique<AcDbDatabase>();
  AcDbLayerTable* lt = nullptr;
  db->getLayerTable(lt, AcDb::kForWrite);
  auto* rec = new AcDbLayerTableRecord;
  rec->setName(layerName.c_str());
  AcDbObjectId layerId;
  lt->add(layerId, rec);
  rec->close();
  lt->close();
  AcDbBlockTableRecord* ms = nullptr;
  acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
  auto* t = new AcDbText(AcGePoint3d(1, 2, 0), text.c_str());
  t->setLayer(layerId);
  ms->appendAcDbEntity(t);
  t->close();
  ms->close();
  return db;
}

TEST(DxfCodePage, TheWriterPicksBytesByVersionAndEscapesWhatTheCodePageLacks) {
  const std::u16string layer = u"\u56FE\u5C42\u00C4";
  const std::u16string text = u"line1\nline2 C:\\U+0041 ^J \\\\U+0042 \U0001F600";
  auto db = chineseDrawing(layer, text);
  struct Out {
    arxdxf::OutputVersion version;
    UINT codePage;
    std::string mustContain;
  };
  const std::vector<Out> outs = {
      {arxdxf::OutputVersion::kR2000, 1252, "\\U+56FE\\U+5C42\xC4"},
      {arxdxf::OutputVersion::kR2000, 936, "\xCD\xBC\xB2\xE3\\U+00C4"},
      {arxdxf::OutputVersion::kR2013, 1252, "\xE5\x9B\xBE\xE5\xB1\x82\xC3\x84"},
  };
  for (const Out& o : outs) {
    arxdxf::WriteOptions options;
    options.version = o.version;
    options.codePage = o.codePage;
    std::string dxf;
    ASSERT_EQ(arxdxf::writeDxf(*db, dxf, options).status, Acad::eOk);
    EXPECT_NE(dxf.find(o.mustContain), std::string::npos) << "code page " << o.codePage;
    EXPECT_EQ(dxf.find("line1\nline2"), std::string::npos) << "a newline never splits a value";
    arxdxf::ReadResult back = arxdxf::readDxf(dxf);
    ASSERT_TRUE(back.database) << back.reason;
    EXPECT_EQ(firstLayer(*back.database), layer);
    EXPECT_EQ(firstText(*back.database), text) << "escapes, look-alikes and a non-BMP character come back";
  }
  arxdxf::WriteOptions bad;
  bad.codePage = 1251;
  std::string dxf;
  EXPECT_EQ(arxdxf::writeDxf(*db, dxf, bad).status, Acad::eInvalidInput);
}

}  // namespace
