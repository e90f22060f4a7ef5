// The host's reading of every record kind by field name, and its JSON dump of a stream: the
// independent check of what the plug-in sends (bodies built here from the documented offsets).
#include <gtest/gtest.h>

#include <map>
#include <variant>

#include "host/object_stream.h"
#include "host/object_stream_json.h"
#include "object_payloads.h"

namespace {

using hosttest::Payload;

std::map<std::string, host::FieldValue> byName(host::RecordKind kind, const std::vector<std::uint8_t>& body) {
  std::map<std::string, host::FieldValue> out;
  for (const auto& f : host::recordFields(kind, body)) out[f.name] = f.value;
  return out;
}

TEST(RecordFields, MarkFieldsByName) {
  Payload p(420);
  p.text(0, "M").f64(112, 2.5).f64(120, 10).u8(128, 2).i32(132, -3).u32(144, 4).u32(148, 0xFF).u8(153, 3)
      .u8(260, 1).u8(262, 20).u8(265, 17).i32(268, 35).u32(272, 0xFF00).u8(376, 1).u8(377, 7);
  const float rotation = 45.0f;
  std::vector<std::uint8_t> body = p.bytes();
  std::memcpy(body.data() + 280, &rotation, 4);
  const auto f = byName(host::RecordKind::Mark, body);
  EXPECT_EQ(std::get<std::string>(f.at("name")), "M");
  EXPECT_EQ(std::get<double>(f.at("north")), 2.5);
  EXPECT_EQ(std::get<std::int64_t>(f.at("altitude")), -3);
  EXPECT_EQ(std::get<std::uint64_t>(f.at("sourceKind")), 3u);
  EXPECT_EQ(std::get<std::int64_t>(f.at("fontSize")), 35);
  EXPECT_EQ(std::get<double>(f.at("rotation")), 45.0);
  EXPECT_EQ(std::get<std::uint64_t>(f.at("attachment")), 7u);
  EXPECT_EQ(std::get<std::uint64_t>(f.at("textColour")), 0xFF00u);
}

TEST(RecordFields, LineAndAreaFieldsDivergeFrom128On) {
  Payload line(208);
  line.u32(144, 0x123456).u32(148, 250).u8(152, 80).u8(153, 5).u8(154, 3).u8(156, 1);
  const auto l = byName(host::RecordKind::Line, line.bytes());
  EXPECT_EQ(std::get<std::uint64_t>(l.at("colour")), 0x123456u);
  EXPECT_EQ(std::get<std::uint64_t>(l.at("lineWidth")), 250u);
  EXPECT_EQ(std::get<std::uint64_t>(l.at("closed")), 1u);
  Payload area(208);
  area.f64(136, 360).u8(144, 1).u8(145, 40).u8(146, 60).u16(150, 2).u32(152, 0xAA).u32(156, 0xBB).u32(160, 3)
      .u32(168, 77).f64(184, 1.5).f64(192, -2);
  const auto a = byName(host::RecordKind::Area, area.bytes());
  EXPECT_EQ(std::get<double>(a.at("endAngle")), 360.0);
  EXPECT_EQ(std::get<std::uint64_t>(a.at("lineOpacity")), 40u);
  EXPECT_EQ(std::get<std::uint64_t>(a.at("outerRingCount")), 2u);
  EXPECT_EQ(std::get<std::uint64_t>(a.at("fillColour")), 0xBBu);
  EXPECT_EQ(std::get<std::uint64_t>(a.at("patternId")), 77u);
  EXPECT_EQ(std::get<double>(a.at("originY")), -2.0);
  EXPECT_EQ(a.count("lineWidth"), 0u) << "an area has no line width";
}

TEST(RecordFields, StreamDumpHasHeadersFieldsTextAndVertices) {
  std::vector<std::uint8_t> line = hosttest::lineBody("L", "note", {{1.0, 2.0}, {3.0, 4.0}});
  Payload bulge(8);
  bulge.f64(0, 0.5);
  std::copy(bulge.bytes().begin(), bulge.bytes().end(), line.begin() + 208 + 24);
  const auto bytes = hosttest::stream(9, {{30, 5, 9, 0x77, hosttest::folderBody("G", 1, true)},
                                          {8, 0, 0, 0, line},
                                          {7, 0, 9, 0x78, hosttest::markBody("P", 5, 6, "")}})
                         .bytes();
  std::string why;
  const auto view = host::readObjectStream(bytes, &why);
  ASSERT_TRUE(view) << why;
  const std::string json = host::objectStreamJson(*view);
  for (const char* piece : {"\"mapObjectId\": 5", "\"entityKey\": 119", "\"isGroup\": 1", "\"group\": 0",
                            "\"text\": \"note\"", "\"bulge\": 0.5", "\"east\": 3", "\"north\": 4", "\"kind\": \"mark\""}) {
    EXPECT_NE(json.find(piece), std::string::npos) << piece << "\n" << json;
  }
}

}  // namespace
