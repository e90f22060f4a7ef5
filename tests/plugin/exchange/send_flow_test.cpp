// Sending drawing entities to the host through the toolbar, with the real plug-in and the host
// stand-in: where the objects land in the host, the links the answers leave in the drawing, and
// what a second send, a deleted folder, an erase or a save and reopen do to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "arx/acdocman.h"
#include "arx/axlock.h"
#include "arx/dbblkref.h"
#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "exchange/doc_id_manager.h"
#include "exchange/folder_tree.h"
#include "exchange/link_record.h"
#include "exchange/send_flow.h"
#include "host/host_app.h"
#include "host/object_store.h"
#include "hostlink/notification_routes.h"
#include "hostlink/notification_window.h"
#include "plugin/shell/plugin_session.h"
#include "settings/settings_store.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/user_script.h"
#include "count_command.h"

namespace {

constexpr std::uint16_t kSetObjTree = 20112;
constexpr std::uint16_t kDelObj = 20103;
constexpr std::uint16_t kAddObj = 20102;

class SendFlowTest : public ::testing::Test {
 protected:
  SendFlowTest() {
    EXPECT_TRUE(s.steps("host system gk 3 38\nmkdir C:\\maps\ndocument new as C:\\maps\\site.dxf\nplugin load"));
    settings().noZoneNumberCheck = 1;
  }

  vurk::SettingsRecord& settings() { return vurk::CurrentSettings()->record(); }
  host::HostApp& hostApp() { return *s.hostApp(); }
  const host::ObjectStore& store() { return hostApp().objects(); }
  AcApDocument* document() { return acDocManager->curDocument(); }
  AcDbDatabase* db() { return document()->database(); }
  vurk::DocIdManager& state() { return *vurk::CurrentDocState(); }
  std::size_t requests(std::uint16_t code) { return hostApp().record().countRequests(code); }
  const std::vector<win32::MessageBoxRecord>& boxes() { return s.desktop().user().boxes(); }

  bool send() { return s.steps("select all\ntoolbar press 32768"); }

