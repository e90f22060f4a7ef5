// Map object records against bytes written by hand from the layout tables: each kind is
// serialised to exactly these bytes, read back from them (also from an odd address), and every
// proper prefix of them is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "exchange/map_record.h"
#include "plugin/hostlink/recording_host.h"

namespace {

using vurktest::Golden;
using vurktest::ToHex;

// A point mark "P1": north 2.5, east 10, altitude 7, icon 4, red (COLORREF 0x0000FF), source
// kind 1, rotation 90, font size 35 at level 17, attachment 5, label flag, text "ab".
std::vector<std::uint8_t> markGolden() {
  return Golden(422, {{0, "50 31"},
                      {112, "00 00 00 00 00 00 04 40"},  // north 2.5
                      {120, "00 00 00 00 00 00 24 40"},  // east 10.0
                      {128, "02"},
                      {132, "07 00 00 00"},
                      {144, "04 00 00 00"},
                      {148, "ff 00 00 00"},
                      {153, "01"},
                      {260, "01"},
                      {262, "1e"},                       // transparency 30
                      {265, "11"},
                      {268, "23 00 00 00"},
                      {272, "00 ff 00 00"},              // green text
                      {280, "00 00 b4 42"},              // 90.0f
                      {376, "01"},
                      {377, "05"},
                      {416, "02 00 00 00"},
                      {420, "61 62"}});
}

vurk::MarkRecord markRecord() {
  vurk::MarkRecord m;
  m.name = "P1";
  m.text = "ab";
  m.north = 2.5;
  m.east = 10.0;
  m.altitude = 7;
  m.iconId = 4;
  m.colour = 0x0000FF;
  m.sourceKind = 1;
  m.labelFixed = 1;
  m.transparency = 30;
  m.labelLevel = 17;
  m.fontSize = 35;
  m.textColour = 0x00FF00;
  m.rotation = 90.0f;
  m.isLabel = 1;
  m.attachment = 5;
  return m;
}

// A line with text "abc" (vertices at 208), two vertices: (N 1, E 2, alt 5, bulge 0.5) and
// (N -1, E 0), colour 0x123456, width 250, opacity 80, source kind 5, style 3, closed.
std::vector<std::uint8_t> lineGolden() {
  return Golden(208 + 96, {{120, "02 00 00 00"},
                           {124, "02"},
                           {144, "56 34 12 00"},
                           {148, "fa 00 00 00"},
                           {152, "50"},
                           {153, "05"},
                           {154, "03"},
                           {156, "01"},
                           {200, "03 00 00 00"},
                           {204, "61 62 63"},
                           {208, "00 00 00 00 00 00 f0 3f"},  // north 1
                           {216, "00 00 00 00 00 00 00 40"},  // east 2
                           {228, "05 00 00 00"},
                           {232, "00 00 00 00 00 00 e0 3f"},  // bulge 0.5
                           {256, "00 00 00 00 00 00 f0 bf"}}); // north -1
}

vurk::LineRecord lineRecord() {
  auto l = vurk::createLineRecord(2);
  l.text = "abc";
  l.vertices[0] = {1.0, 2.0, 5, 0.5};
  l.vertices[1] = {-1.0, 0.0, 0, 0.0};
  l.colour = 0x123456;
  l.lineWidth = 250;
  l.opacity = 80;
  l.sourceKind = 5;
  l.lineStyle = 3;
  l.closed = 1;
  return l;
}

// An area "A" of one vertex (N 3, E 4), a pattern fill: angles 0/360, opacities 40/60, one
// outer ring, line colour 0xAA, fill 0xBB, fill type 3, flag 1, pattern 77, second colour
// 0x01000010, angle 45, scale 2.5, origin (1, -2); no text (vertices at 208).
std::vector<std::uint8_t> areaGolden() {
  return Golden(208 + 48, {{0, "41"},
                           {120, "01 00 00 00"},
                           {124, "02"},
                           {136, "00 00 00 00 00 80 76 40"},  // 360.0
                           {144, "01 28 3c"},
                           {150, "01 00"},
                           {152, "aa 00 00 00"},
                           {156, "bb 00 00 00"},
                           {160, "03 00 00 00"},
                           {164, "01 00 00 00"},
                           {168, "4d 00 00 00"},
                           {172, "10 00 00 01"},
                           {176, "00 00 34 42"},              // 45.0f
                           {180, "00 00 20 40"},              // 2.5f
                           {184, "00 00 00 00 00 00 f0 3f"},
                           {192, "00 00 00 00 00 00 00 c0"},
                           {208, "00 00 00 00 00 00 08 40"},  // north 3
                           {216, "00 00 00 00 00 00 10 40"}}); // east 4
}

vurk::AreaRecord areaRecord() {
  auto a = vurk::createAreaRecord(1);
  a.name = "A";
  a.vertices[0] = {3.0, 4.0, 0, 0.0};
  a.startAngle = 0;
  a.endAngle = 360;
  a.lineOpacity = 40;
  a.fillOpacity = 60;
  a.outerRingCount = 1;
  a.lineColour = 0xAA;
  a.fillColour = 0xBB;
  a.fillType = 3;
  a.shapeOrPatternFlag = 1;
  a.patternId = 77;
  a.secondColour = 0x01000010;
  a.angle = 45.0f;
  a.scaledSize = 2.5f;
  a.originX = 1.0;
  a.originY = -2.0;
  return a;
}

std::vector<std::uint8_t> folderGolden() {
  return Golden(176, {{0, "e5 9b be e5 b1 82 30"},  // "图层0"
                      {100, "03 00 00 00"},
                      {111, "01"},
                      {115, "01"}});
}

// A multi-part line "M" with text "x" (parts at 488), colour 0xC0FFEE, two parts of 1 and 2
// vertices: (N 1, E 2); (N 3, E 4), (N 5, E 6).
std::vector<std::uint8_t> multiPartGolden() {
  constexpr std::size_t kParts = 488;
  constexpr std::size_t kVertices = kParts + 2 * 1432;
  return Golden(kVertices + 3 * 16, {{0, "4d"},
                                     {120, "02 00 00 00"},
                                     {428, "ee ff c0 00"},
                                     {480, "01 00 00 00"},
                                     {484, "78"},
                                     {kParts + 1416, "01 00 00 00"},
                                     {kParts + 1432 + 1416, "02 00 00 00"},
                                     {kVertices, "00 00 00 00 00 00 f0 3f 00 00 00 00 00 00 00 40"},
                                     {kVertices + 16, "00 00 00 00 00 00 08 40 00 00 00 00 00 00 10 40"},
                                     {kVertices + 32, "00 00 00 00 00 00 14 40 00 00 00 00 00 00 18 40"}});
}

void expectEveryPrefixRefused(const std::vector<std::uint8_t>& golden, std::uint32_t kind) {
  for (std::size_t n = 0; n < golden.size(); ++n) {
    EXPECT_FALSE(vurk::readRecord(std::span(golden.data(), n), kind)) << "kind " << kind << ", prefix of " << n;
  }
}

// The record read from golden placed at offset 1 of a larger buffer (no alignment assumed).
std::optional<vurk::MapRecord> readMisaligned(const std::vector<std::uint8_t>& golden, std::uint32_t kind) {
  std::vector<std::uint8_t> shifted(golden.size() + 8, 0xEE);
  std::copy(golden.begin(), golden.end(), shifted.begin() + 1);
  return vurk::readRecord(std::span(shifted.data() + 1, golden.size()), kind);
}

TEST(MarkRecord, SerialisesToTheLayoutBytesAndReadsBack) {
  const auto body = vurk::serialiseRecord(markRecord());
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, markGolden()) << ToHex(*body);
  const auto read = readMisaligned(markGolden(), 7);
  ASSERT_TRUE(read);
  const auto& m = std::get<vurk::MarkRecord>(*read);
  EXPECT_EQ(m.name, "P1");
  EXPECT_EQ(m.text, "ab");
  EXPECT_EQ(m.north, 2.5);
  EXPECT_EQ(m.east, 10.0);
  EXPECT_EQ(m.altitude, 7);
  EXPECT_EQ(m.iconId, 4u);
  EXPECT_EQ(m.colour, 0xFFu);
  EXPECT_EQ(m.fontSize, 35);
  EXPECT_EQ(m.labelLevel, 17);
  EXPECT_EQ(m.rotation, 90.0f);
  EXPECT_EQ(m.attachment, 5);
  EXPECT_EQ(m.transparency, 30);
  expectEveryPrefixRefused(markGolden(), 7);
}

