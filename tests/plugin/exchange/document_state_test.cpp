// Each open drawing's DocIdManager through AutoCAD's documents and commands, and links that
// survive QSAVE, CLOSE and OPEN.
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "arx/acdocman.h"
#include "arx/axlock.h"
#include "arx/dbdatabase.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "exchange/doc_id_manager.h"
#include "exchange/link_record.h"
#include "plugin/shell/plugin_session.h"
#include "win32/unicode.h"
#include "count_command.h"

namespace {

using vurk::DocIdManager;
using vurk::DocStates;

// The handles of the current drawing's model-space entities, in drawing order.
std::vector<std::uint64_t> ModelSpaceHandles(AcDbDatabase* db) {
  std::vector<std::uint64_t> handles;
  for (AcDbObjectId id : desk::modelSpaceIds(*db)) handles.push_back(id.handle().value());
  return handles;
}

AcDbObjectId IdOf(AcDbDatabase* db, std::uint64_t handle) {
  AcDbObjectId id;
  db->getAcDbObjectId(id, false, AcDbHandle(handle));
  return id;
}

AcApDocument* Document(const char16_t* path) {
  std::unique_ptr<AcApDocumentIterator> it(acDocManager->newAcApDocumentIterator());
  for (; !it->done(); it->step()) {
    if (std::u16string(it->document()->fileName()) == path) return it->document();
  }
  return nullptr;
}

// A link as the send would leave it before the save: linked, not stored.
void Link(DocIdManager& state, std::uint64_t handle, std::int32_t id, const std::u16string& name,
          const std::u16string& comment) {
  vurk::EntityLink& link = state.links.setLinkId(handle, id, false);
  link.name = name;
  link.comment = comment;
}

constexpr const char16_t* kSite = u"C:\\maps\\site.dxf";
constexpr const char16_t* kRoads = u"C:\\maps\\roads.dxf";

TEST(DocumentStates, EveryOpenDrawingHasItsStateFromCreationToDestruction) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("document new as C:\\maps\\site.dxf\ndocument new as C:\\maps\\roads.dxf\nplugin load"));
  EXPECT_EQ(DocStates().size(), static_cast<std::size_t>(acDocManager->documentCount()))
      << "start-up makes one for each drawing already open";
  ASSERT_NE(vurk::CurrentDocState(), nullptr);
  EXPECT_EQ(vurk::CurrentDocState()->document(), acDocManager->curDocument());

  ASSERT_TRUE(s.steps("document new as C:\\maps\\third.dxf"));
  DocIdManager* third = vurk::CurrentDocState();
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->fileName(), u"C:\\maps\\third.dxf");
  const std::size_t open = DocStates().size();

  ASSERT_TRUE(s.steps("document activate site.dxf"));
  ASSERT_NE(vurk::CurrentDocState(), nullptr);
  EXPECT_EQ(vurk::CurrentDocState()->fileName(), kSite);
  EXPECT_EQ(DocStates().size(), open) << "activation finds the state, it makes no second one";
  EXPECT_EQ(DocStates().findByDatabase(Document(kRoads)->database()), DocStates().find(Document(kRoads)))
      << "an object's drawing finds its state whichever drawing is current";
  EXPECT_NE(DocStates().find(Document(kRoads)), vurk::CurrentDocState());

  ASSERT_TRUE(s.steps("document close third.dxf"));
  EXPECT_EQ(DocStates().size(), open - 1);
  EXPECT_EQ(DocStates().find(Document(kSite)), vurk::CurrentDocState());
  for (DocIdManager* st : DocStates().all()) EXPECT_NE(st->fileName(), u"C:\\maps\\third.dxf");

  ASSERT_TRUE(s.steps("plugin unload"));
  EXPECT_EQ(DocStates().size(), 0u);
  EXPECT_EQ(vurk::CurrentDocState(), nullptr);
  ASSERT_TRUE(s.steps("document new as C:\\maps\\after.dxf"));
  EXPECT_EQ(DocStates().size(), 0u) << "an unloaded plug-in hears nothing";
}

