// The object tree: AddObj, GetObjList, GetObj, SrhObj, DelObj, SetObjTree and GetObjTree.
#include "host_fixture.h"
#include "object_payloads.h"

namespace hosttest {
namespace {

struct ListEntry {
  std::uint32_t id;
  std::uint32_t kind;
  std::string name;
  bool operator==(const ListEntry&) const = default;
};

std::vector<ListEntry> listEntries(const std::vector<std::uint8_t>& b) {
  std::vector<ListEntry> out;
  for (std::size_t at = 16; at + 108 <= b.size(); at += 108) out.push_back({u32At(b, at), u32At(b, at + 4), cString(b, at + 8, 100)});
  return out;
}

class ObjectRequestsTest : public LinkedHostTest {
 protected:
  LRESULT addFolder(const std::string& name, std::uint32_t parent) {
    return request(link_, kAddObj, addObj(30, parent, folderBody(name)));
  }
  std::vector<ListEntry> list(std::uint32_t folder) {
    EXPECT_EQ(request(link_, kGetObjList, head(0, folder)), 0);
    const auto all = received(20100);
    return all.empty() ? std::vector<ListEntry>() : listEntries(all.back().bytes);
  }
};

TEST_F(ObjectRequestsTest, AddObjCreatesFoldersThatGetObjListShows) {
  EXPECT_EQ(addFolder("CAD工作空间", 1), 101);
  EXPECT_EQ(addFolder("drawing1.dwg", 101), 102);
  EXPECT_EQ(addFolder("图层0", 102), 103);
  EXPECT_EQ(list(1), (std::vector<ListEntry>{{101, 30, "CAD工作空间"}}));
  EXPECT_EQ(list(101), (std::vector<ListEntry>{{102, 30, "drawing1.dwg"}}));
  const auto b = lastBytes(20100);
  EXPECT_EQ(b.size(), 16u + 108u);
  EXPECT_EQ(at<std::uint16_t>(b, 0), 101);
  EXPECT_EQ(u32At(b, 8), 101u) << "the listed folder";
  EXPECT_EQ(u32At(b, 12), 1u) << "the entry count";
  EXPECT_EQ(list(0), list(1)) << "folder 0 is the root";
}

TEST_F(ObjectRequestsTest, GetObjListOfSomethingThatIsNoFolderAnswersAnEmptyList) {
  EXPECT_TRUE(list(999).empty());
  EXPECT_EQ(lastBytes(20100).size(), 16u);
  Payload shortHead(15);
  EXPECT_EQ(request(link_, kGetObjList, shortHead), -6);
}

TEST_F(ObjectRequestsTest, AddObjRefusesWhatItCannotStore) {
  Payload noBody(16);
  noBody.u16(0, 101).u8(2, 30).u32(4, 1);
  EXPECT_EQ(request(link_, kAddObj, noBody), -6) << "a folder without its 176 bytes";
  auto shortFolder = folderBody("x");
  shortFolder.pop_back();
  EXPECT_EQ(request(link_, kAddObj, addObj(30, 1, shortFolder)), -6);
  EXPECT_EQ(request(link_, kAddObj, addObj(31, 1, folderBody("x"))), -6) << "unknown kind";
  EXPECT_EQ(request(link_, kAddObj, addObj(30, 555, folderBody("x"))), -6) << "no such parent";
  EXPECT_EQ(host().objects().size(), 1u) << "only the root";
}

TEST_F(ObjectRequestsTest, AddObjReplacesAnExistingObjectInPlace) {
  ASSERT_EQ(addFolder("old", 1), 101);
  EXPECT_EQ(request(link_, kAddObj, addObj(30, 0, folderBody("new"), 101)), 101);
  EXPECT_EQ(host().objects().find(101)->name, "new");
  EXPECT_EQ(host().objects().find(101)->updates, 1u);
}

TEST_F(ObjectRequestsTest, AnAreaKeepsItsBodyAsReceivedAndGetObjReturnsIt) {
  const auto area = lineBody("Contour_12", "等高线下载区域", {{500, 3000}, {600, 3000}, {600, 3100}, {500, 3100}});
  ASSERT_EQ(area.size() % 8, 0u);
  const auto id = request(link_, kAddObj, addObj(13, 1, area, 0, 7));
  ASSERT_EQ(id, 101);
  EXPECT_EQ(fieldValue<std::uint64_t>(host().record().lastRequest(kAddObj), "arg3"), 7u);
  EXPECT_EQ(request(link_, kGetObj, head(0, 101)), 0);
  const auto b = lastBytes(20101);
  ASSERT_EQ(b.size(), 16u + area.size());
  EXPECT_EQ(b[2], 13) << "record kind in the head";
  EXPECT_EQ(u32At(b, 8), 101u) << "found id";
  EXPECT_TRUE(std::equal(area.begin(), area.end(), b.begin() + 16));
}

TEST_F(ObjectRequestsTest, GetObjOfAFolderAndOfNothing) {
  ASSERT_EQ(addFolder("图层A", 1), 101);
  EXPECT_EQ(request(link_, kGetObj, head(0, 101)), 0);
  auto b = lastBytes(20101);
  ASSERT_EQ(b.size(), 16u + 176u);
  EXPECT_EQ(b[2], 30);
  EXPECT_EQ(cString(b, 16, 100), "图层A");
  EXPECT_EQ(request(link_, kGetObj, head(0, 4242)), 0);
  b = lastBytes(20101);
  EXPECT_EQ(b.size(), 16u);
  EXPECT_EQ(b[2], 0);
  EXPECT_EQ(u32At(b, 8), 0u);
}

TEST_F(ObjectRequestsTest, IdsBelowMinus100CanBeHandedOut) {
  ASSERT_TRUE(host().setObjectIdNumbering(-150, -1));
  EXPECT_EQ(addFolder("a", 1), -150);
  EXPECT_EQ(addFolder("b", 1), -151);
  EXPECT_EQ(addFolder("c", -150), -152) << "a negative id names a folder like any other";
}

TEST_F(ObjectRequestsTest, SrhObjAnswersTheSearchRecordWithTheFoundIdAt532) {
  ASSERT_EQ(addFolder("CAD工作空间", 1), 101);
  ASSERT_EQ(addFolder("drawing1.dwg", 101), 102);
  const Payload s = search("drawing1.dwg", 101);
  request(link_, kSrhObj, s);
  const auto answers = received(20107);
  ASSERT_EQ(answers.size(), 1u);
  ASSERT_EQ(answers[0].bytes.size(), 536u);
  EXPECT_TRUE(std::equal(s.bytes().begin(), s.bytes().end(), answers[0].bytes.begin())) << "the record comes back";
  EXPECT_EQ(u32At(answers[0].bytes, 532), 102u);
  // Parent 0 searches the root.
  request(link_, kSrhObj, search("CAD工作空间", 0));
  EXPECT_EQ(u32At(lastBytes(20107), 532), 101u);
}

TEST_F(ObjectRequestsTest, SrhObjSendsNothingWhenNothingIsFound) {
  ASSERT_EQ(addFolder("CAD工作空间", 1), 101);
  const auto m = mark();
  EXPECT_EQ(request(link_, kSrhObj, search("cad工作空间", 0)), 0) << "names compare exactly";
  EXPECT_EQ(request(link_, kSrhObj, search("CAD工作空间", 101)), 0) << "not in that folder";
  EXPECT_EQ(plugin().copies.size(), m);
  Payload shortOne(531);
  EXPECT_EQ(request(link_, kSrhObj, shortOne), -6);
}

TEST_F(ObjectRequestsTest, SrhObjCanAnswerWithTheCandidateFolders) {
  host().setSearchAnswerForm(host::SearchAnswerForm::CandidateList);
  ASSERT_EQ(addFolder("CAD工作空间", 1), 101);
  ASSERT_EQ(addFolder("a.dwg", 101), 102);
  ASSERT_EQ(addFolder("b.dwg", 101), 103);
  request(link_, kSrhObj, search("b.dwg", 101));
  EXPECT_TRUE(received(20107).empty());
  const auto lists = received(20105);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(listEntries(lists[0].bytes), (std::vector<ListEntry>{{102, 30, "a.dwg"}, {103, 30, "b.dwg"}}));
}

TEST_F(ObjectRequestsTest, DelObjRemovesFoldersWithTheirContentsOnlyWhenAsked) {
  ASSERT_EQ(addFolder("group", 1), 101);
  ASSERT_EQ(request(link_, kAddObj, addObj(8, 101, lineBody("l", "", {{1, 2}, {3, 4}}))), 102);
  ASSERT_EQ(addFolder("empty", 1), 103);
  Payload keep = head(0, 0, 0);
  keep.append({101, 0, 0, 0});
  EXPECT_EQ(request(link_, kDelObj, keep), 0) << "a folder with contents stays without bit 0";
  EXPECT_NE(host().objects().find(101), nullptr);
  Payload all = head(0, 0, 3);
  all.append({101, 0, 0, 0, 103, 0, 0, 0, 0xAB});  // one stray byte after the ids
  EXPECT_EQ(request(link_, kDelObj, all), 3);
  EXPECT_EQ(host().objects().size(), 1u);
  const auto* r = host().record().lastRequest(kDelObj);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(fieldValue<std::int64_t>(r, "id[1]"), 103);
  EXPECT_EQ(r->field("id[2]"), nullptr);
}

TEST_F(ObjectRequestsTest, GroupMembersGoIntoTheGroupFolder) {
  ASSERT_EQ(addFolder("图层0", 1), 101);
  const auto s = stream(101, {{30, 0, 101, 0x40, folderBody("块A", 2, true)},
                              {8, 0, 0, 0, lineBody("a", "", {{1, 1}, {2, 2}})},
                              {7, 0, 0, 0, markBody("b", 5, 6, "标注")},
                              {8, 0, 101, 0x41, lineBody("c", "", {{3, 3}, {4, 4}})}});
  EXPECT_EQ(request(link_, kSetObjTree, s), 4);
  const auto b = lastBytes(20112);
  ASSERT_EQ(b.size(), 4u * 64u);
  EXPECT_EQ(u32At(b, 12), 101u) << "the group folder in the layer folder";
  EXPECT_EQ(u32At(b, 64 + 12), 102u) << "members in the group";
  EXPECT_EQ(u32At(b, 128 + 12), 102u);
  EXPECT_EQ(u32At(b, 192 + 12), 101u) << "the entry after the group is back in the layer";
  EXPECT_EQ(list(102), (std::vector<ListEntry>{{103, 8, "a"}, {104, 7, "b"}}));

  host().setAnswerGroupEntries(false);
  EXPECT_EQ(request(link_, kSetObjTree, s), 4);
  const auto b2 = lastBytes(20112);
  ASSERT_EQ(b2.size(), 64u) << "only the entry outside the group is answered";
  EXPECT_EQ(u64At(b2, 16), 0x41u);
}

TEST_F(ObjectRequestsTest, AMalformedStreamIsRefusedWholeAndStoresNothing) {
  ASSERT_EQ(addFolder("图层0", 1), 101);
  const auto line = lineBody("l", "", {{1, 1}, {2, 2}});
  Payload wrongBatch = stream(101, {{8, 0, 101, 1, line}});
  wrongBatch.u32(16, 0);
  EXPECT_EQ(request(link_, kSetObjTree, wrongBatch), -6) << "batch length disagrees";
  Payload tooLong = stream(101, {{8, 0, 101, 1, line}});
  tooLong.u32(80, static_cast<std::uint32_t>(line.size() + 1));
  EXPECT_EQ(request(link_, kSetObjTree, tooLong), -6) << "body past the end";
  EXPECT_EQ(request(link_, kSetObjTree, stream(101, {{30, 0, 101, 1, folderBody("g", 3, true)}, {8, 0, 0, 0, line}})), -6)
      << "a group owning more entries than follow";
  EXPECT_EQ(request(link_, kSetObjTree, stream(101, {{9, 0, 101, 1, line}})), -6) << "unknown kind";
  auto badMark = markBody("m", 1, 2, "abc");
  badMark.push_back(0);
  EXPECT_EQ(request(link_, kSetObjTree, stream(101, {{8, 0, 101, 1, line}, {7, 0, 101, 2, badMark}})), -6)
      << "a mark one byte longer than its text";
  auto badLine = line;
  badLine[120] = 3;  // three points claimed, two present
  EXPECT_EQ(request(link_, kSetObjTree, stream(101, {{8, 0, 101, 1, badLine}})), -6);
  Payload noMark = stream(101, {{8, 0, 101, 1, line}});
  noMark.u16(0, 100);
  EXPECT_EQ(request(link_, kSetObjTree, noMark), -6);
  EXPECT_EQ(host().objects().size(), 2u);
  EXPECT_TRUE(received(20112).empty());
}

TEST_F(ObjectRequestsTest, GetObjTreeSendsTheSelectedObjectsAsAStream) {
  ASSERT_EQ(addFolder("图层0", 1), 101);
  const auto a = lineBody("a", "文字", {{1, 1}, {2, 2}});
  const auto b = markBody("b", 5, 6, "");
  request(link_, kSetObjTree, stream(101, {{8, 0, 101, 0x51, a}, {7, 0, 101, 0x52, b}}));
  user().selectObjects({101});
  EXPECT_EQ(request(link_, kGetObjTree, head(3, 0)), 0);
  const auto trees = received(20110);
  ASSERT_EQ(trees.size(), 1u);
  const auto& s = trees[0].bytes;
  const std::size_t expected = 80 + (64 + 176) + (64 + a.size()) + (64 + b.size());
  ASSERT_EQ(s.size(), expected);
  EXPECT_EQ(at<std::uint16_t>(s, 0), 101);
  EXPECT_EQ(u32At(s, 16), expected - 80) << "batch header: bytes of entries";
  // The folder entry with its child count, then the two objects as received.
  EXPECT_EQ(u32At(s, 80 + 4), 30u);
  EXPECT_EQ(i32At(s, 80 + 8), 101);
  EXPECT_EQ(u32At(s, 80 + 64 + 100), 2u) << "childCount";
  const std::size_t second = 80 + 64 + 176;
  EXPECT_EQ(u32At(s, second), a.size());
  EXPECT_EQ(u32At(s, second + 4), 8u);
  EXPECT_EQ(i32At(s, second + 8), 102);
  EXPECT_EQ(u32At(s, second + 12), 101u);
  EXPECT_EQ(u64At(s, second + 16), 0x51u);
  EXPECT_TRUE(std::equal(a.begin(), a.end(), s.begin() + second + 64));
}

TEST_F(ObjectRequestsTest, GetObjTreeWithNothingSelectedSendsAnEmptyStream) {
  EXPECT_EQ(request(link_, kGetObjTree, head(3, 0)), 0);
  const auto s = lastBytes(20110);
  EXPECT_EQ(s.size(), 80u) << "shorter than 144: no objects";
  EXPECT_EQ(u32At(s, 16), 0u);
  EXPECT_EQ(request(link_, kGetObjTree, head(2, 0)), -6) << "only flag 3 is known";
}

}  // namespace
}  // namespace hosttest
