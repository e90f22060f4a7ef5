// Registration, link numbers and the fault switches that act on every request.
#include "host_fixture.h"

#include "win32/clock.h"

namespace hosttest {
namespace {

using RegistrationTest = HostTest;

TEST_F(RegistrationTest, HandsOutSmallLinkNumbersInSequenceAndNotesThePluginClass) {
  EXPECT_EQ(registerPlugin(), 1);
  EXPECT_EQ(registerPlugin(u"OtherWin"), 2);
  ASSERT_EQ(host().record().registrations().size(), 2u);
  EXPECT_EQ(host().record().registrations()[0].pluginName, "VurkArxWin");
  EXPECT_EQ(host().record().registrations()[1].pluginName, "OtherWin");
  EXPECT_EQ(host().record().registrations()[1].answer, 2);
}

TEST_F(RegistrationTest, ARegistrationBufferWithoutNameOrNulFails) {
  std::vector<std::uint8_t> tooShort(97, 0);
  COPYDATASTRUCT cds{20000, static_cast<DWORD>(tooShort.size()), tooShort.data()};
  EXPECT_EQ(SendMessageW(host().window(), WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds)), 0);

  // 96 zeros and "AB" with no terminating NUL unit: the name never ends inside the buffer.
  std::vector<std::uint8_t> noNul(100, 0);
  noNul[96] = 'A';
  noNul[98] = 'B';
  cds = {20000, static_cast<DWORD>(noNul.size()), noNul.data()};
  EXPECT_EQ(SendMessageW(host().window(), WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds)), 0);
  EXPECT_TRUE(host().links().links().empty());
}

TEST_F(RegistrationTest, AnswersItsInterfaceVersionToARegisteredLink) {
  const auto link = registerPlugin();
  EXPECT_EQ(request(link, kGetHostApiVersion), 625) << "the host's default interface version";
  host().setApiVersion(620);
  EXPECT_EQ(request(link, kGetHostApiVersion), 620);
}

TEST_F(RegistrationTest, ReadsTheLinkNumberFromTheHighHalfOfDwData) {
  const auto link = registerPlugin();
  ASSERT_EQ(link, 1);
  // dwData for link 1 and code 20006 is 0x00014E26 = 85542.
  COPYDATASTRUCT cds{85542, 0, nullptr};
  EXPECT_EQ(SendMessageW(host().window(), WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds)), 625);
  EXPECT_EQ(host().record().requests().back().link, 1);
  EXPECT_EQ(host().record().requests().back().code, kGetHostApiVersion);
}

TEST_F(RegistrationTest, IgnoresCopyDataWithAnotherWParam) {
  const auto link = registerPlugin();
  COPYDATASTRUCT cds{dwDataFor(link, kGetStatusInfo), 0, nullptr};
  EXPECT_EQ(SendMessageW(host().window(), WM_COPYDATA, 7, reinterpret_cast<LPARAM>(&cds)), 0);
  EXPECT_EQ(host().record().countRequests(kGetStatusInfo), 0u);
}

TEST_F(RegistrationTest, FaultSwitchesForRegistrationAnswerZeroOrRefusal) {
  host().setRegistrationAnswer(host::RegistrationAnswer::Zero);
  EXPECT_EQ(registerPlugin(), 0);
  host().setRegistrationAnswer(host::RegistrationAnswer::Refuse);
  EXPECT_EQ(registerPlugin(), -10);
  EXPECT_TRUE(host().links().links().empty());
  host().setRegistrationAnswer(host::RegistrationAnswer::LinkNumber);
  EXPECT_EQ(registerPlugin(), 1);
}

TEST_F(RegistrationTest, AnUnknownLinkIsAnsweredMinusOneAndDoesNothing) {
  EXPECT_EQ(request(0, kGetStatusInfo), -1) << "no registration yet";
  EXPECT_EQ(request(5, kGetStatusInfo), -1);
  const auto link = registerPlugin();
  EXPECT_EQ(request(link, kGetStatusInfo), 0x105);
  host().forgetLinks();
  const auto m = mark();
  EXPECT_EQ(request(link, kGetPluginVer), -1);
  EXPECT_TRUE(received(20204, m).empty()) << "a forgotten link gets no answer message";
  const auto again = registerPlugin();
  EXPECT_NE(again, 0);
  EXPECT_EQ(request(again, kGetStatusInfo), 0x105);
}

TEST_F(RegistrationTest, TheUnknownLinkAnswerCanBeChosen) {
  host().setUnknownLinkAnswer(-20);
  EXPECT_EQ(request(3, kGetStatusInfo), -20);
}

TEST_F(RegistrationTest, AnOverriddenCodeIsAnsweredWithTheValueAndNothingHappens) {
  const auto link = registerPlugin();
  host().overrideAnswer(kGetPluginVer, -6);
  const auto m = mark();
  EXPECT_EQ(request(link, kGetPluginVer), -6);
  EXPECT_TRUE(received(20204, m).empty());
  EXPECT_EQ(request(link, kGetStatusInfo), 0x105) << "other codes work";
  // The same switch gives the "-1 twice" case: registration works, the request keeps failing.
  host().overrideAnswer(kGetPluginVer, -1);
  EXPECT_EQ(request(link, kGetPluginVer), -1);
  EXPECT_EQ(request(registerPlugin(), kGetPluginVer), -1);
  host().clearOverride(kGetPluginVer);
  EXPECT_EQ(request(link, kGetPluginVer), 0);
}

