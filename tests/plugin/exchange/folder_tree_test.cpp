// The host folders of the drawings against the host stand-in's object store: the workspace,
// one folder per drawing and layer, found, listed, created, checked and deleted.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "arx/acdocman.h"
#include "arx/axlock.h"
#include "arx/dbdatabase.h"
#include "arx/dbsymtb.h"
#include "exchange/doc_id_manager.h"
#include "exchange/folder_tree.h"
#include "exchange/link_record.h"
#include "host/host_app.h"
#include "plugin/shell/plugin_session.h"
#include "win32/unicode.h"
#include "count_command.h"

namespace {

using vurk::Folders;

constexpr std::uint16_t kGetObjList = 20100;
constexpr std::uint16_t kGetObj = 20101;
constexpr std::uint16_t kAddObj = 20102;
constexpr std::uint16_t kDelObj = 20103;

class FolderTreeTest : public ::testing::Test {
 protected:
  FolderTreeTest() { EXPECT_TRUE(s.steps("document new as C:\\maps\\site.dxf\nplugin load")); }

  host::HostApp& host() { return *s.hostApp(); }
  std::size_t requests(std::uint16_t code) { return host().record().countRequests(code); }
  // The host's folder of that name under the parent, or 0.
  std::int32_t hostFolder(const std::string& name, std::int32_t parent) {
    for (const host::MapObject* o : host().objects().children(parent)) {
      if (o->name == name && o->kind == host::RecordKind::Folder) return o->id;
    }
    return 0;
  }

