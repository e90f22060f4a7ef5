// Thinning out point icons in the view: which icons stay visible, what is never touched
// (tiles, maps, icons outside the cells), and the stops before any change.
#include <gtest/gtest.h>

#include <vector>

#include "arx/acdocman.h"
#include "arx/axlock.h"
#include "arx/dbdatabase.h"
#include "arx/dbimage.h"
#include "arx/dbreactor.h"
#include "basemap/icon_declutter.h"
#include "basemap/raster_images.h"
#include "plugin/shell/plugin_session.h"
#include "support/png_file.h"
#include "win32/window_manager.h"
#include "win32/winuser.h"
#include "win32/format.h"

namespace {

class ModificationCounter : public AcDbDatabaseReactor {
 public:
  void objectModified(const AcDbDatabase*, const AcDbObject*) override { ++modified; }
  int modified = 0;
};

class IconDeclutter : public ::testing::Test {
 protected:
  IconDeclutter() {
    AcAxDocLock lock;
    vurktest::writePng(s.host(u"D:\\p\\icon.png"));
    vurktest::writePng(s.host(u"D:\\p\\tile.png"));
    iconDef = vurk::GetRasterImgDefId(u"ICON0007_PNG", u"D:\\p\\icon.png", false);
    EXPECT_FALSE(iconDef.isNull());
  }

  // An icon of size 2 standing on (x, y): its position for the pass is exactly (x, y).
  // The drawing is changed as the plug-in's callers change it: under the document's lock.
  AcDbObjectId icon(double x, double y, bool visible = true) {
    AcAxDocLock lock;
    AcGePoint3d p(x, y, 0);
    const AcDbObjectId id = vurk::AddImgPoint(iconDef, p, 2, vurk::EntityProps{});
    EXPECT_FALSE(id.isNull());
    if (!visible) setVisible(id, false);
    return id;
  }
  AcDbObjectId tile(int n, double x, double y, bool visible) {
    AcAxDocLock lock;
    AcDbObjectId id;
    EXPECT_EQ(vurk::InsertIMGFile(vurk::GetLayerId(u"", false), u"D:\\p\\tile.png", win32::formatWide(u"17%02d", n),
                                  AcGePoint3d(x, y, 0), AcGePoint3d(x + 8, y + 8, 0), false, id),
              0);
    if (!visible) setVisible(id, false);
    return id;
  }
  static void setVisible(AcDbObjectId id, bool visible) {
    AcAxDocLock lock;
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
    AcDbEntity::cast(obj)->setVisibility(visible ? AcDb::kVisible : AcDb::kInvisible);
    obj->close();
  }
  static bool visible(AcDbObjectId id) {
    AcDbObject* obj = nullptr;
    EXPECT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
    const bool v = obj && AcDbEntity::cast(obj)->visibility() == AcDb::kVisible;
    if (obj) obj->close();
    return v;
  }
  // A view of 1000 × 1000 drawing units on a window of 1000 × 1000 pixels: with the default
  // threshold of 1000 the cells are ⌊√1000⌋ = 31 pixels (and units) wide.
  static vurk::ViewRecord view() { return {0, 0, 1000, 1000, 1000, 1000}; }