TEST(DocumentStates, LinksSurviveQsaveCloseAndOpen) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("mkdir C:\\maps\ndocument new as C:\\maps\\site.dxf\nplugin load\n"
                      "add line 0,0 100,0 layer 道路\nadd circle 50,50 10\nadd text 5,5 2.5 井盖一号\n"
                      "add point 10,10\nadd point 20,20"));
  AcDbDatabase* db = acDocManager->curDocument()->database();
  const auto handles = ModelSpaceHandles(db);
  ASSERT_EQ(handles.size(), 5u);
  DocIdManager& state = *vurk::CurrentDocState();
  const std::u16string longComment = std::u16string(2000, u'注') + u"\r\n<?tessan_ct name=\"x\">";
  Link(state, handles[0], 501, u"主干道", longComment);
  Link(state, handles[1], -150, u"", u"");
  Link(state, handles[2], 503, u"井盖一号", u"铸铁");
  state.links.setLinkId(handles[3], 504, true);
  state.links.setLinkId(handles[4], 504, true);
  EXPECT_EQ(state.links.pendingHandles().size(), 5u);

  ASSERT_TRUE(s.steps("command QSAVE"));
  EXPECT_TRUE(state.links.pendingHandles().empty()) << "QSAVE wrote every pending link";
  ASSERT_TRUE(std::filesystem::exists(s.host(kSite))) << s.transcript();
  ASSERT_TRUE(s.steps("command CLOSE"));
  EXPECT_EQ(DocStates().find(Document(kSite)), nullptr);
  ASSERT_TRUE(s.steps("command OPEN C:\\maps\\site.dxf"));

  AcApDocument* reopened = Document(kSite);
  ASSERT_NE(reopened, nullptr) << s.transcript();
  DocIdManager* back = DocStates().find(reopened);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back, vurk::CurrentDocState());
  const auto again = ModelSpaceHandles(reopened->database());
  ASSERT_EQ(again, handles) << "DXF keeps the handles";
  const vurk::EntityLink* line = back->links.find(handles[0]);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->mapObjectId, 501);
  EXPECT_EQ(line->name, u"主干道");
  EXPECT_EQ(line->comment, longComment);
  EXPECT_EQ(line->stored, 1);
  EXPECT_EQ(back->links.find(handles[1])->mapObjectId, -150);
  EXPECT_EQ(back->links.find(handles[2])->mapObjectId, 503);
  EXPECT_EQ(back->links.find(handles[2])->comment, u"铸铁");
  EXPECT_EQ(back->links.holders(501), std::vector<std::uint64_t>{handles[0]});
  const vurk::LinkGroup* points = back->links.group(504);
  ASSERT_NE(points, nullptr) << "the points come back as one point set";
  EXPECT_EQ(points->members, (std::list<std::uint64_t>{handles[3], handles[4]}));
  EXPECT_EQ(back->links.find(handles[3])->isMember, 1);
  EXPECT_TRUE(back->links.pendingHandles().empty());
}

TEST(DocumentStates, StartUpReadsTheLinksOfDrawingsAlreadyOpen) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("document new as C:\\maps\\site.dxf\nadd line 0,0 5,5\nadd line 1,1 2,2"));
  AcDbDatabase* db = acDocManager->curDocument()->database();
  const auto handles = ModelSpaceHandles(db);
  {
    AcAxDocLock lock(db);
    AcDbObject* o = nullptr;
    ASSERT_EQ(acdbOpenObject(o, IdOf(db, handles[1]), AcDb::kForWrite), Acad::eOk);
    vurk::EntityLink link;
    link.mapObjectId = 77;
    link.name = u"旧线";
    EXPECT_EQ(vurk::writeLink(*o, link), Acad::eOk);
    o->close();
  }
  ASSERT_TRUE(s.steps("plugin load"));
  DocIdManager* state = vurk::CurrentDocState();
  ASSERT_NE(state, nullptr);
  ASSERT_NE(state->links.find(handles[1]), nullptr);
  EXPECT_EQ(state->links.find(handles[1])->mapObjectId, 77);
  EXPECT_EQ(state->links.find(handles[1])->stored, 1);
  EXPECT_EQ(state->links.holders(77), std::vector<std::uint64_t>{handles[1]});
  ASSERT_NE(state->links.find(handles[0]), nullptr) << "every entity's link is cached, linked or not";
  EXPECT_EQ(state->links.find(handles[0])->mapObjectId, 0);
}

