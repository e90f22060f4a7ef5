#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>

#include "arx/axlock.h"
#include "arx/dbimage.h"
#include "settings/settings_store.h"
#include "plugin/shell/plugin_session.h"
#include "util/icon_images.h"

namespace {

// Width and height of a PNG file, read back with libpng; 0 x 0 when it is not a PNG.
std::pair<unsigned, unsigned> pngSize(const std::filesystem::path& p) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, p.c_str())) return {0, 0};
  const std::pair<unsigned, unsigned> size{image.width, image.height};
  png_image_free(&image);
  return size;
}

std::u16string sourceOf(AcDbObjectId id) {
  AcDbObject* obj = nullptr;
  if (acdbOpenObject(obj, id, AcDb::kForRead) != Acad::eOk) return u"<cannot open>";
  std::u16string s = AcDbRasterImageDef::cast(obj) ? AcDbRasterImageDef::cast(obj)->sourceFileName() : u"<not a def>";
  obj->close();
  return s;
}

class IconImagesTest : public ::testing::Test {
 protected:
  IconImagesTest() {
    s.steps("plugin load");
    vurk::ResetDefaultIconPath();
  }
  ~IconImagesTest() override { vurk::ResetDefaultIconPath(); }
  vurktest::PluginSession s{true};
  AcAxDocLock lock_;  // the features calling these utilities hold the drawing's write lock
  const std::u16string folder = u"C:\\Users\\me\\AppData\\Local\\Temp\\VurkArxIcon";
};

TEST_F(IconImagesTest, AnIconIsExtractedOnceAndDefinedUnderItsKey) {
  const AcDbObjectId id = vurk::GetIconImageDef(7);
  ASSERT_FALSE(id.isNull());
  const std::filesystem::path file = s.host(folder + u"\\Icon0007.png");
  EXPECT_EQ(pngSize(file), (std::pair<unsigned, unsigned>{24, 24})) << "a real 24 x 24 picture";
  EXPECT_EQ(sourceOf(id), folder + u"\\Icon0007.png");
  EXPECT_EQ(vurk::GetIconImageDef(7), id) << "the same definition the second time";
}

TEST_F(IconImagesTest, IconsFiveHundredToNineHundredAreIconFour) {
  const AcDbObjectId id = vurk::GetIconImageDef(650);
  EXPECT_EQ(sourceOf(id), folder + u"\\Icon0004.png");
  EXPECT_EQ(vurk::GetIconImageDef(4), id);
  EXPECT_FALSE(std::filesystem::exists(s.host(folder + u"\\Icon0650.png")));
}

TEST_F(IconImagesTest, AnIconWithoutAPictureGivesNoDefinition) {
  EXPECT_TRUE(vurk::GetIconImageDef(42).isNull());
  EXPECT_FALSE(std::filesystem::exists(s.host(folder + u"\\Icon0042.png")));
}

TEST_F(IconImagesTest, AnUnreadableIconFileFallsBackToTheDefaultIcon) {
  // Someone left a file that is not a picture where icon 3 belongs.
  ASSERT_TRUE(s.steps("write file C:\\Users\\me\\AppData\\Local\\Temp\\VurkArxIcon\\Icon0003.png broken"));
  const AcDbObjectId id = vurk::GetIconImageDef(3);
  ASSERT_FALSE(id.isNull());
  EXPECT_EQ(sourceOf(id), folder + u"\\Icon.png");
  EXPECT_EQ(pngSize(s.host(folder + u"\\Icon.png")).first, 24u);
}

}  // namespace
