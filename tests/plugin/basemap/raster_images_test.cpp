#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "arx/axlock.h"
#include "arx/acad_app.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbdict.h"
#include "arx/dbents.h"
#include "arx/dbimage.h"
#include "arx/dbsort.h"
#include "arx/dbsymtb.h"
#include "basemap/dwg_database_util.h"
#include "basemap/raster_images.h"
#include "plugin/shell/plugin_session.h"
#include "support/png_file.h"
#include "win32/fileapi.h"
#include "win32/transcript.h"
#include "win32/user_script.h"

namespace {

using vurktest::writePng;

class RasterImagesTest : public ::testing::Test {
 protected:
  RasterImagesTest() {
    s.drawing().setFilename(u"D:\\p\\site.dwg");
    writePng(s.host(u"D:\\p\\maps\\a.png"));
    writePng(s.host(u"D:\\p\\maps\\b.png"));
    writePng(s.host(u"E:\\maps\\x.png"));
  }

  template <typename T, typename F>
  void withOpen(AcDbObjectId id, F f) {
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
    T* typed = T::cast(obj);
    ASSERT_NE(typed, nullptr);
    f(typed);
    obj->close();
  }

  vurktest::PluginSession s;
  AcAxDocLock lock_;  // the features calling these utilities hold the drawing's write lock
};

TEST_F(RasterImagesTest, ReversedCornersGiveAMirroredImage) {
  AcDbObjectId image;
  ASSERT_EQ(vurk::InsertIMGFile(vurk::GetLayerId(u"", false), u"D:\\p\\maps\\a.png", u"1001", AcGePoint3d(100, 0, 0),
                                AcGePoint3d(0, 50, 0), false, image),
            0);
  withOpen<AcDbRasterImage>(image, [](AcDbRasterImage* img) {
    AcGePoint3d origin;
    AcGeVector3d u, v;
    img->getOrientation(origin, u, v);
    EXPECT_EQ(origin, AcGePoint3d(100, 0, 0));
    EXPECT_EQ(u.x, -100.0) << "the corners are not reordered";
    EXPECT_EQ(v.y, 50.0);
    EXPECT_TRUE(img->isSetDisplayOpt(AcDbRasterImage::kTransparent));
  });
}

TEST_F(RasterImagesTest, ArgumentFailuresReturnThree) {
  AcDbObjectId image;
  EXPECT_EQ(vurk::InsertIMGFile(AcDbObjectId::kNull, u"", u"k", AcGePoint3d(), AcGePoint3d(1, 1, 0), false, image), 3);
  EXPECT_EQ(vurk::InsertIMGFile(AcDbObjectId::kNull, u"D:\\p\\maps\\a.png", u"", AcGePoint3d(), AcGePoint3d(1, 1, 0),
                                false, image),
            3);
  EXPECT_EQ(vurk::InsertIMGFile(AcDbObjectId::kNull, u"D:\\p\\missing.png", u"k", AcGePoint3d(), AcGePoint3d(1, 1, 0),
                                false, image),
            3);
  const std::u16string text = s.desktop().transcript().commandLineText();
  EXPECT_NE(text.find(u"FilePathName is empty\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"KeyWord is empty\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"RasterImgDefId is null\n"), std::u16string::npos);
}

TEST_F(RasterImagesTest, ADefinitionIsReusedByKeyWhateverTheFile) {
  const AcDbObjectId first = vurk::GetRasterImgDefId(u"ICON0004_PNG", u"D:\\p\\maps\\a.png", false);
  const AcDbObjectId second = vurk::GetRasterImgDefId(u"ICON0004_PNG", u"D:\\p\\maps\\b.png", false);
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(first, second);
  withOpen<AcDbRasterImageDef>(first, [](AcDbRasterImageDef* def) {
    EXPECT_EQ(def->sourceFileName(), u"D:\\p\\maps\\a.png");
  });
  EXPECT_TRUE(vurk::GetRasterImgDefId(u"", u"D:\\p\\maps\\a.png", false).isNull());
}

TEST_F(RasterImagesTest, RelativeDefinitionsOnlyForFilesInsideTheDrawingFolder) {
  const std::u16string before = [] {
    char16_t buf[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buf);
    return std::u16string(buf);
  }();
  const AcDbObjectId inside = vurk::GetRasterImgDefId(u"in", u"D:\\P\\maps\\a.png", true);
  const AcDbObjectId outside = vurk::GetRasterImgDefId(u"out", u"E:\\maps\\x.png", true);
  withOpen<AcDbRasterImageDef>(inside, [](AcDbRasterImageDef* def) {
    EXPECT_EQ(def->sourceFileName(), u"maps\\a.png") << "folder matched without regard to case";
  });
  withOpen<AcDbRasterImageDef>(outside, [](AcDbRasterImageDef* def) {
    EXPECT_EQ(def->sourceFileName(), u"E:\\maps\\x.png") << "a file elsewhere keeps its full path";
  });
  char16_t now[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, now);
  EXPECT_EQ(std::u16string(now), before) << "the process's current directory is given back";
}

TEST_F(RasterImagesTest, IconStandsOnThePointWithIntegerHalving) {
  const AcDbObjectId def = vurk::GetRasterImgDefId(u"ICON0001_PNG", u"D:\\p\\maps\\a.png", false);
  AcGePoint3d p(10, 20, 7);
  const AcDbObjectId icon = vurk::AddImgPoint(def, p, 5, vurk::EntityProps{});
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(p.z, 0.0) << "the caller's point loses its Z";
  withOpen<AcDbRasterImage>(icon, [](AcDbRasterImage* img) {
    AcGePoint3d origin;
    AcGeVector3d u, v;
    img->getOrientation(origin, u, v);
    EXPECT_EQ(origin, AcGePoint3d(8, 20, 0)) << "x - 5/2 in whole units";
    EXPECT_EQ(u, AcGeVector3d(5, 0, 0));
    EXPECT_EQ(v, AcGeVector3d(0, 5, 0));
  });
  vurk::SetImgPointPosition(icon, AcGePoint3d(100, 50, 3), 6);
  withOpen<AcDbRasterImage>(icon, [](AcDbRasterImage* img) {
    AcGePoint3d origin;
    AcGeVector3d u, v;
    img->getOrientation(origin, u, v);
    EXPECT_EQ(origin, AcGePoint3d(97, 50, 3));
  });
}

TEST_F(RasterImagesTest, IconLayerIsCreatedOnFirstUse) {
  const AcDbObjectId def = vurk::GetRasterImgDefId(u"ICON0001_PNG", u"D:\\p\\maps\\a.png", false);
  vurk::EntityProps props;
  props.layer = u"标注";
  AcGePoint3d p(0, 0, 0);
  EXPECT_FALSE(vurk::AddImgPoint(def, p, 4, props).isNull());
  const AcDbObjectId layer = vurk::GetLayerId(u"标注", false);
  EXPECT_FALSE(layer.isNull());
  EXPECT_FALSE(vurk::AddImgPoint(def, p, 4, props).isNull());
  EXPECT_EQ(vurk::GetLayerId(u"标注", false), layer) << "the second icon finds the layer";
}

TEST_F(RasterImagesTest, AnIconWhoseLayerCannotBeSetIsNotLeftBehind) {
  const AcDbObjectId def = vurk::GetRasterImgDefId(u"ICON0001_PNG", u"D:\\p\\maps\\a.png", false);
  // Without a working database the current layer cannot be set: the image never reaches the
  // drawing and is deleted (the sanitizer build reports it otherwise).
  AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  AcGePoint3d p(1, 1, 0);
  EXPECT_TRUE(vurk::AddImgPoint(def, p, 4, vurk::EntityProps{}).isNull());
  acdbHostApplicationServices()->setWorkingDatabase(working);
  EXPECT_EQ(vurk::GetAllEntityIds(u"", &s.drawing()).length(), 0) << "nothing was appended";
}

TEST_F(RasterImagesTest, RemovingAnImageTakesItsDefinitionAlong) {
  AcDbObjectId image;
  ASSERT_EQ(vurk::InsertIMGFile(vurk::GetLayerId(u"", false), u"D:\\p\\maps\\a.png", u"777", AcGePoint3d(0, 0, 0),
                                AcGePoint3d(10, 10, 0), false, image),
            0);
  AcDbObjectId def;
  withOpen<AcDbRasterImage>(image, [&](AcDbRasterImage* img) { def = img->imageDefId(); });
  vurk::RemoveRasterImage(image, u"777");
  EXPECT_TRUE(image.isErased());
  EXPECT_TRUE(def.isErased());
  EXPECT_TRUE(vurk::GetRasterImgDefId(u"777", u"", false).isNull()) << "the key is gone from the dictionary";
  // A second removal finds the image erased and says only that.
  const std::size_t before = s.desktop().transcript().commandLineText().size();
  vurk::RemoveRasterImage(image, u"777");
  const std::u16string added = s.desktop().transcript().commandLineText().substr(before);
  EXPECT_EQ(added, u"清楚缓存地图失败！错误代码：80\n");
}

TEST_F(RasterImagesTest, MovingToTheBottomCreatesTheSortTableWhereAutoCADKeepsIt) {
  const AcDbObjectId line = vurk::AppendToModelSpace(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)),
                                                     vurk::DefaultEntityProps(), &s.drawing());
  AcDbObjectId image;
  ASSERT_EQ(vurk::InsertIMGFile(vurk::GetLayerId(u"", false), u"D:\\p\\maps\\a.png", u"9", AcGePoint3d(0, 0, 0),
                                AcGePoint3d(10, 10, 0), false, image),
            0);
  AcDbObjectIdArray ids;
  ids.append(image);
  DWORD elapsed = 1234;
  ASSERT_EQ(vurk::MoveToBottom(ids, elapsed), Acad::eOk);
  EXPECT_EQ(elapsed, 0u) << "the virtual clock did not move";
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(vurk::GetModelSpace(&s.drawing(), ms, AcDb::kForRead), Acad::eOk);
  const AcDbObjectId ext = ms->extensionDictionary();
  ms->close();
  ASSERT_FALSE(ext.isNull());
  withOpen<AcDbDictionary>(ext, [&](AcDbDictionary* d) {
    AcDbObjectId tableId;
    ASSERT_EQ(d->getAt(u"ACAD_SORTENTS", tableId), Acad::eOk);
    withOpen<AcDbSortentsTable>(tableId, [&](AcDbSortentsTable* t) {
      AcDbObjectIdArray order;
      t->getFullDrawOrder(order);
      ASSERT_EQ(order.length(), 2);
      EXPECT_EQ(order[0], image) << "drawn first, under everything";
      EXPECT_EQ(order[1], line);
    });
  });
  EXPECT_EQ(vurk::MoveToBottom(AcDbObjectIdArray(), elapsed), Acad::eOk);
}

TEST_F(RasterImagesTest, CivilHostsAreRecognisedByPrefixOrTitle) {
  vurk::ResetHostKindFlag();
  EXPECT_EQ(vurk::HostKindFlag(), 1);
  vurk::ResetHostKindFlag();
  s.acad().setMainWindowTitle(u"Autodesk Civil 3D 2021");
  EXPECT_EQ(vurk::HostKindFlag(), 0);
  s.acad().setMainWindowTitle(u"Civil");
  EXPECT_EQ(vurk::HostKindFlag(), 0) << "determined once";
  vurk::ResetHostKindFlag();
  EXPECT_EQ(vurk::HostKindFlag(), 1) << "\"Civil\" at the very start does not count";
  vurk::ResetHostKindFlag();
}

}  // namespace