TEST(MarkRecord, BodyOneByteLongerThanItsTextIsRefused) {
  auto body = markGolden();
  body.push_back(0);
  EXPECT_FALSE(vurk::readRecord(body, 7)) << "the length must be exactly 420 + textLength";
}

TEST(MarkRecord, TextLengthThatWouldWrapIsRefused) {
  auto body = Golden(420 + 16, {{416, "f0 ff ff ff"}});
  EXPECT_FALSE(vurk::readRecord(body, 7));
}

TEST(LineRecord, SerialisesToTheLayoutBytesAndReadsBack) {
  const auto body = vurk::serialiseRecord(lineRecord());
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, lineGolden()) << ToHex(*body);
  const auto read = readMisaligned(lineGolden(), 8);
  ASSERT_TRUE(read);
  const auto& l = std::get<vurk::LineRecord>(*read);
  EXPECT_EQ(l.text, "abc");
  ASSERT_EQ(l.vertices.size(), 2u);
  EXPECT_EQ(l.vertices[0].north, 1.0);
  EXPECT_EQ(l.vertices[0].east, 2.0);
  EXPECT_EQ(l.vertices[0].altitude, 5);
  EXPECT_EQ(l.vertices[0].bulge, 0.5);
  EXPECT_EQ(l.vertices[1].north, -1.0);
  EXPECT_EQ(l.colour, 0x123456u);
  EXPECT_EQ(l.lineWidth, 250u);
  EXPECT_EQ(l.opacity, 80);
  EXPECT_EQ(l.sourceKind, 5);
  EXPECT_EQ(l.lineStyle, 3);
  EXPECT_EQ(l.closed, 1);
  expectEveryPrefixRefused(lineGolden(), 8);
}