  vurktest::PluginSession s;
  AcDbObjectId iconDef;
};

TEST_F(IconDeclutter, TheFirstIconOfACellStaysAndTheOthersHide) {
  const AcDbObjectId first = icon(5, 5);
  const AcDbObjectId sameCell = icon(30, 30);
  const AcDbObjectId nextColumn = icon(32, 5, /*visible=*/false);
  for (int i = 0; i < 997; ++i) icon(500, 300);  // all in one cell further away
  const vurk::DeclutterOutcome out = vurk::DeclutterIcons(view(), 1000);
  EXPECT_TRUE(out.ran);
  EXPECT_EQ(out.iconsInView, 1000u);
  EXPECT_TRUE(visible(first));
  EXPECT_FALSE(visible(sameCell));
  EXPECT_TRUE(visible(nextColumn)) << "a hidden icon alone in its cell is shown again";
  EXPECT_EQ(out.shown, 1u);
  EXPECT_EQ(out.hidden, 1u + 996u);
  EXPECT_EQ(acDocManager->mdiActiveDocument()->explicitLockCount(), 0) << "the pass gives its lock back";
}

TEST_F(IconDeclutter, TilesMapsAndUserImagesAreNeitherCountedNorTouched) {
  std::vector<AcDbObjectId> tiles;
  for (int i = 0; i < 20; ++i) tiles.push_back(tile(i, 10.0 * i, 10, /*visible=*/i % 2 == 0));
  for (int i = 0; i < 999; ++i) icon(10, 10);
  // 999 icons and 20 tiles: below the threshold, so nothing happens.
  EXPECT_FALSE(vurk::DeclutterIcons(view(), 1000).ran);
  icon(10, 10);
  const vurk::DeclutterOutcome out = vurk::DeclutterIcons(view(), 1000);
  EXPECT_TRUE(out.ran);
  EXPECT_EQ(out.iconsInView, 1000u);
  EXPECT_EQ(out.hidden, 999u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(visible(tiles[static_cast<std::size_t>(i)]), i % 2 == 0) << "tile " << i;
}

TEST_F(IconDeclutter, CellsAliasAcrossColumnsAndIconsBeyondTheCellsKeepTheirState) {
  // Column 1, row 0 and column 0, row 19 are both cell 19: the later icon hides.
  const AcDbObjectId columnOne = icon(40, 5);
  const AcDbObjectId rowNineteen = icon(5, 19 * 31 + 5);
  // Column 32 gives cells from 608 on: outside the table, so left as the user had them.
  const AcDbObjectId farHidden = icon(995, 5, false);
  const AcDbObjectId farShown = icon(995, 5);
  for (int i = 0; i < 996; ++i) icon(900, 900);
  vurk::DeclutterIcons(view(), 1000);
  EXPECT_TRUE(visible(columnOne));
  EXPECT_FALSE(visible(rowNineteen));
  EXPECT_FALSE(visible(farHidden));
  EXPECT_TRUE(visible(farShown));
}

TEST_F(IconDeclutter, OnlyIconsWhoseVisibilityChangesAreModified) {
  // Threshold 12: cells of ⌊√(10⁶ / 12)⌋ = 288 units. Ten icons in ten cells, all visible…
  for (double x : {100, 400, 700}) {
    for (double y : {100, 400, 700}) icon(x, y);
  }
  icon(950, 950);
  icon(100, 100);         // …one duplicate…
  icon(950, 100, false);  // …and one hidden icon alone in its cell.
  ModificationCounter counter;
  s.drawing().addReactor(&counter);
  const vurk::DeclutterOutcome out = vurk::DeclutterIcons(view(), 12);
  s.drawing().removeReactor(&counter);
  EXPECT_TRUE(out.ran);
  EXPECT_EQ(out.hidden + out.shown, 2u);
  EXPECT_EQ(counter.modified, 2) << "unchanged icons are not opened for writing";
}

TEST_F(IconDeclutter, StopsBeforeAnyChange) {
  for (int i = 0; i < 20; ++i) icon(10, 10);
  // A stored threshold of 0 means the default of 1000: 20 icons are too few, and nothing divides by 0.
  EXPECT_EQ(vurk::EffectiveIconThreshold(0), 1000u);
  vurk::DeclutterOutcome out = vurk::DeclutterIcons(view(), 0);
  EXPECT_FALSE(out.ran);
  EXPECT_EQ(out.iconsInView, 20u);
  // A cell smaller than a pixel, a window without size, a view without width: no pass.
  EXPECT_FALSE(vurk::DeclutterIcons({0, 0, 1000, 1000, 3, 3}, 15).ran);
  EXPECT_FALSE(vurk::DeclutterIcons({0, 0, 1000, 1000, 0, 1000}, 15).ran);
  EXPECT_FALSE(vurk::DeclutterIcons({5, 0, 5, 1000, 1000, 1000}, 15).ran);
  out = vurk::DeclutterIcons(view(), 15);
  EXPECT_TRUE(out.ran);
  EXPECT_EQ(out.hidden, 19u) << "the same icons thin out once a pass runs";
}

}  // namespace

namespace {

// The pass as the loaded plug-in runs it on message 32812: with the current view and settings,
// and again on the next message.
TEST_F(IconDeclutter, MessageThirtyTwoEightTwelveThinsTheIconsInTheCurrentViewEachTime) {
  ASSERT_TRUE(s.steps("host start\nplugin load\nview screen 1000 1000\nview centre 500,500 height 1000"));
  const AcDbObjectId first = icon(100, 100);
  std::vector<AcDbObjectId> rest;
  for (int i = 0; i < 999; ++i) rest.push_back(icon(110, 110));
  const HWND window = FindWindowW(u"VurkArxWin", nullptr);
  ASSERT_NE(window, nullptr);
  PostMessageW(window, 32812, 0, 0);
  s.desktop().windows().pump();
  EXPECT_TRUE(visible(first));
  EXPECT_FALSE(visible(rest.front()));
  EXPECT_EQ(acDocManager->mdiActiveDocument()->explicitLockCount(), 0);
  // The user shows one icon again; the next message hides it again: the pass is not stuck.
  setVisible(rest.back(), true);
  PostMessageW(window, 32812, 0, 0);
  s.desktop().windows().pump();
  EXPECT_FALSE(visible(rest.back()));
}

}  // namespace