TEST_F(RegistrationTest, OverridingAllAnswersSparesRegistrationAndTheVersionQuery) {
  host().overrideAllAnswers(-6);
  const auto link = registerPlugin();
  EXPECT_EQ(link, 1);
  EXPECT_EQ(request(link, kGetHostApiVersion), 625);
  EXPECT_EQ(request(link, kGetStatusInfo), -6);
  EXPECT_EQ(request(link, kGetPluginVer), -6);
  host().overrideAllAnswers(std::nullopt);
  EXPECT_EQ(request(link, kGetStatusInfo), 0x105);
}

TEST_F(RegistrationTest, AnOldInterfaceVersionDoesNotKnowTheObjectRequests) {
  const auto link = registerPlugin();
  host().setApiVersion(620);
  Payload head(16);
  head.u16(0, 101).u32(8, 1);
  const auto m = mark();
  EXPECT_EQ(request(link, kGetObjList, head), -6);
  EXPECT_TRUE(received(20100, m).empty());
  EXPECT_EQ(request(link, kGetStatusInfo), 0x105) << "other requests still work";
  host().setApiVersion(621);
  EXPECT_EQ(request(link, kGetObjList, head), 0);
  EXPECT_EQ(received(20100, m).size(), 1u);
}

TEST_F(RegistrationTest, BusyClearsTheReadyBitOfTheStatus) {
  const auto link = registerPlugin();
  host().setBusy(true);
  EXPECT_EQ(request(link, kGetStatusInfo), 0x005);
  host().setBusy(false);
  EXPECT_EQ(request(link, kGetStatusInfo), 0x105);
}

TEST_F(RegistrationTest, AnUnknownRequestCodeIsNotProcessed) {
  const auto link = registerPlugin();
  EXPECT_EQ(request(link, 20007), -6);
  EXPECT_EQ(host().record().requests().back().name, "unknown");
}

TEST_F(RegistrationTest, NotRunningMeansNoWindowAndNoRequests) {
  host().stop();
  EXPECT_EQ(FindWindowW(u"vurkWin", nullptr), nullptr);
  EXPECT_TRUE(host().start());
  EXPECT_NE(FindWindowW(u"vurkWin", nullptr), nullptr);
  EXPECT_EQ(request(1, kGetStatusInfo), -1) << "a restarted host has forgotten every link";
}

// A timed SetButton as the plug-in sends it: SendMessageTimeoutW with 1 ms.
LRESULT timedSetButton(HWND host, std::int32_t link, std::int32_t state, DWORD_PTR* out) {
  Payload p(320);
  p.u16(0, 101).i32(20, state).text(24, "发送所选对象到CAD");
  COPYDATASTRUCT cds{dwDataFor(link, kSetButton), 320, const_cast<std::uint8_t*>(p.bytes().data())};
  return SendMessageTimeoutW(host, WM_COPYDATA, 1001, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 1, out);
}

TEST_F(RegistrationTest, AHungHostTimesOutATimedRequestAndDoesNothing) {
  const auto link = registerPlugin();
  host().setHung(true);
  DWORD_PTR out = 12345;
  EXPECT_EQ(timedSetButton(host().window(), link, 1, &out), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_EQ(out, 12345u) << "no result is stored";
  EXPECT_FALSE(host().buttonPresent());
  EXPECT_EQ(host().record().countRequests(kSetButton), 0u);
  host().setHung(false);
  EXPECT_EQ(timedSetButton(host().window(), link, 1, &out), 1);
  EXPECT_EQ(out, 0u);
  EXPECT_TRUE(host().buttonPresent());
}

TEST_F(RegistrationTest, ASlowHostTimesOutButStillAppliesTheRequest) {
  const auto link = registerPlugin();
  host().setLatency(50);
  const auto before = GetTickCount64();
  DWORD_PTR out = 7;
  EXPECT_EQ(timedSetButton(host().window(), link, 1, &out), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_EQ(GetTickCount64() - before, 1u) << "the sender waited its timeout only";
  EXPECT_TRUE(host().buttonPresent()) << "the host did the work although the answer came too late";
  // An untimed request waits for the slow host.
  const auto t = GetTickCount64();
  EXPECT_EQ(request(link, kGetStatusInfo), 0x105);
  EXPECT_EQ(GetTickCount64() - t, 50u);
}

TEST_F(RegistrationTest, SwitchesSetBeforeStartApplyToTheNewWindow) {
  host().stop();
  host().setHung(true);
  ASSERT_TRUE(host().start());
  const auto link = 1;
  DWORD_PTR out = 0;
  EXPECT_EQ(timedSetButton(host().window(), link, 1, &out), 0);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
}

}  // namespace
}  // namespace hosttest