TEST(LineRecord, VerticesStartAt208ForTextsOfThreeFourAndZeroBytes) {
  for (const char* text : {"abc", "abcd", ""}) {
    auto l = vurk::createLineRecord(1);
    l.text = text;
    l.vertices[0].north = 1.0;
    const auto body = vurk::serialiseRecord(l);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->size(), 208u + 48u) << "text \"" << text << "\"";
    EXPECT_EQ((*body)[208 + 6], 0xf0) << "north 1.0 begins at 208 for text \"" << text << "\"";
    EXPECT_EQ((*body)[208 + 7], 0x3f);
  }
}

TEST(LineRecord, CreatedWithTheDefaultStyle) {
  const auto body = vurk::serialiseRecord(vurk::createLineRecord(0));
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, Golden(208, {{124, "02"}, {144, "00 00 ff 00"}, {148, "03 00 00 00"}, {152, "32"}}))
      << "colour 0xFF0000, width 3, opacity 50";
}

TEST(AreaRecord, SerialisesToTheLayoutBytesAndReadsBack) {
  const auto body = vurk::serialiseRecord(areaRecord());
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, areaGolden()) << ToHex(*body);
  const auto read = readMisaligned(areaGolden(), 13);
  ASSERT_TRUE(read);
  const auto& a = std::get<vurk::AreaRecord>(*read);
  EXPECT_EQ(a.name, "A");
  EXPECT_EQ(a.endAngle, 360.0);
  EXPECT_EQ(a.lineOpacity, 40);
  EXPECT_EQ(a.fillOpacity, 60);
  EXPECT_EQ(a.outerRingCount, 1);
  EXPECT_EQ(a.patternId, 77u);
  EXPECT_EQ(a.secondColour, 0x01000010u);
  EXPECT_EQ(a.scaledSize, 2.5f);
  EXPECT_EQ(a.originY, -2.0);
  ASSERT_EQ(a.vertices.size(), 1u);
  EXPECT_EQ(a.vertices[0].east, 4.0);
  expectEveryPrefixRefused(areaGolden(), 13);
}

TEST(AreaRecord, CreatedWithTheDefaultStyle) {
  const auto body = vurk::serialiseRecord(vurk::createAreaRecord(0));
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, Golden(208, {{124, "02"}, {144, "01 32 32"}, {152, "00 00 ff 00"}, {156, "00 00 ff 00"}}));
}

TEST(FolderRecord, SerialisesToTheLayoutBytesAndReadsBack) {
  vurk::FolderRecord f = vurk::createFolderRecord();
  f.name = vurk::FolderName(u"图层0");
  f.childCount = 3;
  f.isGroup = 1;
  const auto body = vurk::serialiseRecord(f);
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, folderGolden()) << ToHex(*body);
  const auto read = readMisaligned(folderGolden(), 30);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::get<vurk::FolderRecord>(*read).name, "图层0");
  EXPECT_EQ(std::get<vurk::FolderRecord>(*read).childCount, 3u);
  expectEveryPrefixRefused(folderGolden(), 30);
}

TEST(FolderRecord, BodiesOf175And177BytesAreRefused) {
  EXPECT_FALSE(vurk::readRecord(std::vector<std::uint8_t>(175, 0), 30));
  EXPECT_FALSE(vurk::readRecord(std::vector<std::uint8_t>(177, 0), 30));
  EXPECT_TRUE(vurk::readRecord(std::vector<std::uint8_t>(176, 0), 30));
}

TEST(FolderRecord, NameOfHundredBytesWithoutNulStaysInItsField) {
  auto body = Golden(176, {{100, "07 00 00 00"}});
  std::fill_n(body.begin(), 100, 'A');
  const auto read = vurk::readRecord(body, 30);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::get<vurk::FolderRecord>(*read).name, std::string(100, 'A'))
      << "the child count behind the name must not become part of it";
}

