// The host's byte reader and writer, and the consistency of its layout tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "host/byte_reader.h"
#include "host/byte_writer.h"
#include "host/field_table.h"

namespace {

TEST(ByteReader, ReadsLittleEndianAndRefusesEveryReadPastTheEnd) {
  const std::vector<std::uint8_t> b{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0xFF};
  const host::ByteReader r(b);
  EXPECT_EQ(*r.u16(0), 0x0201);
  EXPECT_EQ(*r.u32(1), 0x05040302u);
  EXPECT_EQ(*r.u64(0), 0x0807060504030201ull);
  EXPECT_EQ(*r.i32(5), static_cast<std::int32_t>(0xFF080706u));
  EXPECT_FALSE(r.u32(6).has_value()) << "6 + 4 > 9";
  EXPECT_FALSE(r.u64(2).has_value());
  EXPECT_FALSE(r.u8(9).has_value());
  EXPECT_FALSE(r.u8(SIZE_MAX).has_value()) << "no wrap-around";
  EXPECT_FALSE(r.slice(8, 2).has_value());
  EXPECT_TRUE(r.slice(9, 0).has_value());
}

TEST(ByteReader, F64IsTheIeeeDoubleOfItsEightBytes) {
  // 30.5 = 0x403E800000000000.
  const std::vector<std::uint8_t> b{0, 0, 0, 0, 0, 0x80, 0x3E, 0x40};
  EXPECT_EQ(*host::ByteReader(b).f64(0), 30.5);
}

TEST(ByteReader, CountsAreCheckedIn64Bits) {
  const std::vector<std::uint8_t> b(500, 0);
  const host::ByteReader r(b);
  EXPECT_FALSE(r.fitsCount(480, 0x01000000u, 248)) << "would wrap as a 32-bit product";
  EXPECT_FALSE(r.fitsCount(96, 0xFFFFFFFFu, 384));
  EXPECT_TRUE(r.fitsCount(96, 1, 384));
  EXPECT_FALSE(r.fitsCount(96, 2, 384));
  EXPECT_FALSE(r.fitsCount(501, 0, 1)) << "an offset past the end";
}

TEST(ByteReader, StringsEndAtNulFieldOrBlock) {
  const std::vector<std::uint8_t> b{'a', 'b', 0, 'c', 'd', 'e'};
  const host::ByteReader r(b);
  EXPECT_EQ(r.nulTerminated(0, 100), "ab");
  EXPECT_EQ(r.nulTerminated(3, 100), "cde") << "no NUL: up to the end of the block";
  EXPECT_EQ(r.nulTerminated(3, 2), "cd") << "no NUL: up to the end of the field";
  EXPECT_EQ(r.nulTerminated(7, 2), "");
  const std::vector<std::uint8_t> w{'H', 0, 'i', 0, 0, 0, 'x'};
  EXPECT_EQ(*host::ByteReader(w).utf16Terminated(0), u"Hi");
  EXPECT_FALSE(host::ByteReader(std::vector<std::uint8_t>{'H', 0, 'i', 0, 0}).utf16Terminated(0).has_value())
      << "half a NUL unit is no terminator";
}

TEST(ByteWriter, CutsTextAtTheLastWholeCharacterThatFits) {
  // "a" and 85 three-byte characters is 256 bytes; a 256-byte field holds 255 and a NUL.
  std::string label = "a";
  for (int i = 0; i < 85; ++i) label += "图";
  host::ByteWriter w(256);
  EXPECT_EQ(w.text(0, label, 256), 253u);
  EXPECT_EQ(w.bytes()[253], 0);
  EXPECT_EQ(host::utf8PrefixLength("\xE5\x9B", 10), 0u) << "a cut character is dropped";
  EXPECT_EQ(host::utf8PrefixLength("ab\xFF" "cd", 10), 2u) << "stops before a malformed byte";
}

TEST(LayoutTables, FieldsAreSortedDisjointAndInsideTheirBlock) {
  for (const host::LayoutTable& t : host::fields::kAllLayouts) {
    std::size_t end = 0;
    for (const host::FieldSpec& f : t.fields) {
      EXPECT_GE(f.offset, end) << t.name << "." << f.name << " overlaps the field before it";
      end = f.offset + host::fieldWidth(f);
      EXPECT_LE(end, t.blockSize) << t.name << "." << f.name << " lies outside the block";
      EXPECT_GT(host::fieldWidth(f), 0u) << t.name << "." << f.name;
    }
  }
}

TEST(LayoutTables, TheDocumentedOffsetsOfTheMainFields) {
  namespace L = host::layout;
  // Offsets as the protocol documents them; a slip in a constant shows here by name.
  EXPECT_EQ(L::set_location::kLevel, 28u);
  EXPECT_EQ(L::map_view_record::kLevel, 44u);
  EXPECT_EQ(L::map_view_record::kTileFormat, 64u);
  EXPECT_EQ(L::search_record::kName, 28u);
  EXPECT_EQ(L::search_answer::kFoundId, 532u);
  EXPECT_EQ(L::sys_coor::kName, 72u);
  EXPECT_EQ(L::set_button::kLabel, 24u);
  EXPECT_EQ(L::contour_request::kLinkNumber, 108u);
  EXPECT_EQ(L::pattern_list::kLineCount, 332u);
  EXPECT_EQ(L::object_header::kEntityKey, 16u);
  EXPECT_EQ(L::folder_record::kIsGroup, 115u);
}

}  // namespace
