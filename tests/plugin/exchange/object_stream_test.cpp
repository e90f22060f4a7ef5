// The SetObjTree payload: request head, batch header, entries; growth limits of the stream.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "exchange/object_stream.h"
#include "host/object_stream.h"
#include "host/object_stream_json.h"
#include "plugin/hostlink/recording_host.h"

namespace {

using vurktest::Golden;
using vurktest::ToHex;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::vector<std::uint8_t> bytesOf(const vurk::ObjectStream& s) { return {s.bytes().begin(), s.bytes().end()}; }

TEST(ObjectStream, OneFolderEntryGivesTheLayoutBytes) {
  auto stream = vurk::StartObjectStream(9);
  vurk::FolderRecord folder = vurk::createFolderRecord();
  folder.name = "L1";
  vurk::EntityLink link;
  link.parentFolderId = 12;
  link.entityKey = 0x1234;
  ASSERT_TRUE(vurk::appendEntry(stream, folder, link));
  vurk::FinishObjectStream(stream, 9);
  const auto expected = Golden(80 + 64 + 176, {{0, "65 00"},
                                               {4, "09 00 00 00"},
                                               {16, "f0 00 00 00"},  // 240 entry bytes
                                               {28, "09 00 00 00"},
                                               {80, "b0 00 00 00 1e 00 00 00"},
                                               {92, "0c 00 00 00 34 12 00 00 00 00 00 00"},
                                               {144, "4c 31"},
                                               {144 + 111, "01"}});
  EXPECT_EQ(bytesOf(stream), expected) << ToHex(bytesOf(stream));
  EXPECT_EQ(link.name, u"L1") << "an empty link name takes the record's name";
}

TEST(ObjectStream, AnEmptyStreamHoldsNoEntries) {
  auto stream = vurk::StartObjectStream(3);
  EXPECT_EQ(stream.used(), 80);
  EXPECT_FALSE(vurk::StreamHasEntries(stream));
}

TEST(ObjectStream, TakingTheBytesHandsOverWhatIsUsedAndEmptiesTheStream) {
  auto stream = vurk::StartObjectStream(3);
  const std::uint8_t bytes[] = {1, 2, 3};
  ASSERT_EQ(stream.append(bytes, 3, false), vurk::StreamAppend::Ok);
  const auto before = bytesOf(stream);
  ASSERT_GT(stream.capacity(), stream.used()) << "growth left room the payload must not carry";
  const std::vector<std::uint8_t> taken = stream.take();
  EXPECT_EQ(taken, before);
  EXPECT_EQ(stream.used(), 0);
  EXPECT_EQ(stream.capacity(), 0);
}

TEST(ObjectStream, GrowthIsComputedInSixtyFourBits) {
  EXPECT_EQ(vurk::NextStreamCapacity(0x3FFFFFF0, 0x3FFFFFF0, 0x20), kMax)
      << "(used + n) x 2 + 10 passes INT32_MAX and is capped there";
  EXPECT_EQ(vurk::NextStreamCapacity(80, 100, 20), 100) << "fits: no growth";
  EXPECT_EQ(vurk::NextStreamCapacity(80, 100, 21), (80 + 21) * 2 + 10);
  EXPECT_FALSE(vurk::NextStreamCapacity(80, 100, kMax)) << "used + n passes INT32_MAX";
  EXPECT_FALSE(vurk::NextStreamCapacity(80, 100, -1));
  EXPECT_EQ(vurk::NextStreamCapacity(0, 0, kMax), kMax) << "exactly INT32_MAX still fits";
}

TEST(ObjectStream, RefusedAppendLeavesTheStreamAsItWas) {
  auto stream = vurk::StartObjectStream(3);
  const auto before = bytesOf(stream);
  const std::uint8_t byte = 7;
  // The refusal comes before anything is read from the bytes.
  EXPECT_EQ(stream.append(&byte, kMax, false), vurk::StreamAppend::Refused);
  EXPECT_EQ(stream.append(&byte, -5, false), vurk::StreamAppend::Refused);
  EXPECT_EQ(bytesOf(stream), before);
  EXPECT_EQ(stream.failure(), u"系统内存不足！");
}

TEST(ObjectStream, TheHostReadsWhatThePluginWrites) {
  auto stream = vurk::StartObjectStream(5);
  vurk::EntityLink folderLink;
  folderLink.parentFolderId = 5;
  vurk::FolderRecord group = vurk::createFolderRecord();
  group.name = "BLOCK";
  group.childCount = 1;
  group.isGroup = 1;
  ASSERT_TRUE(vurk::appendEntry(stream, group, folderLink));
  auto line = vurk::createLineRecord(2);
  line.vertices[0] = {10.0, 20.0, 3, 0.25};
  line.vertices[1] = {11.0, 21.0, 0, 0.0};
  line.sourceKind = 5;
  line.text = "note";
  vurk::EntityLink lineLink;
  lineLink.mapObjectId = 42;
  ASSERT_TRUE(vurk::appendEntry(stream, line, lineLink));
  vurk::FinishObjectStream(stream, 5);

  std::string why;
  const auto view = host::readObjectStream(stream.bytes(), &why);
  ASSERT_TRUE(view) << why;
  ASSERT_EQ(view->entries.size(), 2u);
  EXPECT_EQ(view->documentFolder, 5u);
  EXPECT_EQ(view->entries[1].group, 0u) << "the line belongs to the group folder";
  EXPECT_EQ(view->entries[1].mapObjectId, 42);
  const std::string json = host::objectStreamJson(*view);
  EXPECT_NE(json.find("\"sourceKind\": 5"), std::string::npos) << json;
  EXPECT_NE(json.find("\"bulge\": 0.25"), std::string::npos) << json;
  EXPECT_NE(json.find("\"text\": \"note\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"isGroup\": 1"), std::string::npos) << json;
}

}  // namespace