  vurktest::PluginSession s{true};
};

TEST_F(FolderTreeTest, LoadingCreatesTheWorkspaceAndReadsEveryDrawingAndLayerFolder) {
  // The host holds three drawings' folders of two layers each, made the way a send makes them.
  const std::uint32_t ws = vurk::findFolder(vurk::kWorkspaceFolder, 0, true);
  ASSERT_NE(ws, 0u);
  EXPECT_EQ(hostFolder("CAD工作空间", host::ObjectStore::kRootId), static_cast<std::int32_t>(ws));
  for (const char16_t* d : {u"a.dwg", u"b.dwg", u"c.dwg"}) {
    const std::uint32_t doc = vurk::findFolder(d, ws, true);
    ASSERT_NE(doc, 0u);
    for (const char16_t* l : {u"道路", u"0"}) ASSERT_NE(vurk::findFolder(l, doc, true), 0u);
  }
  Folders().reset();
  const std::size_t listsBefore = requests(kGetObjList);

  ASSERT_TRUE(vurk::loadFolderTree());
  EXPECT_EQ(requests(kGetObjList) - listsBefore, 4u) << "the workspace, then each drawing";
  EXPECT_EQ(Folders().workspaceId(), ws);
  ASSERT_EQ(Folders().documents().size(), 3u);
  for (const auto& d : Folders().documents()) {
    EXPECT_EQ(static_cast<std::int32_t>(d.id), hostFolder(win32::utf16ToUtf8(d.name), static_cast<std::int32_t>(ws)));
    ASSERT_EQ(d.layers.size(), 2u) << win32::utf16ToUtf8(d.name);
    EXPECT_EQ(d.layers[0].name, u"道路");
    EXPECT_EQ(static_cast<std::int32_t>(d.layers[0].id), hostFolder("道路", static_cast<std::int32_t>(d.id)));
    EXPECT_EQ(d.layers[1].name, u"0");
    ASSERT_NE(Folders().folderName(d.layers[1].id), nullptr);
    EXPECT_EQ(*Folders().folderName(d.layers[1].id), u"0");
  }
  const std::size_t objects = host().objects().size();
  ASSERT_TRUE(vurk::loadFolderTree());
  EXPECT_EQ(requests(kGetObjList) - listsBefore, 4u) << "a loaded tree asks nothing";
  EXPECT_EQ(host().objects().size(), objects);
}

TEST_F(FolderTreeTest, AMissingDrawingFolderIsCreatedWhileOthersAreCached) {
  const std::uint32_t ws = vurk::findFolder(vurk::kWorkspaceFolder, 0, true);
  for (int i = 0; i < 5; ++i) vurk::findFolder(u"d" + std::u16string(1, static_cast<char16_t>(u'0' + i)), ws, true);
  Folders().reset();
  ASSERT_TRUE(vurk::loadFolderTree());
  ASSERT_EQ(Folders().documents().size(), 5u);

  const std::uint32_t layer = vurk::layerFolder(u"新图.dwg", u"水系", true);
  ASSERT_NE(layer, 0u);
  const std::int32_t doc = hostFolder("新图.dwg", static_cast<std::int32_t>(ws));
  ASSERT_NE(doc, 0);
  EXPECT_EQ(static_cast<std::int32_t>(layer), hostFolder("水系", doc));
  ASSERT_EQ(Folders().documents().size(), 6u);
  const vurk::DocumentFolder* entered = Folders().document(u"新图.dwg");
  ASSERT_NE(entered, nullptr);
  EXPECT_EQ(static_cast<std::int32_t>(entered->id), doc);
  ASSERT_EQ(entered->layers.size(), 1u);
  EXPECT_EQ(entered->layers[0].id, layer);

  const std::size_t adds = requests(kAddObj);
  EXPECT_EQ(vurk::layerFolder(u"新图.dwg", u"水系", true), layer) << "found again, not made twice";
  EXPECT_EQ(requests(kAddObj), adds);
  EXPECT_EQ(vurk::layerFolder(u"新图.dwg", u"无", false), 0u) << "not created when not asked";
  EXPECT_EQ(vurk::layerFolder(u"", u"水系", true), ws);
}

TEST_F(FolderTreeTest, AFolderDeletedInTheHostIsMadeAgain) {
  const std::uint32_t first = vurk::layerFolder(u"site.dwg", u"道路", true);
  ASSERT_NE(first, 0u);
  const std::int32_t doc = static_cast<std::int32_t>(Folders().document(u"site.dwg")->id);
  ASSERT_GT(host().objects().remove(doc, true), 0u);
  const std::uint32_t second = vurk::layerFolder(u"site.dwg", u"道路", true);
  ASSERT_NE(second, 0u);
  EXPECT_NE(second, first);
  const std::int32_t newDoc = hostFolder("site.dwg", static_cast<std::int32_t>(Folders().workspaceId()));
  EXPECT_EQ(static_cast<std::int32_t>(second), hostFolder("道路", newDoc));
  EXPECT_EQ(static_cast<std::int32_t>(Folders().document(u"site.dwg")->id), newDoc);

  // The workspace itself gone: the tree is forgotten and built again.
  ASSERT_TRUE(vurk::loadFolderTree());
  ASSERT_GT(host().objects().remove(static_cast<std::int32_t>(Folders().workspaceId()), true), 0u);
  EXPECT_EQ(vurk::findFolder(vurk::kWorkspaceFolder, 0, false), 0u);
  EXPECT_FALSE(Folders().loaded());
  EXPECT_TRUE(Folders().documents().empty());
  ASSERT_TRUE(vurk::loadFolderTree());
  EXPECT_NE(hostFolder("CAD工作空间", host::ObjectStore::kRootId), 0);
}

TEST_F(FolderTreeTest, EitherSearchAnswerFormFindsTheFolder) {
  const std::uint32_t ws = vurk::findFolder(vurk::kWorkspaceFolder, 0, true);
  const std::uint32_t doc = vurk::findFolder(u"site.dwg", ws, true);
  vurk::findFolder(u"site.dwg的兄弟", ws, true);
  host().setSearchAnswerForm(host::SearchAnswerForm::CandidateList);
  EXPECT_EQ(vurk::SearchFolder(u"site.dwg", ws), doc);
  EXPECT_EQ(vurk::SearchFolder(u"没有", ws), 0u) << "no answer is no folder, not the last one found";
  host().setSearchAnswerForm(host::SearchAnswerForm::Record);
  EXPECT_EQ(vurk::SearchFolder(u"site.dwg", ws), doc);
  EXPECT_EQ(vurk::SearchFolder(u"没有", ws), 0u);
}

TEST_F(FolderTreeTest, TheLayerLinkCheckAsksTheHostForTheLinkedFolder) {
  vurk::DocIdManager& state = *vurk::CurrentDocState();
  const std::uint32_t folder = vurk::layerFolder(u"site.dxf", u"道路", true);
  {
    AcAxDocLock lock(state.database());
    ASSERT_EQ(vurk::writeLayerLink(state.database(), u"道路", static_cast<std::int32_t>(folder)), Acad::eOk);
  }
  const std::size_t gets = requests(kGetObj);
  EXPECT_EQ(vurk::layerLinkCheck(state, u"道路"), folder);
  EXPECT_EQ(requests(kGetObj), gets + 1);
  EXPECT_EQ(vurk::layerLinkCheck(state, u"0"), 0u) << "a layer without a link";
  EXPECT_EQ(vurk::layerLinkCheck(state, u"没有的层"), 0u);
  EXPECT_EQ(requests(kGetObj), gets + 1) << "nothing to ask for either";
  ASSERT_GT(host().objects().remove(static_cast<std::int32_t>(folder), true), 0u);
  EXPECT_EQ(vurk::layerLinkCheck(state, u"道路"), 0u) << "the host no longer has it";
}

TEST_F(FolderTreeTest, ErasingPointsOfASetDeletesTheObjectWithTheLastOne) {
  ASSERT_TRUE(s.steps("add point 1,1\nadd point 2,2\nadd point 3,3\nadd line 0,0 9,9"));
  vurk::DocIdManager& state = *vurk::CurrentDocState();
  AcDbDatabase* db = state.database();
  // A host object the points share, and one of the line.
  const std::uint32_t ws = vurk::findFolder(vurk::kWorkspaceFolder, 0, true);
  const auto shared = static_cast<std::int32_t>(vurk::AddFolder(u"点集", ws));
  const auto lineObject = static_cast<std::int32_t>(vurk::AddFolder(u"线", ws));
  const AcDbObjectIdArray ids = desk::modelSpaceIds(*db);
  ASSERT_EQ(ids.length(), 4);
  for (int i = 0; i < 3; ++i) state.links.setLinkId(ids[i].handle().value(), shared, true);
  state.links.setLinkId(ids[3].handle().value(), lineObject, false);
  const auto eraseOne = [&](AcDbObjectId id) {
    AcAxDocLock lock(db);
    AcDbEntity* e = nullptr;
    EXPECT_EQ(acdbOpenObject(e, id, AcDb::kForWrite), Acad::eOk);
    if (e) {
      e->erase();
      e->close();
    }
    return vurk::deleteLinkedObject(state, id.handle().value());
  };
  const std::size_t deletes = requests(kDelObj);
  EXPECT_EQ(eraseOne(ids[0]), 0);
  EXPECT_EQ(eraseOne(ids[1]), 0);
  EXPECT_EQ(requests(kDelObj), deletes) << "members left: nothing is deleted";
  ASSERT_NE(host().objects().find(shared), nullptr);
  EXPECT_EQ(eraseOne(ids[2]), shared);
  EXPECT_EQ(requests(kDelObj), deletes + 1);
  EXPECT_EQ(host().objects().find(shared), nullptr);
  EXPECT_EQ(eraseOne(ids[3]), lineObject);
  EXPECT_EQ(host().objects().find(lineObject), nullptr);
  EXPECT_NE(host().objects().find(static_cast<std::int32_t>(ws)), nullptr);
}

}  // namespace
