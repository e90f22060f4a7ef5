// The desk's send verb on a drawing of the examples: what reaches the host, and the clear
// failures of a wrong coordinate system or a bad argument.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "send_command.h"
#include "support/temp_folder.h"

namespace {

const std::string kSitePlan = std::string(VURKARX_EXAMPLES_DIR) + "/site_plan.dxf";

TEST(SendCommand, SendsTheWholeDrawingAndWritesTheHostsGeoJson) {
  vurktest::TempFolder dir;
  const std::string geojson = (dir.path() / "map.geojson").string();
  std::ostringstream out, err;
  ASSERT_EQ(desk::runSendCommand({kSitePlan, "--out", geojson}, out, err), 0) << err.str();
  // site_plan.dxf has 11 entities on 4 layers: the workspace, the drawing and 4 layer folders
  // at least, and an object for every entity but what a point set or a label's icon joins.
  const std::string line = out.str();
  ASSERT_EQ(line.rfind("sent\tentities 11\tobjects ", 0), 0u) << line;
  std::ifstream f(geojson);
  std::stringstream text;
  text << f.rdbuf();
  EXPECT_NE(text.str().find("\"FeatureCollection\""), std::string::npos);
  EXPECT_NE(text.str().find("CAD工作空间/site_plan.dxf/"), std::string::npos) << "features carry their folder path";
}

TEST(SendCommand, ACoordinateSystemThatDoesNotFitTheDrawingFailsWithTheQuestion) {
  std::ostringstream out, err;
  EXPECT_EQ(desk::runSendCommand({kSitePlan, "--coords", "gk 3 38 zone-in-easting"}, out, err), 1);
  EXPECT_TRUE(out.str().empty());
  const std::string message = err.str();
  EXPECT_NE(message.find("是否取消操作"), std::string::npos) << message;
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "one line";
}

TEST(SendCommand, BadArgumentsAndMissingFilesAreOneLineErrors) {
  std::ostringstream out, err;
  EXPECT_EQ(desk::runSendCommand({}, out, err), 2);
  EXPECT_EQ(desk::runSendCommand({kSitePlan, "--coords"}, out, err), 2);
  EXPECT_EQ(desk::runSendCommand({kSitePlan, "--coords", "mercator"}, out, err), 1);
  EXPECT_EQ(desk::runSendCommand({"/no/such/drawing.dxf"}, out, err), 1);
  EXPECT_TRUE(out.str().empty());
  const std::string lines = err.str();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 4) << lines;
}

}  // namespace
