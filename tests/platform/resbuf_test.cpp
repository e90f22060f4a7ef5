// Result buffers: the value member chosen by the group code, list building and release.
#include <gtest/gtest.h>

#include <string>

#include "arx/adsdef.h"

namespace {

TEST(ResultBuffers, BuildListTypesValuesByGroupCode) {
  ads_point pt = {1.0, 2.0, 3.0};
  ads_name name = {0x1234, 0x99};
  resbuf* rb = acutBuildList(RTDXF0, u"LINE", 8, u"Roads", 10, pt, 40, 2.5, 62, 3, 90, 70000, 160,
                             static_cast<long long>(1) << 40, 330, name, 1071, 123456, RTSTR, u"s", RTSHORT, 5003,
                             RTNONE);
  ASSERT_NE(rb, nullptr);
  resbuf* p = rb;
  EXPECT_EQ(std::u16string(p->resval.rstring), u"LINE");
  p = p->rbnext;
  EXPECT_EQ(std::u16string(p->resval.rstring), u"Roads");
  p = p->rbnext;
  EXPECT_EQ(p->restype, 10);
  EXPECT_DOUBLE_EQ(p->resval.rpoint[2], 3.0);
  p = p->rbnext;
  EXPECT_DOUBLE_EQ(p->resval.rreal, 2.5);
  p = p->rbnext;
  EXPECT_EQ(p->resval.rint, 3);
  p = p->rbnext;
  EXPECT_EQ(p->resval.rlong, 70000) << "90-99 are 32-bit integers";
  p = p->rbnext;
  EXPECT_EQ(p->resval.mnInt64, static_cast<std::int64_t>(1) << 40);
  p = p->rbnext;
  EXPECT_EQ(p->resval.rlname[0], 0x1234);
  EXPECT_EQ(p->resval.rlname[1], 0x99);
  p = p->rbnext;
  EXPECT_EQ(p->resval.rlong, 123456);
  p = p->rbnext;
  EXPECT_EQ(std::u16string(p->resval.rstring), u"s");
  p = p->rbnext;
  EXPECT_EQ(p->restype, RTSHORT);
  EXPECT_EQ(p->resval.rint, 5003);
  EXPECT_EQ(p->rbnext, nullptr);
  EXPECT_EQ(acutRelRb(rb), RTNORM);
}

TEST(ResultBuffers, ZeroEndsTheListLikeRtnone) {
  resbuf* rb = acutBuildList(1, u"a", 0, 1, u"never read");
  ASSERT_NE(rb, nullptr);
  EXPECT_EQ(rb->rbnext, nullptr);
  acutRelRb(rb);
  EXPECT_EQ(acutBuildList(RTNONE), nullptr);
}

TEST(ResultBuffers, AnUnknownTypeGivesNoListAndLeaksNothing) {
  EXPECT_EQ(acutBuildList(1, u"a", 90, 1, 4242, 1.0, RTNONE), nullptr);
  EXPECT_EQ(acutBuildList(310, nullptr, RTNONE), nullptr) << "binary chunks cannot be built here";
}

TEST(ResultBuffers, NewBufferIsZeroedAndReleaseFreesItsString) {
  resbuf* rb = acutNewRb(RTSTR);
  ASSERT_NE(rb, nullptr);
  EXPECT_EQ(rb->restype, RTSTR);
  EXPECT_EQ(rb->rbnext, nullptr);
  EXPECT_EQ(rb->resval.rstring, nullptr);
  // Strings in buffers are malloc'ed; acutRelRb frees them (the sanitizer build checks it).
  rb->resval.rstring = static_cast<ACHAR*>(std::malloc(4 * sizeof(ACHAR)));
  rb->resval.rstring[0] = u'a';
  rb->resval.rstring[1] = 0;
  EXPECT_EQ(acutRelRb(rb), RTNORM);
  EXPECT_EQ(acutRelRb(nullptr), RTNORM);
}

}  // namespace