  std::vector<std::uint64_t> handles() {
    std::vector<std::uint64_t> out;
    for (AcDbObjectId id : desk::modelSpaceIds(*db())) out.push_back(id.handle().value());
    return out;
  }
  AcDbObjectId idOf(std::uint64_t handle) {
    AcDbObjectId id;
    db()->getAcDbObjectId(id, false, AcDbHandle(handle));
    return id;
  }
  // The map objects (not folders) the host holds for a sender's key.
  std::vector<const host::MapObject*> hostObjectsOf(std::uint64_t key) {
    std::vector<const host::MapObject*> out;
    for (const host::MapObject* o : store().inTreeOrder()) {
      if (o->entityKey == key && o->kind != host::RecordKind::Folder) out.push_back(o);
    }
    return out;
  }
  std::int32_t linkedId(std::uint64_t handle) {
    const vurk::EntityLink* link = state().links.find(handle);
    return link ? link->mapObjectId : 0;
  }
  std::vector<std::string> statusLines() {
    std::vector<std::string> lines;
    for (const auto& e : s.desktop().transcript().entries()) {
      if (e.channel == "status") lines.push_back(e.text);
    }
    return lines;
  }
  // Appends entities to model space outside any command, under a lock, as a program would.
  void appendAll(std::vector<AcDbEntity*> entities) {
    AcAxDocLock lock(db());
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    for (AcDbEntity* e : entities) {
      AcDbObjectId id;
      EXPECT_EQ(ms->appendAcDbEntity(id, e), Acad::eOk);
      e->close();
    }
    ms->close();
  }
  std::int32_t layerLinkId(const char16_t* layer) {
    AcDbLayerTable* table = nullptr;
    if (db()->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return 0;
    AcDbObjectId id;
    const bool found = table->getAt(layer, id) == Acad::eOk;
    table->close();
    return found ? vurk::readLinkById(id).mapObjectId : 0;
  }

  vurktest::PluginSession s{true};
};

TEST_F(SendFlowTest, TheSelectionLandsInOneFolderPerLayerAndEveryEntityIsLinked) {
  ASSERT_TRUE(s.steps("add line 0,0 100,0 layer 道路\nadd circle 50,50 10 layer 道路\nadd line 5,5 9,9 layer 水系"));
  const auto h = handles();
  ASSERT_TRUE(send());

  const auto workspace = store().findByName(host::ObjectStore::kRootId, "CAD工作空间", host::RecordKind::Folder);
  ASSERT_EQ(workspace.size(), 1u) << store().describe();
  const auto drawing = store().findByName(workspace[0]->id, "site.dxf", host::RecordKind::Folder);
  ASSERT_EQ(drawing.size(), 1u) << store().describe();
  const auto roads = store().findByName(drawing[0]->id, "道路", host::RecordKind::Folder);
  const auto water = store().findByName(drawing[0]->id, "水系", host::RecordKind::Folder);
  ASSERT_EQ(roads.size(), 1u);
  ASSERT_EQ(water.size(), 1u);
  EXPECT_EQ(store().children(roads[0]->id).size(), 2u);
  EXPECT_EQ(store().children(water[0]->id).size(), 1u);
  EXPECT_EQ(requests(kSetObjTree), 2u) << "a folders pass for the two new layers, then the objects";

  for (std::uint64_t handle : h) {
    const auto objects = hostObjectsOf(handle);
    ASSERT_EQ(objects.size(), 1u) << "entity " << handle;
    EXPECT_EQ(linkedId(handle), objects[0]->id) << "the answer linked the entity to its object";
    EXPECT_EQ(state().links.find(handle)->stored, 0) << "written at the next save";
  }
  EXPECT_EQ(layerLinkId(u"道路"), roads[0]->id) << "the layer is linked to its folder in the drawing";
  EXPECT_EQ(layerLinkId(u"水系"), water[0]->id);
  EXPECT_EQ(document()->explicitLockCount(), 0);

  EXPECT_TRUE(vurk::Flags().sendingFlag) << "the reactors stay off until the send's notifications passed";
  ASSERT_TRUE(s.steps("wait 100"));
  EXPECT_FALSE(vurk::Flags().sendingFlag) << "timer 1005 clears it after the send";
}

TEST_F(SendFlowTest, ASecondSendUpdatesInPlaceWithOneRequestAndRecreatesADeletedFolder) {
  ASSERT_TRUE(s.steps("add line 0,0 100,0 layer 道路\nadd line 0,10 100,10 layer 道路"));
  const auto h = handles();
  ASSERT_TRUE(send());
  const std::size_t objects = store().size();
  const std::int32_t first = linkedId(h[0]);
  ASSERT_GT(first, 0);
  const std::size_t before = requests(kSetObjTree);

  ASSERT_TRUE(send());
  EXPECT_EQ(requests(kSetObjTree), before + 1) << "every layer has its folder: no folders pass";
  EXPECT_EQ(store().size(), objects) << "the linked entities were updated, not added";
  EXPECT_EQ(linkedId(h[0]), first);
  ASSERT_NE(store().find(first), nullptr);
  EXPECT_EQ(store().find(first)->updates, 1u);

  // The user deletes the drawing's folder in the host; the next send makes it again.
  const std::int32_t drawingFolder = store().find(store().find(first)->parent)->parent;
  ASSERT_GT(hostApp().objects().remove(drawingFolder, true), 0u);
  ASSERT_TRUE(send());
  const auto workspace = store().findByName(host::ObjectStore::kRootId, "CAD工作空间", host::RecordKind::Folder);
  ASSERT_EQ(workspace.size(), 1u);
  const auto drawing = store().findByName(workspace[0]->id, "site.dxf", host::RecordKind::Folder);
  ASSERT_EQ(drawing.size(), 1u) << store().describe();
  const auto roads = store().findByName(drawing[0]->id, "道路", host::RecordKind::Folder);
  ASSERT_EQ(roads.size(), 1u) << store().describe();
  EXPECT_EQ(store().children(roads[0]->id).size(), 2u) << "both lines are back in the new folder";
  for (std::uint64_t handle : h) {
    const auto o = hostObjectsOf(handle);
    ASSERT_EQ(o.size(), 1u);
    EXPECT_EQ(linkedId(handle), o[0]->id) << "linked to the object made anew";
  }
  EXPECT_EQ(layerLinkId(u"道路"), roads[0]->id) << "the layer link follows its new folder";
}

TEST_F(SendFlowTest, AFoundLayerFolderAndANewOneLinkOnlyTheNewLayer) {
  // The host already has a folder for 道路 (made by hand), but the drawing's layer has no link.
  ASSERT_TRUE(s.steps("add line 0,0 100,0 layer 道路\nadd line 0,10 100,10 layer 水系"));
  ASSERT_TRUE(vurk::loadFolderTree());
  const std::uint32_t found = vurk::layerFolder(u"site.dxf", u"道路", true);
  ASSERT_GT(found, 0u);
  ASSERT_TRUE(send());
  const auto water = store().findByName(store().find(static_cast<std::int32_t>(found))->parent, "水系",
                                        host::RecordKind::Folder);
  ASSERT_EQ(water.size(), 1u);
  EXPECT_EQ(layerLinkId(u"水系"), water[0]->id) << "the new layer gets its own folder's id";
  EXPECT_EQ(layerLinkId(u"道路"), 0) << "the found layer is not given the other one's id";
  EXPECT_EQ(hostObjectsOf(handles()[0]).at(0)->parent, static_cast<std::int32_t>(found));
}

TEST_F(SendFlowTest, ABlockKeepsItsOwnFolderIdAndIsReplacedWhenSentAgain) {
  ASSERT_TRUE(s.steps("add line 0,0 10,0 layer 新层"));
  AcDbObjectId block;
  {
    AcAxDocLock lock(db());
    AcDbBlockTable* bt = nullptr;
    ASSERT_EQ(db()->getBlockTable(bt, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbBlockTableRecord;
    rec->setName(u"井");
    ASSERT_EQ(bt->add(block, rec), Acad::eOk);
    bt->close();
    auto* a = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    auto* b = new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1);
    rec->appendAcDbEntity(a);
    a->close();
    rec->appendAcDbEntity(b);
    b->close();
    rec->close();
  }
  auto* ref = new AcDbBlockReference(AcGePoint3d(20, 20, 0), block);
  ref->setLayer(u"新层");
  appendAll({ref});
  const auto h = handles();
  ASSERT_EQ(h.size(), 2u);
  ASSERT_TRUE(send());

  const std::int32_t groupId = linkedId(h[1]);
  const host::MapObject* group = store().find(groupId);
  ASSERT_NE(group, nullptr);
  EXPECT_TRUE(group->isGroup) << "the block is linked to its group folder";
  EXPECT_EQ(store().children(groupId).size(), 2u);
  const std::int32_t layerFolder = layerLinkId(u"新层");
  ASSERT_GT(layerFolder, 0);
  EXPECT_NE(layerFolder, groupId) << "the layer keeps its own folder";
  EXPECT_EQ(group->parent, layerFolder);

  const std::size_t deletes = requests(kDelObj);
  ASSERT_TRUE(send());
  ASSERT_EQ(requests(kDelObj), deletes + 1) << "the old group goes before the new one comes";
  const auto* del = hostApp().record().lastRequest(kDelObj);
  const auto* setTree = hostApp().record().lastRequest(kSetObjTree);
  EXPECT_LT(del->serial, setTree->serial);
  EXPECT_EQ(store().find(groupId), nullptr);
  const std::int32_t again = linkedId(h[1]);
  ASSERT_NE(store().find(again), nullptr);
  EXPECT_EQ(store().children(again).size(), 2u) << "one copy of the block, not two";
  EXPECT_EQ(layerLinkId(u"新层"), layerFolder);
}

TEST_F(SendFlowTest, NewPointsBecomeOneLinkedPointSet) {
  ASSERT_TRUE(s.steps("add point 1,1 layer 点\nadd point 2,2 layer 点\nadd point 3,3 layer 点"));
  const auto h = handles();
  ASSERT_TRUE(send());
  const std::int32_t id = linkedId(h[0]);
  ASSERT_GT(id, 0);
  for (std::uint64_t handle : h) {
    EXPECT_EQ(linkedId(handle), id) << "every point carries the set's object";
    EXPECT_EQ(state().links.find(handle)->isMember, 1);
  }
  ASSERT_NE(state().links.group(id), nullptr);
  EXPECT_EQ(state().links.group(id)->members.size(), 3u);
  const std::size_t objects = store().size();
  ASSERT_TRUE(send());
  EXPECT_EQ(store().size(), objects) << "the set is updated in place";
  EXPECT_EQ(linkedId(h[2]), id);
}

TEST_F(SendFlowTest, AnEmptySelectionSaysSoAndLeavesNoLock) {
  ASSERT_TRUE(s.steps("add line 0,0 100,0\nselect none\nanswer ok\ntoolbar press 32768"));
  ASSERT_FALSE(boxes().empty());
  EXPECT_EQ(boxes().back().text, u"请选择(Ctrl+A全选)对象后再发送对象！");
  EXPECT_EQ(requests(kSetObjTree), 0u);
  EXPECT_EQ(document()->explicitLockCount(), 0);
}

TEST_F(SendFlowTest, AThousandEntitiesShowNoMeterAndOneMoreDoes) {
  std::vector<AcDbEntity*> lines;
  for (int i = 0; i < 1000; ++i) lines.push_back(new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 5, 0)));
  appendAll(lines);
  ASSERT_TRUE(send());
  auto meters = [&] {
    const auto lines = statusLines();
    return std::count(lines.begin(), lines.end(), std::string("progress 发送数据 0..100"));
  };
  const auto first = statusLines();
  EXPECT_EQ(meters(), 0) << ::testing::PrintToString(first);
  EXPECT_EQ(hostObjectsOf(handles()[999]).size(), 1u);

