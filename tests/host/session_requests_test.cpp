// The plug-in's version, the update notice and the plug-in's button in the host.
#include "host_fixture.h"

namespace hosttest {
namespace {

Payload setButton(std::int32_t state, const std::string& label) {
  Payload p(320);
  p.u16(0, 101).i32(20, state);
  if (!label.empty()) p.text(24, label);
  return p;
}

using SessionRequestsTest = LinkedHostTest;

TEST_F(SessionRequestsTest, GetPluginVerAnswersInsideTheRequestWithTheNewestVersionAt4) {
  host().setNewestPluginVersion(175, "修正了若干问题");
  std::size_t seenDuringRequest = 0;
  plugin().onCopy = [&](const Received&) {
    seenDuringRequest = plugin().copies.size();
    return LRESULT{1};
  };
  EXPECT_EQ(request(link_, kGetPluginVer), 0);
  EXPECT_EQ(seenDuringRequest, 1u) << "the answer arrives while the request runs";
  const auto answers = received(20204);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_GE(answers[0].bytes.size(), 408u);
  EXPECT_EQ(u32At(answers[0].bytes, 4), 175u);
  EXPECT_EQ(answers[0].wParam, 1001u);
  EXPECT_EQ(answers[0].dwData, 20204u) << "host messages carry the bare code";
}

TEST_F(SessionRequestsTest, TheUpdateNoticeCarriesVersionAt4AndNotesAt64) {
  ASSERT_TRUE(host().sendUpdateNotice(175, "新增断面功能"));
  const auto notices = received(20203);
  ASSERT_EQ(notices.size(), 1u);
  const auto& b = notices[0].bytes;
  ASSERT_GE(b.size(), 65u);
  EXPECT_EQ(u32At(b, 4), 175u);
  EXPECT_EQ(cString(b, 64, b.size()), "新增断面功能");
  EXPECT_EQ(b.back(), 0) << "the notes end in a NUL";
  // With empty notes the notice still has its 64-byte head.
  ASSERT_TRUE(host().sendUpdateNotice(176, ""));
  EXPECT_EQ(lastBytes(20203).size(), 65u);
}

TEST_F(SessionRequestsTest, SetButtonAddsQueriesAndRemovesTheButtonAnsweringItsPresence) {
  const auto m = mark();
  EXPECT_EQ(request(link_, kSetButton, setButton(-1, "")), 0);
  EXPECT_EQ(request(link_, kSetButton, setButton(1, "发送所选对象到CAD")), 0);
  EXPECT_TRUE(host().buttonPresent());
  EXPECT_EQ(host().buttonLabel(), "发送所选对象到CAD");
  EXPECT_EQ(request(link_, kSetButton, setButton(-1, "")), 0);
  EXPECT_EQ(request(link_, kSetButton, setButton(0, "")), 0);
  EXPECT_FALSE(host().buttonPresent());
  const auto states = received(20401, m);
  ASSERT_EQ(states.size(), 4u);
  std::vector<std::uint32_t> present;
  for (const auto& s : states) {
    EXPECT_EQ(s.bytes.size(), 4u);
    present.push_back(u32At(s.bytes, 0));
  }
  EXPECT_EQ(present, (std::vector<std::uint32_t>{0, 1, 1, 0}));
}

TEST_F(SessionRequestsTest, SetButtonRefusesAShortPayloadAndAnUnknownState) {
  Payload shortOne(319);
  shortOne.u16(0, 101).i32(20, 1);
  EXPECT_EQ(request(link_, kSetButton, shortOne), -6);
  EXPECT_EQ(request(link_, kSetButton, setButton(2, "x")), -6);
  EXPECT_FALSE(host().buttonPresent());
  EXPECT_TRUE(received(20401).empty());
}

TEST_F(SessionRequestsTest, ALabelFillingTheWholeFieldIsReadUpToTheFieldsEnd) {
  // 256 bytes of label without a NUL: the host reads the field only.
  Payload p = setButton(1, std::string(256, 'A'));
  p.u8(280, 'B');  // the byte after the field is not part of the label
  EXPECT_EQ(request(link_, kSetButton, p), 0);
  EXPECT_EQ(host().buttonLabel(), std::string(256, 'A'));
  // A label cut at 253 bytes ("a" and 84 three-byte characters) arrives whole.
  std::string label = "a";
  for (int i = 0; i < 84; ++i) label += "图";
  EXPECT_EQ(request(link_, kSetButton, setButton(1, label)), 0);
  EXPECT_EQ(host().buttonLabel().size(), 253u);
  EXPECT_EQ(fieldValue<std::string>(host().record().lastRequest(kSetButton), "label"), label);
}

TEST_F(SessionRequestsTest, PressingThePluginButtonSends20402ToTheWindowThatPlacedIt) {
  EXPECT_FALSE(user().pressPluginButton()) << "no button yet";
  EXPECT_TRUE(received(20402).empty());
  request(link_, kSetButton, setButton(1, "发送所选对象到CAD"));
  EXPECT_TRUE(user().pressPluginButton());
  const auto presses = received(20402);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].bytes.size(), 16u);
  EXPECT_EQ(at<std::uint16_t>(presses[0].bytes, 0), 101);
}