TEST(MultiPartRecord, ReadsPartsAndVerticesAndSerialisesBack) {
  const auto read = readMisaligned(multiPartGolden(), 11);
  ASSERT_TRUE(read);
  const auto& m = std::get<vurk::MultiPartRecord>(*read);
  EXPECT_EQ(m.name, "M");
  EXPECT_EQ(m.text, "x");
  EXPECT_EQ(m.colour, 0xC0FFEEu);
  ASSERT_EQ(m.parts.size(), 2u);
  ASSERT_EQ(m.parts[0].vertices.size(), 1u);
  ASSERT_EQ(m.parts[1].vertices.size(), 2u);
  EXPECT_EQ(m.parts[0].vertices[0].north, 1.0);
  EXPECT_EQ(m.parts[0].vertices[0].east, 2.0);
  EXPECT_EQ(m.parts[1].vertices[1].north, 5.0);
  EXPECT_EQ(m.parts[1].vertices[1].east, 6.0);
  const auto body = vurk::serialiseRecord(*read);
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, multiPartGolden());
  expectEveryPrefixRefused(multiPartGolden(), 11);
}

TEST(MultiPartRecord, GarbageInEveryPointerSlotAndATruncatedSecondPartGiveNothing) {
  auto body = multiPartGolden();
  for (std::size_t at : {std::size_t{104}, std::size_t{112}, std::size_t{488 + 1424}, std::size_t{488 + 1432 + 1424}}) {
    std::fill_n(body.begin() + static_cast<std::ptrdiff_t>(at), 8, 0xDB);
  }
  EXPECT_TRUE(vurk::readRecord(body, 11)) << "the slots themselves are never read";
  body.resize(body.size() - 16);  // the second part's last vertex is missing
  EXPECT_FALSE(vurk::readRecord(body, 11));
}

TEST(RecordReader, HostileCountsGiveNoRecord) {
  // a. 0x05555556 points: 48 x n wraps to 32 in 32 bits, a 240-byte body would pass.
  EXPECT_FALSE(vurk::readRecord(Golden(240, {{120, "56 55 55 05"}}), 8));
  // b. textLength 0xFFFFFFF0: 204 + t wraps.
  EXPECT_FALSE(vurk::readRecord(Golden(208, {{200, "f0 ff ff ff"}}), 13));
  // c. a negative point count.
  EXPECT_FALSE(vurk::readRecord(Golden(208, {{120, "ff ff ff ff"}}), 8));
  // d. a part claiming 1,000,000 vertices in a 2 KiB body; parts that wrap 1432 x n.
  EXPECT_FALSE(vurk::readRecord(Golden(2048, {{120, "01 00 00 00"}, {488 + 1416, "40 42 0f 00"}}), 11));
  EXPECT_FALSE(vurk::readRecord(Golden(2048, {{120, "ff ff ff 7f"}}), 11));
  EXPECT_FALSE(vurk::readRecord(Golden(2048, {{120, "01 00 00 00"}, {488 + 1416, "ff ff ff ff"}}), 11));
  // More than 1,000,000 points, with a body that would hold them (only the count is wrong).
  EXPECT_FALSE(vurk::readRecord(Golden(208, {{120, "41 42 0f 00"}}), 8));
  // Unknown kinds.
  EXPECT_FALSE(vurk::readRecord(folderGolden(), 31));
  EXPECT_FALSE(vurk::readRecord(folderGolden(), 0));
}

TEST(RecordNames, LongNamesAreCutAtCharacterBoundaries) {
  std::u16string forty(40, u'测');
  EXPECT_EQ(vurk::RecordName(forty), vurk::RecordName(std::u16string(32, u'测')))
      << "120 bytes are cut to 98 and then to the 96 bytes of 32 whole characters";
  EXPECT_EQ(vurk::RecordName(forty).size(), 96u);
  EXPECT_EQ(vurk::RecordName(std::u16string(33, u'测')).size(), 99u) << "99 bytes are taken whole";
  EXPECT_EQ(vurk::FolderName(forty).size(), 99u) << "a folder name keeps 33 characters";
  EXPECT_EQ(vurk::RecordName(std::u16string(120, u'a')).size(), 98u);
}

TEST(RecordNames, SurrogateHalvesAreEncodedOneByOne) {
  // U+1F600 as the pair D83D DE00: two 3-byte sequences, no 4-byte form.
  EXPECT_EQ(vurk::RecordText(u"\xD83D\xDE00"), "\xED\xA0\xBD\xED\xB8\x80");
}

TEST(RecordText, LongDescriptionsTravelWhole) {
  auto m = vurk::createMarkRecord();
  m.text = vurk::RecordText(std::u16string(1500, u'描'));
  const auto body = vurk::serialiseRecord(m);
  ASSERT_TRUE(body);
  EXPECT_EQ(body->size(), 420u + 4500u);
  const auto read = vurk::readRecord(*body, 7);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::get<vurk::MarkRecord>(*read).text.size(), 4500u);
}

}  // namespace
