// Result buffers: a new buffer is empty and releasing it frees its string.
#include <gtest/gtest.h>

#include <string>

#include "arx/adsdef.h"

namespace {

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
