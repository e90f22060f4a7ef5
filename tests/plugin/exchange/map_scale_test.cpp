// The map scale of a send, asked of the running host.
#include <gtest/gtest.h>

#include <cmath>

#include "exchange/map_scale.h"
#include "plugin/shell/plugin_session.h"

namespace {

TEST(MapScale, TheHostGivesTheResolutionOfLevel19AtItsCentre) {
  vurktest::PluginSession s{true};
  ASSERT_TRUE(s.steps("plugin load"));
  const double scale = vurk::RequestMapScale();
  EXPECT_TRUE(std::isfinite(scale));
  EXPECT_GT(scale, 0.0);
  EXPECT_LT(scale, 10.0) << "level 19 shows well under 10 drawing units per pixel";
}

TEST(MapScale, UnknownWhenTheHostIsGone) {
  vurktest::PluginSession s{true};
  ASSERT_TRUE(s.steps("plugin load\nhost stop"));
  EXPECT_EQ(vurk::RequestMapScale(), 0.0);
}

TEST(MapScale, UnknownWithoutAHostLink) { EXPECT_EQ(vurk::RequestMapScale(), 0.0); }

}  // namespace
