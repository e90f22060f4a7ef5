// The bytes of every request as the host receives them, compared with payloads written by hand
// from the layout tables (offsets and values in hex, zeros elsewhere).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host_link_fixture.h"
#include "hostlink/pattern_list.h"
#include "hostlink/request_catalogue.h"
#include "recording_host.h"

namespace {

using vurktest::Golden;
using vurktest::Hex;
using vurktest::RecordingHost;
using vurktest::ToHex;

class RequestWire : public vurktest::HostLinkFixture {
 protected:
  RecordingHost host;
  const std::vector<std::uint8_t>& sent(std::uint16_t code) { return host.last(code).payload; }
};

// The UTF-8 of the button label "发送所选对象到CAD" (24 bytes).
const char* kLabelHex = "e5 8f 91 e9 80 81 e6 89 80 e9 80 89 e5 af b9 e8 b1 a1 e5 88 b0 43 41 44";

TEST_F(RequestWire, RequestsWithoutPayloadSendNothingAfterTheFraming) {
  EXPECT_EQ(vurk::GetLatLng(), 0);
  EXPECT_EQ(vurk::GetMapCenter(), 0);
  EXPECT_EQ(vurk::GetSysCoor(), 0);
  EXPECT_EQ(vurk::GetPluginVer(), 0);
  EXPECT_EQ(vurk::GetPatternList(), 0);
  EXPECT_EQ(vurk::GetStatusInfo(), 0);
  for (std::uint16_t code : {20001, 20211, 20202, 20204, 20601, 20501}) {
    EXPECT_TRUE(sent(code).empty()) << code;
    EXPECT_EQ(host.last(code).wParam, 1001u);
    EXPECT_EQ(host.last(code).dwData, (1u << 16) + code) << "link 1 in the high part";
  }
}

TEST_F(RequestWire, SetLocationCarriesNorthEastModeAndLevel) {
  ASSERT_EQ(vurk::SetLocation(3512345.25, 512345.5, 17), 0);
  EXPECT_EQ(sent(20011), Golden(80, {{0, "00 00 00 a0 0c cc 4a 41"},  // north
                                     {8, "00 00 00 00 66 45 1f 41"},  // east
                                     {16, "02"},                      // mode
                                     {28, "11 00 00 00"}}))           // level 17
      << ToHex(sent(20011));
  EXPECT_EQ(vurk::SetLocation(3512345.25, 512345.5, 17, 1), 1) << "the timed form answers 1 when in time";
  EXPECT_EQ(sent(20011).size(), 80u);
}

TEST_F(RequestWire, GetMapViewIsOneHundredAndFourBytesWithTwoAtForty) {
  ASSERT_EQ(vurk::GetMapView(), 0);
  EXPECT_EQ(sent(20012), Golden(104, {{40, "02"}}));
}

TEST_F(RequestWire, SetFollowWinMapSendsTheIntervalAndReturnsTheHostsValue) {
  host.queue(20013, 7);
  EXPECT_EQ(vurk::SetFollowWinMap(1000), 7);
  EXPECT_EQ(sent(20013), Hex("e8 03 00 00"));
  EXPECT_EQ(vurk::SetFollowWinMap(1), 0);
  EXPECT_EQ(sent(20013), Hex("01 00 00 00"));
}

TEST_F(RequestWire, GetLevelResolutionSendsTheMapCentreAtTwentyFourAndThirtyTwo) {
  ASSERT_EQ(vurk::GetLevelResolution(500000.0, 3000000.0), 0);
  EXPECT_EQ(sent(20212), Golden(80, {{24, "00 00 00 00 80 84 1e 41"}, {32, "00 00 00 00 60 e3 46 41"}}));
}

TEST_F(RequestWire, GetObjListAsksForTheRootWhenGivenFolderZero) {
  ASSERT_EQ(vurk::GetObjList(0), 0);
  EXPECT_EQ(sent(20100), Hex("65 00 00 00  00 00 00 00  01 00 00 00  00 00 00 00"));
  ASSERT_EQ(vurk::GetObjList(70000), 0);
  EXPECT_EQ(sent(20100), Hex("65 00 00 00  00 00 00 00  70 11 01 00  00 00 00 00"));
}

TEST_F(RequestWire, GetObjCarriesTheFlagAndTheObjectId) {
  ASSERT_EQ(vurk::GetObj(77), 0);
  EXPECT_EQ(sent(20101), Hex("65 00 00 00  00 00 00 00  4d 00 00 00  00 00 00 00"));
  ASSERT_EQ(vurk::GetObj(77, 5), 0);
  EXPECT_EQ(sent(20101), Hex("65 00 00 05  00 00 00 00  4d 00 00 00  00 00 00 00"));
}

TEST_F(RequestWire, GetObjTreeHasFlagThree) {
  ASSERT_EQ(vurk::GetObjTree(), 0);
  EXPECT_EQ(sent(20110), Hex("65 00 00 03  00 00 00 00  00 00 00 00  00 00 00 00"));
}

TEST_F(RequestWire, AddObjOfAFolderIsTheHeadAndTheFolderRecord) {
  std::vector<std::uint8_t> folder = Golden(176, {{0, "43 41 44 e5 b7 a5 e4 bd 9c e7 a9 ba e9 97 b4"}, {111, "01"}});
  std::int32_t id = 0;
  host.queue(20102, 31);
  ASSERT_EQ(vurk::AddObj(30, folder, 0, 0, 0x55, &id), 0);
  EXPECT_EQ(id, 31);
  std::vector<std::uint8_t> expected = Hex("65 00 1e 00  01 00 00 00  00 00 00 00  55 00 00 00");
  expected.insert(expected.end(), folder.begin(), folder.end());
  EXPECT_EQ(sent(20102), expected) << "parent 0 and no object to replace: the root, 1";
  ASSERT_EQ(vurk::AddObj(30, folder, 0, 9, 0, &id), 0);
  EXPECT_EQ(std::vector<std::uint8_t>(sent(20102).begin(), sent(20102).begin() + 16),
            Hex("65 00 1e 00  00 00 00 00  09 00 00 00  00 00 00 00"))
      << "replacing object 9: the parent stays 0";
  ASSERT_EQ(vurk::AddObj(30, folder, 12, 0, 0, &id), 0);
  EXPECT_EQ(vurktest::Le32(sent(20102), 4), 12u);
}

TEST_F(RequestWire, AddObjOfAnAreaCarriesKindThirteenAndTheBody) {
  const std::vector<std::uint8_t> body(208 + 48 * 3, 0x5A);
  std::int32_t id = 0;
  ASSERT_EQ(vurk::AddObj(13, body, 40, 0, 2, &id), 0);
  ASSERT_EQ(sent(20102).size(), 16 + body.size());
  EXPECT_EQ(std::vector<std::uint8_t>(sent(20102).begin(), sent(20102).begin() + 16),
            Hex("65 00 0d 00  28 00 00 00  00 00 00 00  02 00 00 00"));
  EXPECT_EQ(std::vector<std::uint8_t>(sent(20102).begin() + 16, sent(20102).end()), body);
}

TEST_F(RequestWire, AddObjRefusesARecordThatDoesNotMatchItsKind) {
  std::int32_t id = 0;
  EXPECT_EQ(vurk::AddObj(30, std::vector<std::uint8_t>(175, 0), 0, 0, 0, &id), -4);
  EXPECT_EQ(vurk::AddObj(13, std::vector<std::uint8_t>(100, 0), 0, 0, 0, &id), -4);
  EXPECT_EQ(vurk::AddObj(8, std::vector<std::uint8_t>(300, 0), 0, 0, 0, &id), -4);
  EXPECT_TRUE(host.requests.empty());
}

TEST_F(RequestWire, DelObjPutsTheFlagsInTheHeadAndTheIdsBehindIt) {
  const std::uint32_t ids[] = {5, 6, 70000};
  ASSERT_EQ(vurk::DelObj(ids, 3), 0);
  EXPECT_EQ(sent(20103), Hex("65 00 00 00  00 00 00 00  00 00 00 00  03 00 00 00  05 00 00 00  06 00 00 00"
                             "70 11 01 00"));
}

TEST_F(RequestWire, AnEmptyIdListIsRefusedBeforeAnythingElse) {
  host.close();
  EXPECT_EQ(vurk::DelObj({}, 3), -4) << "not -1: the list is checked before the host is looked for";
  host.open();
  EXPECT_EQ(vurk::DelObj({}, 0), -4);
  EXPECT_TRUE(host.requests.empty());
}

TEST_F(RequestWire, SrhObjSendsTheSearchRecordAsItIs) {
  std::vector<std::uint8_t> search = Golden(532, {{4, "05 00 00 00"}, {8, "1e 00 00 00"}, {20, "01 00 00 00"},
                                                  {28, "43 41 44 e5 b7 a5 e4 bd 9c e7 a9 ba e9 97 b4"}});
  ASSERT_EQ(vurk::SrhObj(search), 0);
  EXPECT_EQ(sent(20107), search);
  EXPECT_EQ(vurk::SrhObj(std::vector<std::uint8_t>(531, 0)), -4);
}

TEST_F(RequestWire, SetObjTreeSendsTheStreamAndReleasesItWhenAsked) {
  std::vector<std::uint8_t> stream(80 + 64 + 176, 0x11);
  const auto copy = stream;
  ASSERT_EQ(vurk::SetObjTree(stream, false), 0);
  EXPECT_EQ(sent(20112), copy);
  EXPECT_EQ(stream, copy) << "kept: the caller did not ask to release it";
  ASSERT_EQ(vurk::SetObjTree(stream, true), 0);
  EXPECT_TRUE(stream.empty());
  host.close();
  std::vector<std::uint8_t> again = copy;
  EXPECT_EQ(vurk::SetObjTree(again, true), -1);
  EXPECT_TRUE(again.empty()) << "released whatever the outcome";
}

TEST_F(RequestWire, SetRelatePointHasAFiftySixByteHeadThenThePoints) {
  std::vector<std::uint8_t> points(160);
  for (std::size_t i = 0; i < points.size(); ++i) points[i] = static_cast<std::uint8_t>(i);
  ASSERT_EQ(vurk::SetRelatePoint(3, points), 0);
  std::vector<std::uint8_t> expected = Golden(56, {{0, "65 00"}, {16, "03 00 00 00"}});
  expected.insert(expected.end(), points.begin(), points.end());
  EXPECT_EQ(sent(20201), expected);
  ASSERT_EQ(vurk::SetRelatePoint(4, std::vector<std::uint8_t>(80, 0)), 0);
  EXPECT_EQ(vurktest::Le32(sent(20201), 16), 4u);
  EXPECT_EQ(sent(20201).size(), 136u);
}

TEST_F(RequestWire, SetRelatePointWithNoPointsFailsWithMinusOneAndSendsNothing) {
  EXPECT_EQ(vurk::SetRelatePoint(3, {}), -1);
  EXPECT_EQ(vurk::SetRelatePoint(3, std::vector<std::uint8_t>(79, 0)), -1);
  EXPECT_TRUE(host.requests.empty());
}

TEST_F(RequestWire, SetButtonCarriesStateAndLabel) {
  ASSERT_EQ(vurk::SetButton(vurk::kButtonAdd, vurk::kHostButtonLabel), 1);
  EXPECT_EQ(sent(20401), Golden(320, {{0, "65 00"}, {20, "01 00 00 00"}, {24, kLabelHex}})) << ToHex(sent(20401));
  ASSERT_EQ(vurk::SetButton(vurk::kButtonQuery, u""), 1);
  EXPECT_EQ(sent(20401), Golden(320, {{0, "65 00"}, {20, "ff ff ff ff"}}));
  ASSERT_EQ(vurk::SetButton(vurk::kButtonRemove, u""), 1);
  EXPECT_EQ(sent(20401), Golden(320, {{0, "65 00"}}));
}

TEST_F(RequestWire, ALongButtonLabelIsCutAtTheLastWholeCharacterWithinTwoHundredFiftyFiveBytes) {
  // "a" and 85 characters of 3 bytes: 256 bytes; byte 255 would split the last character.
  const std::u16string label = u"a" + std::u16string(85, u'中');
  ASSERT_EQ(vurk::SetButton(vurk::kButtonAdd, label), 1);
  const auto& p = sent(20401);
  ASSERT_EQ(p.size(), 320u);
  std::string field(p.begin() + 24, p.begin() + 24 + 256);
  const std::size_t end = field.find('\0');
  EXPECT_EQ(end, 253u) << "a + 84 characters";
  std::string expected = "a";
  for (int i = 0; i < 84; ++i) expected += "\xe4\xb8\xad";
  EXPECT_EQ(field.substr(0, end), expected);
  EXPECT_TRUE(std::all_of(field.begin() + 253, field.end(), [](char c) { return c == 0; }));

  // 255 ASCII bytes fit; the 256th does not.
  ASSERT_EQ(vurk::SetButton(vurk::kButtonAdd, std::u16string(300, u'x')), 1);
  std::string ascii(sent(20401).begin() + 24, sent(20401).begin() + 24 + 256);
  EXPECT_EQ(ascii.find('\0'), 255u);
}

TEST_F(RequestWire, GetContourWritesTheLinkNumberHeldBeforeTheRequestIntoEachRequest) {
  std::vector<std::uint8_t> requests(2 * 192, 0x77);
  ASSERT_EQ(vurk::GetContour(requests), 0);
  const auto& p = sent(20303);
  ASSERT_EQ(p.size(), 16u + 2 * 192);
  EXPECT_EQ(std::vector<std::uint8_t>(p.begin(), p.begin() + 16), Golden(16, {{0, "65 00"}}));
  EXPECT_EQ(vurktest::Le32(p, 16 + 108), 0u) << "made before the first registration: link 0";
  EXPECT_EQ(vurktest::Le32(p, 16 + 192 + 108), 0u);
  EXPECT_EQ(host.last(20303).link, 1) << "although it registered before sending";
  EXPECT_EQ(p[16], 0x77);
  EXPECT_EQ(p[16 + 107], 0x77);
  EXPECT_EQ(p[16 + 112], 0x77) << "only the four bytes at 108 change";
  EXPECT_EQ(vurktest::Le32(requests, 108), 0u) << "written into the caller's requests";

  ASSERT_EQ(vurk::GetContour(requests), 0);
  EXPECT_EQ(vurktest::Le32(sent(20303), 16 + 108), 1u);
  std::vector<std::uint8_t> short191(191, 0);
  EXPECT_EQ(vurk::GetContour(short191), -4);
}

TEST_F(RequestWire, GetMapFileIsTheHeadAndTheTileRequests) {
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  std::vector<std::uint8_t> tiles(3 * 472);
  for (std::size_t i = 0; i < tiles.size(); ++i) tiles[i] = static_cast<std::uint8_t>(i * 7);
  std::int32_t raw = 0;
  ASSERT_EQ(vurk::GetMapFile(tiles, &raw), 0);
  std::vector<std::uint8_t> expected = Golden(16, {{0, "65 00"}});
  expected.insert(expected.end(), tiles.begin(), tiles.end());
  EXPECT_EQ(sent(30003), expected);
}

TEST_F(RequestWire, SetPatternListSendsTheListAndReleasesIt) {
  vurk::PatternList list;
  vurk::HostPattern p;
  p.setName("CROSS");
  p.setPatternId(9);
  p.setDefaultScale(2.5);
  std::array<std::uint8_t, 248> line{};
  line.fill(0x3C);
  p.addLine(line);
  list.entries.push_back(p);
  ASSERT_EQ(vurk::SetPatternList(list), 0);
  std::vector<std::uint8_t> expected = Golden(96 + 384 + 248, {{4, "01 00 00 00"},
                                                               {96, "43 52 4f 53 53"},           // name
                                                               {96 + 320, "00 00 00 00 00 00 04 40"},  // 2.5
                                                               {96 + 328, "09 00 00 00"},       // id
                                                               {96 + 332, "01 00 00 00"}});     // one line
  std::fill(expected.begin() + 96 + 384, expected.end(), 0x3C);
  EXPECT_EQ(sent(20602), expected) << ToHex(sent(20602));
  EXPECT_TRUE(list.entries.empty()) << "released after sending";
}

}  // namespace
