// The desk's steps for the host's map objects: drawing into folders, selecting by name, id or
// folder, the GeoJSON file and the switch for group-folder headers; wrong steps stop the
// scenario with a reason.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "desk_session.h"
#include "host/host_app.h"
#include "host/json_reader.h"
#include "scenario.h"
#include "support/temp_folder.h"

namespace {

class HostObjectSteps : public ::testing::Test {
 protected:
  HostObjectSteps() : session_(sandbox_.path() / "desk", out_) {
    session_.setOutputFolder(sandbox_.path() / "out");
  }
  // Runs scenario lines; false with the reason of the first step that failed.
  bool steps(const std::string& text, std::string& reason) {
    desk::Scenario s;
    std::string error;
    if (!desk::parseScenario(text, s, error)) {
      reason = error;
      return false;
    }
    for (const desk::Step& step : s.steps) {
      if (!session_.run(step, reason)) return false;
    }
    return true;
  }
  vurktest::TempFolder sandbox_;
  std::ostringstream out_;
  desk::DeskSession session_;
};

TEST_F(HostObjectSteps, TheUserDrawsSelectsAndExports) {
  std::string reason;
  ASSERT_TRUE(steps("host start\n"
                    "host add mark 井 114.55,30.55 text 水井 in 星衡/点\n"
                    "host add line 路 114.5,30.5 114.6,30.5 in 星衡\n"
                    "host add circle 圆 114.5,30.5 100\n"
                    "host select folder 星衡\n",
                    reason))
      << reason;
  host::HostApp& host = *session_.hostApp();
  const auto star = host.folderAt("星衡", false);
  ASSERT_TRUE(star.has_value());
  EXPECT_EQ(host.selection(), std::vector<std::int32_t>{*star});
  const auto road = host.findObjects("路");
  ASSERT_EQ(road.size(), 1u);
  ASSERT_TRUE(steps("host select 圆 " + std::to_string(road[0]) + "\n", reason)) << reason;
  ASSERT_EQ(host.selection().size(), 2u);
  EXPECT_EQ(host.objects().find(host.selection()[0])->name, "圆");
  EXPECT_EQ(host.selection()[1], road[0]);
  ASSERT_TRUE(steps("host select none\nhost geojson map.geojson\n", reason)) << reason;
  EXPECT_TRUE(host.selection().empty());

  std::ifstream f(sandbox_.path() / "out" / "map.geojson", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const auto doc = hosttest::JsonReader::parse(text);
  ASSERT_TRUE(doc.has_value()) << text;
  ASSERT_EQ((*doc)["features"].size(), 3u);
  const auto& well = (*doc)["features"][0];
  EXPECT_EQ(well["properties"]["name"].string, "井");
  EXPECT_EQ(well["properties"]["description"].string, "水井");
  EXPECT_EQ(well["properties"]["folder"].string, "星衡/点");
  EXPECT_EQ(well["geometry"]["coordinates"][0].number, 114.55) << "the geographic system keeps the degrees as given";
}

TEST_F(HostObjectSteps, TheGroupHeaderSwitch) {
  std::string reason;
  ASSERT_TRUE(steps("host start\nhost set group-headers off\n", reason)) << reason;
  EXPECT_FALSE(session_.hostApp()->options().answerGroupEntries);
  ASSERT_TRUE(steps("host set group-headers on\n", reason)) << reason;
  EXPECT_TRUE(session_.hostApp()->options().answerGroupEntries);
  EXPECT_FALSE(steps("host set group-headers maybe\n", reason));
}

TEST_F(HostObjectSteps, WrongStepsStopWithAReason) {
  std::string reason;
  ASSERT_TRUE(steps("host start\nhost add mark 井 114.55,30.55\n", reason)) << reason;
  const std::size_t before = session_.hostApp()->objects().size();
  EXPECT_FALSE(steps("host add line 路 114.5,30.5\n", reason));
  EXPECT_NE(reason.find("cannot draw 路"), std::string::npos) << reason;
  EXPECT_FALSE(steps("host add mark m 114.5;30.5\n", reason));
  EXPECT_NE(reason.find("not a longitude,latitude"), std::string::npos) << reason;
  EXPECT_FALSE(steps("host add hexagon h 114.5,30.5\n", reason));
  EXPECT_FALSE(steps("host add circle c 114.5,30.5 -5\n", reason));
  EXPECT_EQ(session_.hostApp()->objects().size(), before) << "nothing drawn by a wrong step";
  session_.hostApp()->setSelection({1});
  EXPECT_FALSE(steps("host select 井 无此对象\n", reason));
  EXPECT_EQ(session_.hostApp()->selection(), std::vector<std::int32_t>{1}) << "the selection is kept";
  EXPECT_FALSE(steps("host select folder 无此目录\n", reason));
  EXPECT_NE(reason.find("no folder"), std::string::npos) << reason;
}

}  // namespace
