#include <gtest/gtest.h>

#include "util/hash.h"
#include "util_sandbox.h"

namespace {

using PathKeyOnDesktop = vurktest::UtilSandbox;

TEST_F(PathKeyOnDesktop, ChinesePathIsHashedOnItsCp936Bytes) {
  desktop().setAnsiCodePage(936);
  // Expected value from the shell:
  //   printf 'D:\\地图\\工程.dwg' | iconv -f UTF-8 -t CP936 | md5sum
  //   -> 84894a99570b975fcf383cb71abf9192
  // First eight bytes little-endian: 0x5f970b57994a8984 (bit 63 already clear);
  //   printf '%d\n' 0x5f970b57994a8984 -> 6887986625948322180
  EXPECT_EQ(vurk::PathKey(u"D:\\\u5730\u56FE\\\u5DE5\u7A0B.dwg"), 6887986625948322180ull);
  // The UTF-8 bytes of the same path would give another key (md5sum of the UTF-8 text:
  // 4ddc4e0de1201bef... -> 0x6f1b20e10d4edc4d | bit 63 clear = 8006028913544191053).
  EXPECT_NE(vurk::PathKey(u"D:\\\u5730\u56FE\\\u5DE5\u7A0B.dwg"), 8006028913544191053ull);
}

TEST_F(PathKeyOnDesktop, KeyFollowsTheDesktopsAnsiCodePage) {
  // printf 'C:\\café.dwg' | iconv -f UTF-8 -t CP1252 | md5sum -> e83fabea38ce8e9b...
  // 0x9b8ece38eaab3fe8 without bit 63 = 0x1b8ece38eaab3fe8 = 1985751229567549416.
  desktop().setAnsiCodePage(1252);
  EXPECT_EQ(vurk::PathKey(u"C:\\caf\u00E9.dwg"), 1985751229567549416ull);
  desktop().setAnsiCodePage(936);  // "é" is A8 A6 in CP936: other bytes, other key
  EXPECT_NE(vurk::PathKey(u"C:\\caf\u00E9.dwg"), 1985751229567549416ull);
}

}  // namespace
