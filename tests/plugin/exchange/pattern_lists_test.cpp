// The pattern lists of a send against the running host: its list is fetched once, custom
// patterns are given to it at the end of the send and known from then on.
#include <gtest/gtest.h>

#include "arx/dbhatch.h"
#include "exchange/pattern_lists.h"
#include "plugin/shell/plugin_session.h"

namespace {

TEST(PatternLists, HostPatternsAreFoundAndCustomOnesAreGivenToTheHost) {
  vurktest::PluginSession s{true};
  ASSERT_TRUE(s.steps("plugin load"));
  vurk::PatternLists lists;
  ASSERT_NE(lists.hostList(), nullptr);
  EXPECT_TRUE(lists.idOfName("ANSI31").has_value());
  EXPECT_FALSE(lists.idOfName("BRICK").has_value());

  AcDbHatch hatch;
  ASSERT_EQ(hatch.setPattern(AcDbHatch::kPreDefined, u"BRICK"), Acad::eOk);
  const std::uint32_t id = lists.registerCustomPattern(vurk::CustomPatternOf(hatch));
  EXPECT_EQ(lists.registerCustomPattern(vurk::CustomPatternOf(hatch)), id) << "the same lines give the same id once";
  EXPECT_EQ(lists.newPatterns().entries.size(), 1u);
  EXPECT_GE(lists.endOfSend(), 0);
  EXPECT_TRUE(lists.newPatterns().entries.empty()) << "both lists are forgotten after the send";

  vurk::PatternLists next;
  const vurk::HostPattern* known = next.patternOfId(id);
  ASSERT_NE(known, nullptr) << "the host keeps the custom pattern";
  EXPECT_EQ(known->name(), "BRICK");
  EXPECT_EQ(known->lineCount(), static_cast<std::size_t>(hatch.numPatternDefinitions()));
}

TEST(PatternLists, WithoutAHostEveryNameIsUnknown) {
  vurk::PatternLists lists;
  EXPECT_EQ(lists.hostList(), nullptr);
  EXPECT_FALSE(lists.idOfName("ANSI31").has_value());
}

}  // namespace
