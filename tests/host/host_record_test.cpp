// What the host keeps of its work: the record of requests and messages, its dump as JSON, and
// the answers to GetContour and GetMapFile that this host can give without elevation data or
// map drawing.
#include "host/json_writer.h"
#include "host_fixture.h"
#include "object_payloads.h"
#include "win32/transcript.h"

namespace hosttest {
namespace {

using HostRecordTest = LinkedHostTest;

TEST_F(HostRecordTest, EveryRequestIsRecordedInOrderWithItsDecodedFieldsAndResult) {
  Payload loc(80);
  loc.f64(0, 30.25).f64(8, 114.75).u8(16, 2).u32(28, 9);
  request(link_, kSetLocation, loc);
  request(link_, 20501);
  const auto& reqs = host().record().requests();
  ASSERT_EQ(reqs.size(), 3u);
  EXPECT_EQ(reqs[0].name, "Register");
  EXPECT_EQ(reqs[0].result, 1);
  EXPECT_EQ(reqs[1].name, "SetLocation");
  EXPECT_EQ(reqs[1].link, link_);
  EXPECT_EQ(reqs[1].payload, loc.bytes());
  EXPECT_EQ(fieldValue<double>(&reqs[1], "east"), 114.75);
  EXPECT_EQ(fieldValue<std::uint64_t>(&reqs[1], "level"), 9u);
  EXPECT_EQ(reqs[2].name, "GetStatusInfo");
  EXPECT_EQ(reqs[2].result, 0x105);
  EXPECT_TRUE(reqs[2].finished);
}

TEST_F(HostRecordTest, TheJsonDumpHoldsRegistrationsRequestsMessagesAndTheTree) {
  request(link_, kAddObj, addObj(30, 1, folderBody("带\"引号\"的\n文件夹")));
  request(link_, 20204);
  const std::string json = host().dumpJson();
  EXPECT_NE(json.find("\"registrations\": ["), std::string::npos);
  EXPECT_NE(json.find("\"pluginName\": \"VurkArxWin\""), std::string::npos);
  EXPECT_NE(json.find("\"name\": \"AddObj\""), std::string::npos);
  EXPECT_NE(json.find("\"name\": \"PluginVersion\""), std::string::npos) << "the message sent back";
  EXPECT_NE(json.find("\"objectTree\": {"), std::string::npos);
  EXPECT_NE(json.find("\"name\": \"带\\\"引号\\\"的\\n文件夹\""), std::string::npos) << "escaped quote and line feed";
  // Balanced brackets outside strings: a cheap well-formedness check.
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') inString = true;
    if (c == '{' || c == '[') ++depth;
    if (c == '}' || c == ']') --depth;
    ASSERT_GE(depth, 0);
  }
  EXPECT_EQ(depth, 0);
  EXPECT_FALSE(inString);
}

TEST(JsonWriter, EscapesControlCharactersAndReplacesMalformedUtf8) {
  EXPECT_EQ(host::jsonQuoted(std::string("a\x01" "b", 3)), "\"a\\u0001b\"");
  EXPECT_EQ(host::jsonQuoted("\xFF"), "\"\xEF\xBF\xBD\"") << "U+FFFD";
  host::JsonWriter w;
  w.beginArray();
  w.value(0.1);
  w.value(std::numeric_limits<double>::quiet_NaN());
  w.endArray();
  EXPECT_EQ(w.text(), "[\n  0.1,\n  \"nan\"\n]");
}

TEST_F(HostRecordTest, DescribeListsRequestsWithTheMessagesTheyCaused) {
  request(link_, 20204);
  const std::string text = host().describe();
  EXPECT_NE(text.find("GetPluginVer (20204) link 1, 0 bytes -> 0"), std::string::npos) << text;
  EXPECT_NE(text.find("  -> PluginVersion (20204) 408 bytes, plug-in returned 1"), std::string::npos) << text;
}

TEST_F(HostRecordTest, AMessageOnTheHostsOwnAccountStandsWhereItWasSentInTime) {
  Payload b(320);
  b.u16(0, 101).i32(20, 1).text(24, "发送所选对象到CAD");
  request(link_, 20401, b);
  request(link_, 20204);
  ASSERT_TRUE(host().pressPluginButton());
  request(link_, 20204);
  const std::string text = host().describe();
  const auto first = text.find("#3 GetPluginVer");
  const auto press = text.find("SendToCad");
  const auto second = text.find("#4 GetPluginVer");
  ASSERT_NE(first, std::string::npos) << text;
  ASSERT_NE(press, std::string::npos) << text;
  ASSERT_NE(second, std::string::npos) << text;
  EXPECT_LT(first, press) << text;
  EXPECT_LT(press, second) << "the press came between the two requests\n" << text;
}

TEST_F(HostRecordTest, GetContourReportsMissingElevationDataAndPostsProgress) {
  Payload p(16 + 2 * 192);
  p.u16(0, 101);
  for (int i = 0; i < 2; ++i) {
    const std::size_t b = 16 + 192 * i;
    p.u64(b, 77 + i).u32(b + 8, 1).f64(b + 16, 500000).f64(b + 24, 3370000).f64(b + 32, 501000).f64(b + 40, 3371000);
    p.u32(b + 48, 2).u32(b + 52, 12).u32(b + 56, 30).u32(b + 60, 1).u32(b + 104, 1).u32(b + 108, 1);
  }
  EXPECT_EQ(request(link_, kGetContour, p), 0);
  const auto answers = received(20303);
  ASSERT_EQ(answers.size(), 2u);
  const auto& a = answers[1].bytes;
  ASSERT_GE(a.size(), 192u);
  EXPECT_EQ(u64At(a, 0), 78u) << "the answer repeats its request";
  EXPECT_EQ(i32At(a, 68), -7) << "elevation data missing";
  EXPECT_EQ(i32At(a, 64), 0) << "nothing downloaded at all";
  EXPECT_EQ(u32At(a, 88), 0u);
  const auto* r = host().record().lastRequest(kGetContour);
  EXPECT_EQ(fieldValue<std::uint64_t>(r, "request[1].linkNumber"), 1u);
  EXPECT_EQ(fieldValue<std::uint64_t>(r, "request[0].interval"), 30u);
  // Progress goes by PostMessageW: it arrives when the desk pumps.
  EXPECT_TRUE(plugin().others.empty());
  desktop().pump();
  const UINT progress = RegisterWindowMessageW(u"V_URK_API_MSG_GET_CONTOUR_LINE_PROGRESS");
  ASSERT_EQ(plugin().others.size(), 2u);
  EXPECT_EQ(plugin().others[0].msg, progress);
  EXPECT_EQ(plugin().others[0].wParam, 1u);
  EXPECT_EQ(plugin().others[1].wParam, 2u);
  EXPECT_EQ(plugin().others[1].lParam, 2);
}

TEST_F(HostRecordTest, GetMapFileIsRecordedAndRefusedForNow) {
  Payload p(16 + 472);
  p.u16(0, 101).u64(16, 123456789).text(16 + 24, "C:\\cache\\MapTemp\\1\\18\\5_7.png").u32(16 + 340, 18);
  EXPECT_EQ(request(link_, kGetMapFile, p), -6);
  const auto* r = host().record().lastRequest(kGetMapFile);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(fieldValue<std::string>(r, "file[0].path"), "C:\\cache\\MapTemp\\1\\18\\5_7.png");
  EXPECT_EQ(fieldValue<std::uint64_t>(r, "file[0].level"), 18u);
  EXPECT_NE(r->note.find("no map files"), std::string::npos);
}

TEST_F(HostRecordTest, HostEventsAppearInTheTranscript) {
  Payload b(320);
  b.u16(0, 101).i32(20, 1).text(24, "发送所选对象到CAD");
  request(link_, 20401, b);
  bool seen = false;
  for (const auto& e : desktop().transcript().entries()) {
    seen = seen || (e.channel == "host" && e.text == "button \"发送所选对象到CAD\" added");
  }
  EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace hosttest
