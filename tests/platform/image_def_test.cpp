// Image definitions: the dictionary, loading, path resolution, removal while in use.
#include <gtest/gtest.h>

#include <string>

#include "arx/dbimage.h"
#include "db_test_support.h"
#include "platform/sandbox_fixture.h"
#include "win32/fileapi.h"

namespace {

// A PNG signature and IHDR chunk for a 24 x 16 image (all the loader reads).
std::string pngHeader() {
  std::string b("\x89PNG\r\n\x1a\n", 8);
  b += std::string("\x00\x00\x00\x0dIHDR", 8);
  b += std::string("\x00\x00\x00\x18\x00\x00\x00\x10\x08\x06\x00\x00\x00", 13);
  return b;
}

// SOI, an APP0 segment, then SOF0 for a 32 x 16 image.
std::string jpegHeader() {
  std::string b("\xFF\xD8", 2);
  b += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
  b += std::string("\xFF\xC0\x00\x11\x08\x00\x10\x00\x20\x03", 10);
  return b;
}

class ImageDefs : public vurktest::SandboxFixture {
 protected:
  ImageDefs() { services_.setWorkingDatabase(&db_); }
  void TearDown() override { EXPECT_EQ(db_.numOpenObjects(), 0); }

  // A definition stored in the image dictionary, left open for write.
  AcDbRasterImageDef* newDef(AcDbObjectId& id) {
    AcDbObjectId dictId;
    EXPECT_EQ(AcDbRasterImageDef::createImageDictionary(&db_, dictId), Acad::eOk);
    AcDbDictionary* dict = nullptr;
    EXPECT_EQ(acdbOpenObject(dict, dictId, AcDb::kForWrite), Acad::eOk);
    auto* def = new AcDbRasterImageDef;
    EXPECT_EQ(dict->setAt(u"12345", def, id), Acad::eOk);
    dict->close();
    return def;
  }

  AcDbHostApplicationServices services_;
  AcDbHostServicesScope scope_{services_};
  AcDbDatabase db_;
};

TEST_F(ImageDefs, ImageDictionaryIsCreatedOnceUnderItsName) {
  EXPECT_TRUE(AcDbRasterImageDef::imageDictionary(&db_).isNull());
  AcDbObjectId first, second;
  ASSERT_EQ(AcDbRasterImageDef::createImageDictionary(&db_, first), Acad::eOk);
  ASSERT_EQ(AcDbRasterImageDef::createImageDictionary(&db_, second), Acad::eOk);
  EXPECT_EQ(first, second);
  EXPECT_EQ(AcDbRasterImageDef::imageDictionary(&db_), first);
  AcDbDictionary* nod = nullptr;
  ASSERT_EQ(db_.getNamedObjectsDictionary(nod, AcDb::kForRead), Acad::eOk);
  AcDbObjectId found;
  EXPECT_EQ(nod->getAt(u"ACAD_IMAGE_DICT", found), Acad::eOk);
  nod->close();
  EXPECT_EQ(found, first);
}

TEST_F(ImageDefs, LoadFailsForMissingEmptyAndForeignFiles) {
  writeHostFile(sandbox() / "C" / "tiles" / "empty.png", "");
  writeHostFile(sandbox() / "C" / "tiles" / "notes.png", "just some text, not an image");
  AcDbObjectId id;
  AcDbRasterImageDef* def = newDef(id);
  EXPECT_EQ(def->setSourceFileName(u""), Acad::eInvalidInput);
  ASSERT_EQ(def->setSourceFileName(u"C:\\tiles\\missing.png"), Acad::eOk);
  EXPECT_EQ(def->load(), Acad::eFileNotFound);
  ASSERT_EQ(def->setSourceFileName(u"C:\\tiles\\empty.png"), Acad::eOk);
  EXPECT_EQ(def->load(), Acad::eFileAccessErr);
  ASSERT_EQ(def->setSourceFileName(u"C:\\tiles\\notes.png"), Acad::eOk);
  EXPECT_EQ(def->load(), Acad::eFileAccessErr);
  EXPECT_FALSE(def->isLoaded());
  EXPECT_EQ(def->sourceFileName(), u"C:\\tiles\\notes.png");
  def->close();
}

TEST_F(ImageDefs, RelativePathsResolveAgainstTheCurrentDirectoryThenTheDrawingFolder) {
  writeHostFile(sandbox() / "C" / "maps" / "tile.png", pngHeader());
  AcDbObjectId id;
  AcDbRasterImageDef* def = newDef(id);
  ASSERT_EQ(def->setSourceFileName(u"tile.png"), Acad::eOk);
  EXPECT_EQ(def->load(), Acad::eFileNotFound) << "the current directory is C:\\";
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\maps"));
  ASSERT_EQ(def->load(), Acad::eOk);
  EXPECT_TRUE(def->isLoaded());
  EXPECT_EQ(def->size().x, 24.0);
  EXPECT_EQ(def->size().y, 16.0);
  EXPECT_EQ(def->activeFileName(), u"C:\\maps\\tile.png");
  ASSERT_EQ(def->unload(), Acad::eOk);
  EXPECT_FALSE(def->isLoaded());

  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
  db_.setFilename(u"C:\\maps\\site.dwg");
  EXPECT_EQ(def->load(), Acad::eOk) << "found beside the drawing";
  def->close();
}

TEST_F(ImageDefs, JpegSizeComesFromItsFrameHeader) {
  writeHostFile(sandbox() / "C" / "photo.jpg", jpegHeader());
  AcDbObjectId id;
  AcDbRasterImageDef* def = newDef(id);
  def->setSourceFileName(u"C:\\photo.jpg");
  ASSERT_EQ(def->load(), Acad::eOk);
  EXPECT_EQ(def->size().x, 32.0);
  EXPECT_EQ(def->size().y, 16.0);
  def->close();
  // A truncated frame header is refused, not read past its end.
  writeHostFile(sandbox() / "C" / "cut.jpg", jpegHeader().substr(0, 25));
  AcDbRasterImageDef cut;
  cut.setSourceFileName(u"C:\\cut.jpg");
  EXPECT_EQ(cut.load(), Acad::eFileAccessErr);
}

TEST_F(ImageDefs, RemovedAndErasedDefinitionWhileAnImageUsesIt) {
  AcDbObjectId defId;
  newDef(defId)->close();
  auto* image = new AcDbRasterImage;
  ASSERT_EQ(image->setImageDefId(defId), Acad::eOk);
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(ms->appendAcDbEntity(image), Acad::eOk);
  ms->close();
  // The image stays open for write while the definition is removed and erased.
  AcDbDictionary* dict = nullptr;
  ASSERT_EQ(acdbOpenObject(dict, AcDbRasterImageDef::imageDictionary(&db_), AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(dict->remove(u"12345"), Acad::eOk);
  dict->close();
  AcDbRasterImageDef* def = nullptr;
  ASSERT_EQ(acdbOpenObject(def, defId, AcDb::kForWrite), Acad::eOk) << "remove does not erase";
  EXPECT_EQ(def->unload(), Acad::eOk);
  EXPECT_EQ(def->erase(), Acad::eOk);
  def->close();
  image->erase();
  image->close();
  EXPECT_EQ(acdbOpenObject(def, defId, AcDb::kForRead), Acad::eWasErased);
  EXPECT_EQ(def, nullptr);
}

}  // namespace
