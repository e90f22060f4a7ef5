#include <gtest/gtest.h>

#include <string>

#include "util/hash.h"
#include "util/md5.h"

namespace {

using vurk::md5;
using vurk::md5Hex;

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, Rfc1321TestSuite) {
  EXPECT_EQ(md5Hex(md5("")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5Hex(md5("a")), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(md5Hex(md5("abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5Hex(md5("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(md5Hex(md5("abcdefghijklmnopqrstuvwxyz")), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(md5Hex(md5("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(md5Hex(md5("1234567890123456789012345678901234567890"
                       "1234567890123456789012345678901234567890")),
            "57edf4a22be3c955ac49da2e2107b67a");
}

// Lengths around the padding boundary (55 bytes fit one block with the length, 56 need a
// second block) and around whole blocks. Expected digests from `head -c N /dev/zero |
// tr '\0' a | md5sum`.
TEST(Md5, PaddingBoundaries) {
  const struct {
    std::size_t length;
    const char* digest;
  } cases[] = {
      {55, "ef1772b6dff9a122358552954ad0df65"},  {56, "3b0c8ac703f828b04c6c197006d17218"},
      {63, "b06521f39153d618550606be297466d5"},  {64, "014842d480b571495a4a0363793f7367"},
      {65, "c743a45e0d2e6a95cb859adae0248435"},  {119, "8a7bd0732ed6a28ce75f6dabc90e1613"},
      {120, "5f61c0ccad4cac44c75ff505e1f1e537"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(md5Hex(md5(std::string(c.length, 'a'))), c.digest) << c.length << " bytes";
  }
}

// One million 'a' fed in uneven pieces, so that pieces start and end inside blocks, fill a
// partial block exactly and span several blocks. The digest is the published value for this
// message.
TEST(Md5, MillionBytesStreamedInUnevenPieces) {
  const std::string chunk(997, 'a');
  vurk::Md5 m;
  std::size_t left = 1000000;
  std::size_t piece = 1;
  while (left > 0) {
    const std::size_t n = std::min({piece, left, chunk.size()});
    m.update(chunk.data(), n);
    left -= n;
    piece = piece * 3 + 1;  // 1, 4, 13, 40, 121, 364, then whole chunks
  }
  EXPECT_EQ(md5Hex(m.final()), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, FinalIsStableAndLaterUpdatesAreIgnored) {
  vurk::Md5 m;
  m.update("abc");
  const auto first = m.final();
  m.update("more text");
  EXPECT_EQ(m.final(), first);
  EXPECT_EQ(md5Hex(first), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Hash31, FirstFourDigestBytesLittleEndianWithoutBit31) {
  // MD5("abc") starts 90 01 50 98: little-endian 0x98500190, bit 31 cleared.
  EXPECT_EQ(vurk::Hash31("abc", 3), 0x18500190u);
  // MD5("") starts d4 1d 8c d9: 0xd98c1dd4 without bit 31.
  EXPECT_EQ(vurk::Hash31("", 0), 0x598c1dd4u);
  // MD5("a") starts 0c c1 75 b9: 0xb975c10c without bit 31.
  EXPECT_EQ(vurk::Hash31("a", 1), 0x3975c10cu);
}

TEST(PathKey, AnsiBytesGiveFirstEightDigestBytesWithoutBit63) {
  // MD5("abc") = 90 01 50 98 3c d2 4f b0 ...: 0xb04fd23c98500190 without bit 63.
  EXPECT_EQ(vurk::PathKeyOfAnsi("abc"), 0x304fd23c98500190ull);
  // MD5("message digest") = f9 6b 69 7d 7c b7 93 8d ...: 0x8d93b77c7d696bf9 without bit 63.
  EXPECT_EQ(vurk::PathKeyOfAnsi("message digest"), 0x0d93b77c7d696bf9ull);
}

}  // namespace