TEST(DocumentStates, QsaveInOneDrawingWritesTheOthersUnderTheirOwnLocks) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("document new as C:\\maps\\roads.dxf\nadd line 0,0 5,0\n"
                      "document new as C:\\maps\\site.dxf\nadd line 0,0 0,5\nplugin load"));
  AcApDocument* roads = Document(kRoads);
  AcApDocument* site = Document(kSite);
  DocIdManager& roadsState = *DocStates().find(roads);
  DocIdManager& siteState = *DocStates().find(site);
  const auto roadHandles = ModelSpaceHandles(roads->database());
  const auto siteHandles = ModelSpaceHandles(site->database());
  Link(roadsState, roadHandles[0], 11, u"路", u"");
  Link(siteState, siteHandles[0], 12, u"址", u"");

  ASSERT_TRUE(s.steps("command QSAVE"));  // in site.dxf, the current drawing
  EXPECT_EQ(siteState.links.find(siteHandles[0])->stored, 1);
  EXPECT_EQ(roadsState.links.find(roadHandles[0])->stored, 1) << "the other drawing's link was written";
  EXPECT_EQ(vurk::readLinkById(IdOf(roads->database(), roadHandles[0])).mapObjectId, 11);
  EXPECT_EQ(roads->explicitLockCount(), 0) << "its lock was released";
}

TEST(DocumentStates, SavingLeavesALabelsTextAsItIs) {
  vurktest::PluginSession s(true);
  const std::u16string sixty(60, u'测');
  ASSERT_TRUE(s.steps("document new as C:\\maps\\site.dxf\nplugin load\nadd text 0,0 2 " +
                      win32::utf16ToUtf8(sixty)));
  AcDbDatabase* db = acDocManager->curDocument()->database();
  const auto handles = ModelSpaceHandles(db);
  DocIdManager& state = *vurk::CurrentDocState();
  Link(state, handles[0], 9, std::u16string(32, u'测'), u"");  // the cut name a record carries
  ASSERT_TRUE(s.steps("command QSAVE"));
  AcDbText* text = nullptr;
  ASSERT_EQ(acdbOpenObject(text, IdOf(db, handles[0]), AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(text->textString(), sixty);
  text->close();
}

}  // namespace

namespace {

TEST(DocumentStates, ALinkThatCannotBeWrittenStaysPendingAndLocksAreReleased) {
  vurktest::PluginSession s(true);
  ASSERT_TRUE(s.steps("document new as C:\\maps\\site.dxf\nplugin load\nadd line 0,0 5,0\nadd line 0,1 5,1"));
  AcApDocument* doc = acDocManager->curDocument();
  AcDbDatabase* db = doc->database();
  const auto handles = ModelSpaceHandles(db);
  DocIdManager& state = *vurk::CurrentDocState();
  Link(state, handles[0], 21, u"甲", u"");
  Link(state, handles[1], 22, u"乙", u"");

  // Someone holds the first line open: its link cannot be written now.
  AcDbEntity* held = nullptr;
  ASSERT_EQ(acdbOpenObject(held, IdOf(db, handles[0]), AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(vurk::saveLinks(), 1);
  held->close();
  EXPECT_EQ(state.links.find(handles[0])->stored, 0) << "not written, so still pending";
  EXPECT_EQ(state.links.find(handles[1])->stored, 1);
  EXPECT_EQ(doc->explicitLockCount(), 0);
  EXPECT_EQ(vurk::saveLinks(), 1) << "the next save writes it";
  EXPECT_EQ(state.links.find(handles[0])->stored, 1);
  EXPECT_EQ(vurk::saveLinks(), 0);

  // Collecting the links of a layer that does not exist stops early and unlocks.
  std::vector<vurk::EntityLink> list;
  EXPECT_NE(vurk::collectLinks(state, &list, false, u"没有的层"), Acad::eOk);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(vurk::collectLinks(state, &list, false, u"0"), Acad::eOk);
  EXPECT_EQ(list.size(), 2u) << "both lines are on layer 0 and linked";
  EXPECT_EQ(doc->explicitLockCount(), 0);
}

}  // namespace
