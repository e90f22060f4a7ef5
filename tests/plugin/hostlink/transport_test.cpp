// Registration, the send rule and its result forms, timed sending and the map-file channel,
// against a recording host window.
#include <gtest/gtest.h>

#include <vector>

#include "host_link_fixture.h"
#include "hostlink/request_catalogue.h"
#include "hostlink/transport.h"
#include "recording_host.h"
#include "win32/window_manager.h"

namespace {

using vurktest::Golden;
using vurktest::RecordingHost;

class Transport : public vurktest::HostLinkFixture {};

constexpr std::uint16_t kRegister = 20000;
constexpr std::uint16_t kApiVersion = 20006;
constexpr std::uint16_t kMapCenter = 20211;

TEST_F(Transport, RegistrationSendsTheWindowClassAfterNinetySixZeroBytesThenAsksForTheVersion) {
  RecordingHost host;
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  ASSERT_EQ(host.codes(), (std::vector<std::uint16_t>{kRegister, kApiVersion, kMapCenter}));
  const auto& reg = host.requests[0];
  EXPECT_EQ(reg.dwData, 20000u) << "registration carries no link number";
  EXPECT_EQ(reg.wParam, 1001u);
  // "VurkArxWin" is 10 units: 2 x 10 + 98 bytes, the name in UTF-16 at 96, then a NUL unit.
  EXPECT_EQ(reg.payload, Golden(118, {{96, "56 00 75 00 72 00 6b 00 41 00 72 00 78 00 57 00 69 00 6e 00"}}))
      << vurktest::ToHex(reg.payload);
  EXPECT_EQ(host.requests[1].link, 1);
  EXPECT_TRUE(host.requests[1].payload.empty());
  EXPECT_EQ(host.requests[2].link, 1);
  EXPECT_EQ(host.requests[2].wParam, 1001u);
  EXPECT_EQ(channel().linkId, 1u);
  EXPECT_EQ(channel().hostApiVersion, 621);
}

TEST_F(Transport, ARegisteredLinkIsKeptAndNotRegisteredAgain) {
  RecordingHost host;
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  ASSERT_EQ(vurk::GetSysCoor(), 0);
  EXPECT_EQ(host.count(kRegister), 1u);
  EXPECT_EQ(host.last(20202).link, 1);
}

TEST_F(Transport, DwDataCarriesTheLinkShiftedAsASignedValue) {
  EXPECT_EQ(vurk::RequestDwData(3, 20211), 0x34EF3u) << "3 << 16 = 0x30000, + 0x4EF3";
  // A link of 0x8001 makes the high part negative: sign-extended to 64 bits.
  EXPECT_EQ(vurk::RequestDwData(0x8001, 20211), 0xFFFFFFFF80014EF3u);
  RecordingHost host;
  host.registrationAnswers = {0x8001};
  EXPECT_EQ(vurk::GetMapCenter(), 0);
  EXPECT_EQ(host.requests[1].dwData, 0xFFFFFFFF80014E26u) << "GetHostApiVersion 20006 = 0x4E26";
  EXPECT_EQ(host.requests[1].link, -32767) << "the host reads the high part as a signed value";
  // This host does not know -32767 as a link, so the plug-in registered again and got link 1.
  EXPECT_EQ(host.count(kRegister), 2u);
  EXPECT_EQ(host.last(kMapCenter).link, 1);
}

TEST_F(Transport, WithTheHostNotRunningEveryRequestFailsWithMinusOneAndTheChannelIsReset) {
  {
    RecordingHost host;
    ASSERT_EQ(vurk::GetMapCenter(), 0);
    ASSERT_EQ(channel().linkId, 1u);
  }  // the host exits
  EXPECT_EQ(vurk::GetMapCenter(), -1);
  EXPECT_EQ(channel().linkId, 0u);
  EXPECT_EQ(channel().hostApiVersion, 0);
  EXPECT_EQ(vurk::GetStatusInfo(), -1) << "value form";
  EXPECT_EQ(vurk::SetButton(vurk::kButtonQuery, u""), -1) << "timed form";
  EXPECT_EQ(vurk::SetFollowWinMap(1000), -1);
  std::int32_t raw = 77;
  EXPECT_EQ(vurk::SendRequest(channel(), 20001, nullptr, 0, &raw, 0), -1);
  EXPECT_EQ(raw, 77) << "nothing reached the host, so nothing is written";
  const std::uint32_t ids[] = {4};
  EXPECT_EQ(vurk::DelObj(ids, 0), -1);
  EXPECT_EQ(channel().linkId, 0u);
  EXPECT_EQ(channel().hostApiVersion, 0);
}

TEST_F(Transport, ARegistrationAnsweredWithZeroFailsEveryRequestAndIsTriedAgainNextTime) {
  RecordingHost host;
  host.registrationAnswers = {0, 0};
  EXPECT_EQ(vurk::GetMapCenter(), -2);
  EXPECT_EQ(vurk::GetStatusInfo(), -2);
  EXPECT_EQ(host.codes(), (std::vector<std::uint16_t>{kRegister, kRegister})) << "no request without a link";
  EXPECT_EQ(vurk::GetMapCenter(), 0) << "the third registration gets link 1";
  EXPECT_EQ(host.count(kRegister), 3u);
}

TEST_F(Transport, ARefusedRegistrationStopsAllSendingUntilTheHostWindowIsGone) {
  RecordingHost host;
  host.registrationAnswers = {-10};
  EXPECT_EQ(vurk::GetMapCenter(), -10);
  EXPECT_EQ(vurk::GetStatusInfo(), -10);
  EXPECT_EQ(vurk::SetButton(vurk::kButtonAdd, u"x"), -10);
  EXPECT_EQ(vurk::GetObjList(0), -10);
  EXPECT_EQ(host.codes(), (std::vector<std::uint16_t>{kRegister})) << "nothing after the refusal, not even 20006";
  EXPECT_EQ(vurk::SignedLinkId(channel()), -10);
  host.close();
  EXPECT_EQ(vurk::GetMapCenter(), -1);
  EXPECT_EQ(channel().linkId, 0u) << "the refusal is forgotten with the window";
  host.open();
  EXPECT_EQ(vurk::GetMapCenter(), 0);
  EXPECT_EQ(host.count(kRegister), 2u);
}

TEST_F(Transport, AnOldHostGetsNoObjectListRequestsButEverythingElse) {
  RecordingHost host;
  host.apiVersion = 620;
  std::vector<std::uint8_t> folder(176, 0);
  const std::uint32_t ids[] = {9};
  std::int32_t newId = 0;
  EXPECT_EQ(vurk::GetObjList(0), -3);
  EXPECT_EQ(vurk::GetObj(5), -3);
  EXPECT_EQ(vurk::AddObj(30, folder, 0, 0, 0, &newId), -3);
  EXPECT_EQ(vurk::DelObj(ids, 3), -3);
  EXPECT_EQ(vurk::GetMapCenter(), 0);
  EXPECT_EQ(vurk::GetObjTree(), 0) << "20110 is not gated";
  EXPECT_EQ(vurk::GetStatusInfo(), 0);
  EXPECT_EQ(host.codes(), (std::vector<std::uint16_t>{kRegister, kApiVersion, kMapCenter, 20110, 20501}));
}

TEST_F(Transport, VersionSixTwentyOneIsEnoughForTheObjectListRequests) {
  RecordingHost host;
  host.apiVersion = 621;
  EXPECT_EQ(vurk::GetObjList(0), 0);
  EXPECT_EQ(host.count(20100), 1u);
}

TEST_F(Transport, AVersionAnswerOfMinusTenIsKeptOtherNegativesBecomeZero) {
  RecordingHost host;
  host.apiVersion = -10;
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  EXPECT_EQ(channel().hostApiVersion, -10);
  host.apiVersion = -4;
  host.close();
  host.open();
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  EXPECT_EQ(channel().hostApiVersion, 0);
}

TEST_F(Transport, TheHostsOwnRefusalsPassThroughWithoutRegisteringAgain) {
  RecordingHost host;
  for (std::int32_t refusal : {-5, -6, -7, -8}) {
    host.queue(kMapCenter, refusal);
    EXPECT_EQ(vurk::GetMapCenter(), refusal);
    host.queue(20501, refusal);
    EXPECT_EQ(vurk::GetStatusInfo(), refusal) << "value form";
  }
  EXPECT_EQ(host.count(kRegister), 1u);
  EXPECT_EQ(host.count(kMapCenter), 4u) << "one send each, no second try";
  EXPECT_EQ(channel().linkId, 1u) << "the registration stays";
}

TEST_F(Transport, AForgottenLinkIsRegisteredAgainAndTheRequestSentOnceMore) {
  RecordingHost host;
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  host.forgetLinks();
  EXPECT_EQ(vurk::GetMapCenter(), 0);
  ASSERT_EQ(host.codes(), (std::vector<std::uint16_t>{kRegister, kApiVersion, kMapCenter, kMapCenter, kRegister,
                                                      kApiVersion, kMapCenter}));
  EXPECT_EQ(host.requests[3].link, 1);
  EXPECT_EQ(host.requests[3].answer, -1);
  EXPECT_EQ(host.requests[6].link, 2) << "the resend carries the new link";
  EXPECT_EQ(channel().linkId, 2u);
}

TEST_F(Transport, ASecondMinusOneBecomesStatusZeroAndThereIsNoThirdTry) {
  RecordingHost host;
  host.queue(kMapCenter, -1);
  host.queue(kMapCenter, -1);
  EXPECT_EQ(vurk::GetMapCenter(), 0);
  EXPECT_EQ(host.count(kMapCenter), 2u);
  EXPECT_EQ(host.count(kRegister), 2u);

  // Raw-out form: the status is 0 and the raw value is the second answer.
  host.queue(20001, -1);
  host.queue(20001, -1);
  std::int32_t raw = 0;
  EXPECT_EQ(vurk::SendRequest(channel(), 20001, nullptr, 0, &raw, 0), 0);
  EXPECT_EQ(raw, -1);

  // Value form: the resend's answer unchanged, negative or not.
  host.queue(20501, -1);
  host.queue(20501, -1);
  EXPECT_EQ(vurk::GetStatusInfo(), -1);
  host.queue(20501, -20);
  host.queue(20501, 0x105);
  EXPECT_EQ(vurk::GetStatusInfo(), 0x105);
}

TEST_F(Transport, ARefusalAfterRegisteringAgainIsPassedOn) {
  RecordingHost host;
  host.queue(kMapCenter, -1);
  host.queue(kMapCenter, -6);
  EXPECT_EQ(vurk::GetMapCenter(), -6);
}

TEST_F(Transport, WhenRegisteringAgainFailsTheRequestFailsWithMinusTwo) {
  RecordingHost host;
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  host.queue(kMapCenter, -1);
  host.registrationAnswers = {0};
  EXPECT_EQ(vurk::GetMapCenter(), -2);
  EXPECT_EQ(host.count(kMapCenter), 2u) << "no resend";
  EXPECT_EQ(channel().linkId, 0u);
}

TEST_F(Transport, ForGatedCodesARegistrationWithAnOldVersionFailsTheResendWithMinusThree) {
  RecordingHost host;
  ASSERT_EQ(vurk::GetObjList(7), 0);
  host.queue(20100, -1);
  host.apiVersion = 620;
  EXPECT_EQ(vurk::GetObjList(7), -3);
  EXPECT_EQ(host.count(20100), 2u);
}

TEST_F(Transport, AnAddObjAnsweredBelowMinusOneHundredIsANewIdNotAnError) {
  RecordingHost host;
  host.queue(20102, -150);
  std::vector<std::uint8_t> folder(176, 0);
  std::int32_t newId = 0;
  EXPECT_EQ(vurk::AddObj(30, folder, 0, 0, 0, &newId), 0);
  EXPECT_EQ(newId, -150);
  EXPECT_EQ(host.count(kRegister), 1u) << "no registering again";
  EXPECT_EQ(host.count(20102), 1u);
  // -100 is not below -100: the host has forgotten the link.
  host.queue(20102, -100);
  host.queue(20102, 42);
  EXPECT_EQ(vurk::AddObj(30, folder, 0, 0, 0, &newId), 0);
  EXPECT_EQ(newId, 42);
  EXPECT_EQ(host.count(kRegister), 2u);
}

TEST_F(Transport, ATimedRequestAnsweredInTimeGivesOneAndTheAnswer) {
  RecordingHost host;
  host.queue(20401, 1);
  std::int32_t answer = 0;
  EXPECT_EQ(vurk::SetButton(vurk::kButtonQuery, u"", &answer), 1);
  EXPECT_EQ(answer, 1);
  host.queue(20401, -6);
  EXPECT_EQ(vurk::SetButton(vurk::kButtonQuery, u"", &answer), 1) << "a timed send takes the host's value as it is";
  EXPECT_EQ(answer, -6);
  EXPECT_EQ(host.count(kRegister), 1u);
}

TEST_F(Transport, ATimedSetButtonWithoutAnAnswerInTimeGivesZeroButTheHostStillActs) {
  RecordingHost host;
  ASSERT_EQ(vurk::GetMapCenter(), 0);  // registered
  desktop().windows().setLatency(host.window(), 50);
  std::int32_t answer = 99;
  EXPECT_EQ(vurk::SetButton(vurk::kButtonAdd, vurk::kHostButtonLabel, &answer), 0);
  EXPECT_EQ(answer, 99) << "no answer arrived";
  EXPECT_EQ(host.count(20401), 1u) << "the host applied the request all the same";
  EXPECT_EQ(host.count(kRegister), 1u) << "a timeout never registers again";
  desktop().windows().setLatency(host.window(), 0);
  desktop().windows().setHung(host.window(), true);
  EXPECT_EQ(vurk::SetButton(vurk::kButtonAdd, vurk::kHostButtonLabel), 0);
  EXPECT_EQ(vurk::SetLocation(1, 2, 3, 1), 0) << "the timed SetLocation too";
  EXPECT_EQ(host.count(20401), 1u) << "a hung host processes nothing";
}

TEST_F(Transport, TheGenericSenderRefusesALengthAMessageCannotCarry) {
  RecordingHost host;
  const std::uint8_t small[4] = {1, 2, 3, 4};
  EXPECT_EQ(vurk::SendRequest(channel(), 20202, small, 0x100000000ull, nullptr, 0), -4);
  EXPECT_EQ(vurk::SendRequest(channel(), 20202, nullptr, 4, nullptr, 0), -4);
  EXPECT_TRUE(host.requests.empty());
  EXPECT_EQ(vurk::SendRequest(channel(), 20202, small, 4, nullptr, 0), 0);
  EXPECT_EQ(host.last(20202).payload, (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST_F(Transport, AMapFileRequestBeforeTheMainChannelIsRegisteredIsNotSent) {
  RecordingHost host;
  std::vector<std::uint8_t> tile(472, 0xAB);
  std::int32_t raw = 5;
  EXPECT_EQ(vurk::GetMapFile(tile, &raw), -14);
  EXPECT_TRUE(host.requests.empty());
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  host.queue(30003, 3);
  EXPECT_EQ(vurk::GetMapFile(tile, &raw), 0);
  EXPECT_EQ(raw, 3);
  EXPECT_EQ(host.last(30003).link, 1) << "the map-file channel borrowed the main channel's link";
  EXPECT_EQ(vurk::CurrentHostLink()->mapFileChannel().linkId, 1u);
  EXPECT_EQ(host.count(kRegister), 1u);
}

TEST_F(Transport, AMapFileRequestReturnsANegativeRawReplyInsteadOfItsStatus) {
  RecordingHost host;
  ASSERT_EQ(vurk::GetMapCenter(), 0);
  std::vector<std::uint8_t> tile(472, 0);
  host.queue(30003, -7);
  std::int32_t raw = 0;
  EXPECT_EQ(vurk::GetMapFile(tile, &raw), -7);
  host.queue(30003, -1);
  host.queue(30003, -30);
  EXPECT_EQ(vurk::GetMapFile(tile, &raw), -30) << "status 0 after the resend, but the raw reply is negative";
  EXPECT_EQ(vurk::CurrentHostLink()->mapFileChannel().linkId, 2u) << "the map-file channel registered for itself";
  EXPECT_EQ(channel().linkId, 1u) << "the main channel keeps its link";
}

TEST_F(Transport, WithoutAStartedHostLinkNothingIsSent) {
  RecordingHost host;
  vurk::StopHostLink();
  EXPECT_EQ(vurk::GetMapCenter(), -2);
  EXPECT_EQ(vurk::GetStatusInfo(), -2);
  EXPECT_TRUE(host.requests.empty());
  vurk::StartHostLink(u"VurkArxWin");
}

TEST_F(Transport, ThePluginNameIsCutToNinetyNineUnits) {
  vurk::HostLinkRecord r;
  vurk::SetPluginName(r, std::u16string(150, u'n'));
  EXPECT_EQ(vurk::PluginNameOf(r).size(), 99u);
  EXPECT_EQ(r.pluginName[99], u'\0');
  RecordingHost host;
  vurk::RegisterLink(r);
  EXPECT_EQ(host.requests[0].payload.size(), 2u * 99 + 98);
}

}  // namespace