TEST_F(SessionRequestsTest, ThePluginMayAskForTheStatusWhileHandlingTheButtonPress) {
  request(link_, kSetButton, setButton(1, "发送所选对象到CAD"));
  LRESULT nested = 0;
  plugin().onCopy = [&](const Received& r) {
    if (r.code == 20402) nested = request(link_, kGetStatusInfo);
    return LRESULT{1};
  };
  EXPECT_TRUE(user().pressPluginButton());
  EXPECT_EQ(nested, 0x105);
  const auto* status = host().record().lastRequest(kGetStatusInfo);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->nestedIn, 0u) << "the press is the host's own action, not a request";
}

TEST_F(SessionRequestsTest, RequestsNestedInsideAnAnswerAreRecordedAsNested) {
  // The plug-in answers the version message by asking for the status, which asks again.
  int depth = 0;
  plugin().onCopy = [&](const Received& r) {
    if (r.code == 20204 && depth++ < 2) request(link_, kGetPluginVer);
    return LRESULT{1};
  };
  EXPECT_EQ(request(link_, kGetPluginVer), 0);
  const auto& reqs = host().record().requests();
  ASSERT_GE(reqs.size(), 4u);
  const auto n = reqs.size();
  EXPECT_EQ(reqs[n - 3].nestedIn, 0u);
  EXPECT_EQ(reqs[n - 2].nestedIn, reqs[n - 3].serial);
  EXPECT_EQ(reqs[n - 1].nestedIn, reqs[n - 2].serial);
  EXPECT_EQ(received(20204).size(), 3u);
}

}  // namespace
}  // namespace hosttest

namespace hosttest {
namespace {

TEST_F(HostTest, TheHostSendsARawMessageToTheLatestRegisteredWindowWithItsExactLength) {
  EXPECT_FALSE(host().sendRawMessage(20202, std::vector<std::uint8_t>(71, 0))) << "no plug-in window known yet";
  registerPlugin();
  plugin().onCopy = [](const Received&) { return LRESULT{0}; };
  EXPECT_TRUE(host().sendRawMessage(20202, std::vector<std::uint8_t>(71, 0x20)));
  const auto got = received(20202);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].bytes.size(), 71u);
  EXPECT_EQ(host().record().messages().back().pluginResult, 0) << "the plug-in's refusal is recorded";
}

TEST_F(HostTest, LinkNumbersCanStartElsewhere) {
  host().setLinkNumbering(40, 5);
  EXPECT_EQ(registerPlugin(), 40);
  EXPECT_EQ(registerPlugin(), 45);
}

}  // namespace
}  // namespace hosttest