  appendAll({new AcDbLine(AcGePoint3d(0, 10, 0), AcGePoint3d(5, 10, 0))});
  ASSERT_TRUE(send());
  EXPECT_EQ(meters(), 1) << ::testing::PrintToString(statusLines());
  const auto lines2 = statusLines();
  EXPECT_EQ(lines2.back(), "progress ended");
}

class ZoneQuestionTest : public SendFlowTest {
 protected:
  void place(const std::string& system, double drawingX) {
    settings().noZoneNumberCheck = 0;
    ASSERT_TRUE(s.steps("host system " + system + "\nhost move 114 30.5"));
    ASSERT_TRUE(s.steps("add line " + std::to_string(drawingX - 10) + ",3370000 " + std::to_string(drawingX + 10) +
                        ",3370010"));
  }
};

TEST_F(ZoneQuestionTest, AZoneNumberOnTheHostSideOnlyAsksAndYesSendsNothing) {
  place("gk 3 38 zone-in-easting", 500'000);
  ASSERT_TRUE(s.steps("answer yes"));
  ASSERT_TRUE(send());
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_NE(boxes()[0].text.find(u"是否取消操作"), std::u16string::npos);
  EXPECT_EQ(requests(kSetObjTree), 0u);
  EXPECT_EQ(requests(kAddObj), 0u) << "nothing was made in the host";
  ASSERT_TRUE(s.steps("answer no"));
  ASSERT_TRUE(send());
  EXPECT_EQ(boxes().size(), 2u);
  EXPECT_EQ(hostObjectsOf(handles()[0]).size(), 1u) << "No sends";
}

TEST_F(ZoneQuestionTest, AZoneNumberOnTheDrawingSideOnlyAsksToo) {
  place("gk 3 38", 3'500'000);
  ASSERT_TRUE(s.steps("answer yes"));
  ASSERT_TRUE(send());
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(requests(kSetObjTree), 0u);
}

TEST_F(SendFlowTest, ErasingDeletesAMapObjectAfterTheCommandOnlyWithItsLastEntity) {
  settings().autoSyncObjects = 1;
  ASSERT_TRUE(s.steps("add point 1,1 layer 点\nadd point 2,2 layer 点\nadd point 3,3 layer 点\n"
                      "add line 0,0 50,0 layer 线"));
  const auto h = handles();
  ASSERT_TRUE(send());
  ASSERT_TRUE(s.steps("wait 100"));
  const std::int32_t set = linkedId(h[0]);
  const std::int32_t line = linkedId(h[3]);
  ASSERT_GT(set, 0);
  ASSERT_GT(line, 0);
  const std::size_t deletes = requests(kDelObj);

  ASSERT_TRUE(s.steps("command ERASE 1,1 \"\"\nwait 0"));
  EXPECT_EQ(requests(kDelObj), deletes) << "the other points still show the set";
  EXPECT_NE(store().find(set), nullptr);

  ASSERT_TRUE(s.steps("command ERASE 2,2 3,3 50,0 \"\""));
  EXPECT_EQ(requests(kDelObj), deletes) << "nothing is asked of the host inside the command";
  ASSERT_TRUE(s.steps("wait 0"));
  ASSERT_EQ(requests(kDelObj), deletes + 1) << "one request for everything the command erased";
  EXPECT_EQ(store().find(set), nullptr);
  EXPECT_EQ(store().find(line), nullptr);
}

TEST_F(SendFlowTest, LinksSurviveSaveCloseAndOpenAndTheNextSendUpdates) {
  ASSERT_TRUE(s.steps("add line 0,0 100,0 layer 道路\nadd text 5,5 2.5 井盖一号 layer 标注\n"
                      "add point 1,1 layer 点\nadd point 2,2 layer 点"));
  const auto h = handles();
  ASSERT_TRUE(send());
  state().links.find(h[0])->comment = u"主干道的说明";
  state().links.find(h[0])->stored = 0;
  std::vector<std::int32_t> ids;
  for (std::uint64_t handle : h) ids.push_back(linkedId(handle));
  const std::size_t objects = store().size();

  ASSERT_TRUE(s.steps("wait 100\ncommand QSAVE\ncommand CLOSE\ncommand OPEN C:\\maps\\site.dxf"));
  ASSERT_NE(vurk::CurrentDocState(), nullptr);
  ASSERT_EQ(handles(), h);
  for (std::size_t i = 0; i < h.size(); ++i) EXPECT_EQ(linkedId(h[i]), ids[i]) << i;
  EXPECT_EQ(state().links.find(h[0])->comment, u"主干道的说明");
  EXPECT_EQ(state().links.find(h[1])->name, u"井盖一号");
  ASSERT_NE(state().links.group(ids[2]), nullptr) << "the points are one set again";

  ASSERT_TRUE(send());
  EXPECT_EQ(store().size(), objects) << "the second send updated the same objects";
  for (std::size_t i = 0; i < h.size(); ++i) EXPECT_EQ(linkedId(h[i]), ids[i]) << i;
}

TEST_F(SendFlowTest, ALongLabelKeepsItsTextThroughSendAndSave) {
  const std::u16string sixty(60, u'测');
  ASSERT_TRUE(s.steps("add text 0,0 2 " + win32::utf16ToUtf8(sixty)));
  const auto h = handles();
  ASSERT_TRUE(send());
  EXPECT_EQ(state().links.find(h[0])->name, sixty) << "the link takes the whole text, not the record's cut name";
  ASSERT_TRUE(s.steps("wait 100\ncommand QSAVE"));
  AcDbText* text = nullptr;
  ASSERT_EQ(acdbOpenObject(text, idOf(h[0]), AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(std::u16string(text->textString()), sixty);
  text->close();
}

TEST_F(SendFlowTest, AnswersNamingNothingThatWasSentAreIgnored) {
  ASSERT_TRUE(s.steps("add line 0,0 100,0\nadd line 0,10 100,10"));
  const auto h = handles();
  // An answer outside any send changes nothing.
  vurk::onObjectsAssigned({{11, 900, h[0]}});
  EXPECT_EQ(linkedId(h[0]), 0);
  // During a send, a header for an entity that was not selected is ignored.
  vurk::Routes().objectsAssigned = [&](const std::vector<vurk::AssignedObject>& headers) {
    std::vector<vurk::AssignedObject> more = headers;
    more.push_back({11, 901, h[1]});
    vurk::onObjectsAssigned(more);
  };
  ASSERT_TRUE(s.steps("select window -1,-1 101,1\ntoolbar press 32768"));
  EXPECT_GT(linkedId(h[0]), 0);
  EXPECT_EQ(linkedId(h[1]), 0) << "the unselected line is not linked to someone else's object";
}

TEST_F(SendFlowTest, AnIdThatEqualsTheHandleStillLinksTheEntity) {
  ASSERT_TRUE(s.steps("add line 0,0 100,0 layer 道路"));
  ASSERT_TRUE(send());
  ASSERT_TRUE(s.steps("add line 0,10 100,10 layer 道路"));
  const std::uint64_t handle = handles()[1];
  // The host happens to give the new line the number of its handle.
  ASSERT_TRUE(hostApp().setObjectIdNumbering(static_cast<std::int32_t>(handle), 1));
  ASSERT_TRUE(send());
  ASSERT_EQ(hostObjectsOf(handle).size(), 1u);
  ASSERT_EQ(hostObjectsOf(handle)[0]->id, static_cast<std::int32_t>(handle));
  EXPECT_EQ(linkedId(handle), static_cast<std::int32_t>(handle));
  EXPECT_EQ(state().links.find(handle)->stored, 0) << "so the link is written at the next save";
}

TEST_F(SendFlowTest, EntitiesHandedOnAfterACommandAreSentWithoutTinyOnesAtTheOrigin) {
  ASSERT_TRUE(s.steps("add line 0,0 100,0 layer 道路\nadd line 0,0 0.1,0.1 layer 道路\nadd point 0,0 layer 点"));
  const auto h = handles();
  auto* ids = new AcDbObjectIdArray(0, 8);
  for (std::uint64_t handle : h) ids->append(idOf(handle));
  ASSERT_TRUE(vurk::PostSyncEntities(ids));
  EXPECT_EQ(requests(kSetObjTree), 0u) << "nothing before the window's message runs";
  ASSERT_TRUE(s.steps("wait 0"));
  EXPECT_EQ(requests(kSetObjTree), 1u) << "no folders pass: the folders are found or made one by one";
  EXPECT_GT(linkedId(h[0]), 0);
  EXPECT_TRUE(hostObjectsOf(h[1]).empty()) << "a speck at the origin is left out";
  EXPECT_EQ(linkedId(h[1]), 0);
  EXPECT_EQ(document()->explicitLockCount(), 0);
}

TEST_F(SendFlowTest, TheMapFollowsTheLastEntityWhenTheViewFollowModeAsks) {
  ASSERT_TRUE(s.steps("add line 0,0 1,1\nadd line 1000,2000 1010,2010"));
  ASSERT_TRUE(send());
  EXPECT_EQ(requests(20011), 0u) << "view follow mode 0 leaves the map where it is";
  settings().viewFollowMode = 1;
  ASSERT_TRUE(send());
  ASSERT_EQ(requests(20011), 1u);
  const auto* location = hostApp().record().lastRequest(20011);
  ASSERT_NE(location->field("east"), nullptr);
  EXPECT_EQ(std::get<double>(location->field("east")->value), 1005.0);
  EXPECT_EQ(std::get<double>(location->field("north")->value), 2005.0);

  // The map shows the objects at the scale of the drawing's view: a closer view, a higher level.
  auto levelAfterSendIn = [&](const std::string& zoom) {
    EXPECT_TRUE(s.steps("zoom window " + zoom));
    EXPECT_TRUE(send());
    return std::get<std::uint64_t>(hostApp().record().lastRequest(20011)->field("level")->value);
  };
  const auto wide = levelAfterSendIn("-49000,-48000 51000,52000");
  const auto close = levelAfterSendIn("990,1990 1020,2020");
  EXPECT_GE(wide, 1u);
  EXPECT_LE(close, 29u);
  // The host's levels halve the ground resolution each: 3333 times closer is log2(3333) = 11.7
  // levels deeper.
  EXPECT_NEAR(static_cast<double>(close) - static_cast<double>(wide), 11.7, 1.0) << wide << " " << close;

  ASSERT_TRUE(s.steps("command ERASE 1005,2005 \"\"\nwait 100"));
  ASSERT_TRUE(send());
  EXPECT_EQ(requests(20011), 3u) << "an entity at the origin does not move the map";
}

TEST_F(SendFlowTest, ACopyOfALinkedLineIsANewObjectAndErasingItLeavesTheOriginal) {
  settings().autoSyncObjects = 1;
  ASSERT_TRUE(s.steps("add line 0,0 100,0 layer 道路"));
  const std::uint64_t original = handles()[0];
  ASSERT_TRUE(send());
  const std::int32_t id = linkedId(original);
  ASSERT_TRUE(s.steps("wait 100\ncommand QSAVE\ncommand COPY 50,0 \"\" 0,0 0,50 \"\""));
  const auto h = handles();
  ASSERT_EQ(h.size(), 2u);
  const std::size_t deletes = requests(kDelObj);
  ASSERT_TRUE(s.steps("command ERASE 50,50 \"\"\nwait 0"));
  EXPECT_EQ(requests(kDelObj), deletes) << "the copy carried the original's link: the original's object stays";
  EXPECT_NE(store().find(id), nullptr);
  EXPECT_EQ(linkedId(original), id);

  ASSERT_TRUE(s.steps("wait 100\ncommand COPY 50,0 \"\" 0,0 0,80 \"\""));
  const std::uint64_t copy = handles().back();
  const std::size_t objects = store().size();
  ASSERT_TRUE(send());
  EXPECT_EQ(store().size(), objects + 1) << "the copy became an object of its own";
  EXPECT_NE(linkedId(copy), id);
  EXPECT_EQ(linkedId(original), id);
}

TEST_F(SendFlowTest, ASaveInOneDrawingWritesTheLinksAnotherDrawingsSendLeft) {
  ASSERT_TRUE(s.steps("add line 0,0 100,0 layer 道路"));
  ASSERT_TRUE(send());
  const std::uint64_t line = handles()[0];
  vurk::DocIdManager* site = vurk::CurrentDocState();
  ASSERT_TRUE(s.steps("wait 100\ndocument new as C:\\maps\\roads.dxf\ncommand QSAVE"));
  EXPECT_EQ(site->links.find(line)->stored, 1) << "the other drawing's pending link was written";
  EXPECT_EQ(site->document()->explicitLockCount(), 0);
  AcDbObjectId id;
  ASSERT_EQ(site->document()->database()->getAcDbObjectId(id, false, AcDbHandle(line)), Acad::eOk);
  EXPECT_EQ(vurk::readLinkById(id).mapObjectId, site->links.find(line)->mapObjectId);
}

}  // namespace
