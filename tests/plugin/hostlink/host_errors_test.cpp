// What the user sees of a failed request and of a generation result.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host_link_fixture.h"
#include "hostlink/host_errors.h"

namespace {

class HostErrors : public vurktest::HostLinkFixture {};

TEST_F(HostErrors, EachStatusWithATextIsShownAfterThePrefixOnTheCommandLine) {
  const std::vector<std::pair<int, std::string>> rows = {{-1, "没有找到星衡地图程序窗口"},
                                                         {-2, "向星衡地图程序注册失败"},
                                                         {-3, "星衡地图程序版本太低"},
                                                         {-4, "参数非法"},
                                                         {-6, "消息处理失败"},
                                                         {-14, "该操作没有权限"}};
  std::string expected;
  for (const auto& [code, text] : rows) {
    vurk::ShowHostError(code, u"GetObjTreeErr:", false);
    expected += "GetObjTreeErr:\n" + text;
  }
  EXPECT_EQ(commandLine(), expected);
  EXPECT_TRUE(user().boxes().empty());
}

TEST_F(HostErrors, RefusalsWithoutATextShowThePrefixAlone) {
  for (int code : {-5, -7, -8, -10, -13, -99, -2147483647 - 1}) vurk::ShowHostError(code, u"SrhVurkObjErr:", false);
  std::string expected;
  for (int i = 0; i < 7; ++i) expected += "SrhVurkObjErr:\n";
  EXPECT_EQ(commandLine(), expected);
}

TEST_F(HostErrors, InAMessageBoxThePrefixIsFollowedDirectlyByTheText) {
  user().queueAnswer(IDOK);
  user().queueAnswer(IDOK);
  user().queueAnswer(IDOK);
  vurk::ShowHostError(-6, u"GetStatusInfoErr:", true);
  vurk::ShowHostError(-7, u"GetVurkContourErr:", true);
  vurk::ShowHostError(-4, u"", true);
  EXPECT_EQ(boxTexts(), (std::vector<std::string>{"GetStatusInfoErr:消息处理失败", "GetVurkContourErr:", "参数非法"}));
  for (const auto& b : user().boxes()) EXPECT_EQ(b.type & MB_TYPEMASK, MB_OK);
  EXPECT_EQ(commandLine(), "");
}

TEST_F(HostErrors, SuccessShowsNothingAndTheNumberIsNeverShown) {
  vurk::ShowHostError(0, u"X:", false);
  vurk::ShowHostError(12, u"X:", true);
  EXPECT_EQ(commandLine(), "");
  EXPECT_TRUE(user().boxes().empty());
  vurk::ShowHostError(-14, u"X:", false);
  EXPECT_EQ(commandLine().find("14"), std::string::npos);
}

TEST(GenerationResult, NegativeCodesBecomeTheirLines) {
  const std::vector<std::pair<int, std::u16string>> rows = {
      {-101, u"\n坐标系设置错误(或位置偏差过大)！"},
      {-103, u"\n地图尺寸太大！"},
      {-104, u"\n地图像素太高！"},
      {-105, u"\n创建地图失败！"},
      {-106, u"\n地图扭曲太大！请纠正位置或重新设置平面坐标系。"},
      {-5, u"\n内存异常！"},
      {-4, u"\n参数错误！"},
      {-3, u"\n坐标系错误！"},
      {-1, u""},
      {-2, u""},
      {-7, u""},
      {-102, u""},
      {-999, u"\n其他错误！"},
      {-6, u"\n其他错误！"},
      {-100, u"\n其他错误！"},
      {0, u""},
      {3, u""}};
  for (const auto& [code, text] : rows) EXPECT_EQ(vurk::GenerationResultText(code), text) << code;
}

}  // namespace
