// Files that are cut short or broken: a status and a one-line reason naming the line, never a
// crash, an overread or a half-filled database (run these under the sanitizers).
#include <gtest/gtest.h>

#include <random>

#include "dxf_test_support.h"

namespace {

using dxftest::Groups;

// A small drawing with every section and the complex records (polyline, insert with
// attributes, hatch, Xrecord).
std::string smallDrawing() {
  return dxftest::text({
      {0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1252"},
      {9, "$HANDSEED"}, {5, "FF"}, {0, "ENDSEC"},
      {0, "SECTION"}, {2, "TABLES"},
      {0, "TABLE"}, {2, "LAYER"}, {5, "2"}, {330, "0"}, {100, "AcDbSymbolTable"}, {70, "1"},
      {0, "LAYER"}, {5, "10"}, {330, "2"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbLayerTableRecord"},
      {2, "Roads"}, {70, "0"}, {62, "3"}, {6, "Continuous"},
      {0, "ENDTAB"}, {0, "ENDSEC"},
      {0, "SECTION"}, {2, "BLOCKS"},
      {0, "BLOCK"}, {5, "20"}, {8, "0"}, {2, "B"}, {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"},
      {0, "CIRCLE"}, {5, "21"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1"},
      {0, "ENDBLK"}, {5, "22"}, {8, "0"},
      {0, "ENDSEC"},
      {0, "SECTION"}, {2, "ENTITIES"},
      {0, "POLYLINE"}, {5, "30"}, {8, "Roads"}, {66, "1"}, {70, "0"},
      {0, "VERTEX"}, {5, "31"}, {8, "Roads"}, {10, "0"}, {20, "0"}, {42, "0.5"},
      {0, "VERTEX"}, {5, "32"}, {8, "Roads"}, {10, "3"}, {20, "4"},
      {0, "SEQEND"}, {5, "33"}, {8, "Roads"},
      {0, "INSERT"}, {5, "34"}, {8, "0"}, {66, "1"}, {2, "B"}, {10, "5"}, {20, "5"},
      {0, "ATTRIB"}, {5, "35"}, {8, "0"}, {10, "5"}, {20, "5"}, {40, "1"}, {1, "v"}, {2, "T"}, {70, "0"},
      {0, "SEQEND"}, {5, "36"}, {8, "0"},
      {0, "HATCH"}, {5, "37"}, {8, "0"}, {100, "AcDbHatch"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, "SOLID"},
      {70, "1"}, {71, "0"}, {91, "1"}, {92, "2"}, {72, "0"}, {73, "1"}, {93, "3"}, {10, "0"}, {20, "0"},
      {10, "1"}, {20, "0"}, {10, "0"}, {20, "1"}, {97, "0"}, {75, "0"}, {76, "1"}, {98, "0"},
      {0, "LINE"}, {5, "38"}, {102, "{ACAD_XDICTIONARY"}, {360, "41"}, {102, "}"}, {8, "0"}, {10, "0"},
      {20, "0"}, {11, "1"}, {21, "1"},
      {0, "ENDSEC"},
      {0, "SECTION"}, {2, "OBJECTS"},
      {0, "DICTIONARY"}, {5, "40"}, {330, "0"}, {100, "AcDbDictionary"},
      {0, "DICTIONARY"}, {5, "41"}, {330, "38"}, {100, "AcDbDictionary"}, {3, "VurkArx"}, {360, "42"},
      {0, "XRECORD"}, {5, "42"}, {330, "41"}, {100, "AcDbXrecord"}, {280, "1"}, {1, "link"}, {90, "7"},
      {40, "2.5"},
      {0, "ENDSEC"}, {0, "EOF"}});
}

TEST(DxfMalformed, TheWholeSmallDrawingReads) {
  auto db = dxftest::readOk(smallDrawing());
  ASSERT_TRUE(db);
  EXPECT_EQ(dxftest::classCounts(*db), (std::map<std::string, long>{{"AcDb2dPolyline", 1},
                                                                     {"AcDbBlockReference", 1},
                                                                     {"AcDbHatch", 1},
                                                                     {"AcDbLine", 1}}));
}

TEST(DxfMalformed, EveryProperPrefixFailsWithAReasonAndNoDatabase) {
  const std::string full = smallDrawing();
  // The file is complete once the value "EOF" is read; every shorter prefix is truncated.
  const std::size_t complete = full.rfind("EOF") + 3;
  for (std::size_t n = 0; n < complete; ++n) {
    arxdxf::ReadResult r = arxdxf::readDxf(std::string_view(full).substr(0, n));
    EXPECT_NE(r.status, Acad::eOk) << "prefix of " << n << " bytes";
    EXPECT_FALSE(r.database) << "prefix of " << n << " bytes";
    EXPECT_FALSE(r.reason.empty()) << "prefix of " << n << " bytes";
    EXPECT_EQ(r.reason.find('\n'), std::string::npos) << "the reason is one line";
  }
  EXPECT_EQ(arxdxf::readDxf(std::string_view(full).substr(0, complete)).status, Acad::eOk);
}

TEST(DxfMalformed, BadValuesNameTheirLine) {
  struct Case {
    Groups groups;
    std::string inReason;
  };
  const std::vector<Case> cases = {
      {{{0, "LINE"}, {10, "1.5x"}}, "line 8: group 10: '1.5x' is not a number"},
      {{{0, "LINE"}, {10, "nan"}}, "line 8: group 10: 'nan' is not finite"},
      {{{0, "LINE"}, {10, "1e999"}}, "line 8: group 10"},
      {{{0, "LWPOLYLINE"}, {90, "three"}}, "line 8: group 90: 'three' is not an integer"},
      {{{0, "LINE"}, {5, "XYZ"}}, "line 8: group 5: 'XYZ' is not a handle"},
      // The second vertex's extended data is bad after the first vertex was read.
      {{{0, "POLYLINE"}, {66, "1"}, {0, "VERTEX"}, {10, "0"}, {20, "0"}, {0, "VERTEX"}, {10, "1"}, {20, "1"},
        {1001, "APP"}, {1040, "x"}, {0, "SEQEND"}},
       "line 24: group 1040: 'x' is not a number"},
  };
  for (const Case& c : cases) {
    arxdxf::ReadResult r = arxdxf::readDxf(dxftest::entitiesFile(c.groups));
    EXPECT_EQ(r.status, Acad::eBadDxfFile) << c.inReason;
    EXPECT_NE(r.reason.find(c.inReason), std::string::npos) << r.reason;
    EXPECT_FALSE(r.database);
  }
  arxdxf::ReadResult code = arxdxf::readDxf("0\nSECTION\n2\nENTITIES\nten\nLINE\n");
  EXPECT_EQ(code.status, Acad::eBadDxfFile);
  EXPECT_NE(code.reason.find("line 5: group code expected"), std::string::npos) << code.reason;
}

TEST(DxfMalformed, StructureOutOfOrderIsRefused) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "empty"},
      {"0\nSECTION\n2\nENTITIES\n0\nLINE\n0\nEOF\n", "not closed by ENDSEC"},
      {dxftest::text({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "A"},
                      {0, "ENDSEC"}, {0, "EOF"}}),
       "not closed by ENDTAB"},
      {dxftest::text({{0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {2, "A"}, {0, "LINE"}, {0, "ENDSEC"},
                      {0, "EOF"}}),
       "not closed by ENDBLK"},
      {dxftest::text({{0, "SECTION"}, {2, "ENTITIES"}, {0, "ENDSEC"}}), "without \"0 EOF\""},
  };
  for (const auto& [dxf, why] : cases) {
    arxdxf::ReadResult r = arxdxf::readDxf(dxf);
    EXPECT_EQ(r.status, Acad::eBadDxfFile) << why;
    EXPECT_NE(r.reason.find(why), std::string::npos) << r.reason;
  }
  EXPECT_EQ(arxdxf::readDxf(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)).status, Acad::eUnknownDxfFileFormat);
  EXPECT_EQ(arxdxf::readDxf("hello world\nthis is text\n").status, Acad::eUnknownDxfFileFormat);
  EXPECT_EQ(arxdxf::readDxfFile("/no/such/drawing.dxf").status, Acad::eFileNotFound);
}

TEST(DxfMalformed, CountsThatDoNotFitTheRecordKeepTheEntityAsAProxy) {
  // A hatch claiming a billion loops (and a spline edge claiming a billion knots) must not
  // allocate for them: the record is kept as a proxy and reported.
  std::vector<std::string> warnings;
  auto db = dxftest::readOk(
      dxftest::entitiesFile({{0, "HATCH"}, {100, "AcDbHatch"}, {2, "SOLID"}, {70, "1"}, {91, "1000000000"},
                             {0, "HATCH"}, {100, "AcDbHatch"}, {2, "SOLID"}, {70, "1"}, {91, "1"}, {92, "0"},
                             {93, "1"}, {72, "4"}, {94, "3"}, {73, "0"}, {74, "0"}, {95, "1000000000"},
                             {96, "4"}, {40, "0"}}),
      &warnings);
  ASSERT_TRUE(db);
  EXPECT_EQ(dxftest::classCounts(*db), (std::map<std::string, long>{{"AcDbProxyEntity", 2}}));
  int reported = 0;
  for (const std::string& w : warnings) reported += w.find("does not fit the record") != std::string::npos;
  EXPECT_EQ(reported, 2);
}

TEST(DxfMalformed, DuplicateHandlesAndDanglingReferencesAreReported) {
  std::vector<std::string> warnings;
  auto db = dxftest::readOk(dxftest::entitiesFile({{0, "LINE"}, {5, "AB"}, {10, "0"}, {20, "0"}, {11, "1"},
                                                   {21, "0"}, {0, "LINE"}, {5, "AB"}, {10, "0"}, {20, "0"},
                                                   {11, "2"}, {21, "0"}, {0, "INSERT"}, {2, "MISSING"},
                                                   {10, "0"}, {20, "0"}}),
                            &warnings);
  ASSERT_TRUE(db);
  EXPECT_EQ(dxftest::classCounts(*db), (std::map<std::string, long>{{"AcDbBlockReference", 1}, {"AcDbLine", 2}}));
  std::string all;
  for (const std::string& w : warnings) all += w + "\n";
  EXPECT_NE(all.find("handle AB is used twice"), std::string::npos) << all;
  EXPECT_NE(all.find("block \"MISSING\" is not defined"), std::string::npos) << all;
}

TEST(DxfMalformed, RandomlyDamagedFilesNeverCrash) {
  // Deterministic damage: bytes replaced, dropped or duplicated. Whatever the status, a
  // database handed out is complete (nothing left open) and reading never overruns.
  const std::string full = smallDrawing();
  std::mt19937 rng(20260101);
  const std::string alphabet = "0123456789-.eE \n\rABCXYZ{}\\^+";
  int failures = 0, successes = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string s = full;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits; ++k) {
      std::size_t pos = rng() % s.size();
      switch (rng() % 3) {
        case 0: s[pos] = alphabet[rng() % alphabet.size()]; break;
        case 1: s.erase(pos, 1 + rng() % 8); break;
        case 2: s.insert(pos, s.substr(pos, 1 + rng() % 16)); break;
      }
    }
    arxdxf::ReadResult r = arxdxf::readDxf(s);
    if (r.status == Acad::eOk) {
      ASSERT_TRUE(r.database);
      EXPECT_EQ(r.database->numOpenObjects(), 0);
      ++successes;
    } else {
      EXPECT_FALSE(r.database);
      EXPECT_FALSE(r.reason.empty());
      ++failures;
    }
  }
  EXPECT_GT(failures, 0);
  EXPECT_GT(successes, 0);
}

}  // namespace
