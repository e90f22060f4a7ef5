#include "basemap/raster_images.h"

#include <array>
#include <optional>

#include "arx/acad_app.h"
#include "arx/rxmfcapi.h"
#include "arx/acedads.h"
#include "arx/acutads.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbdict.h"
#include "arx/dbimage.h"
#include "arx/dbsort.h"
#include "arx/dbsymtb.h"
#include "mfc/afxmsg.h"
#include "win32/clock.h"
#include "win32/fileapi.h"
#include "win32/format.h"
#include "win32/winuser.h"
#include "win32/wstr.h"

namespace vurk {

namespace {

std::optional<int> g_hostKind;  // unset until RemoveRasterImage first needs it

AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

void box(const char16_t* format, Acad::ErrorStatus es) {
  AfxMessageBox(win32::formatWide(format, static_cast<int>(es)).c_str());
}

bool startsWithFolder(const std::u16string& path, const std::u16string& folder) {
  if (path.size() <= folder.size() + 1) return false;
  const char16_t sep = path[folder.size()];
  return (sep == u'\\' || sep == u'/') && _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) == 0;
}

// "Civil" at a position after the first character.
bool mentionsCivil(const std::u16string& text) {
  const auto at = text.find(u"Civil");
  return at != std::u16string::npos && at > 0;
}

// Sets the icon's corners: the bottom edge centred on the point, a square of size units.
void placeIcon(AcDbRasterImage* image, const AcGePoint3d& point, int size, double z) {
  const int half = size / 2;
  image->setOrientation(AcGePoint3d(point.x - half, point.y, z), AcGeVector3d(size, 0, 0),
                        AcGeVector3d(0, size, 0));
}

// "IconDef", or "ICON" + four digits + "_PNG".
bool isIconKey(const std::u16string& key) {
  if (key == u"IconDef") return true;
  if (key.size() != 12 || key.compare(0, 4, u"ICON") != 0 || key.compare(8, 4, u"_PNG") != 0) return false;
  for (std::size_t i = 4; i < 8; ++i) {
    if (key[i] < u'0' || key[i] > u'9') return false;
  }
  return true;
}

}  // namespace

bool IsIconImage(const AcDbRasterImage& image) {
  const AcDbObjectId defId = image.imageDefId();
  AcDbDatabase* db = defId.database();
  if (defId.isNull() || !db) return false;
  const AcDbObjectId dictId = AcDbRasterImageDef::imageDictionary(db);
  AcDbObject* dictObject = nullptr;
  if (dictId.isNull() || acdbOpenObject(dictObject, dictId, AcDb::kForRead) != Acad::eOk) return false;
  std::u16string key;
  const AcDbDictionary* dict = AcDbDictionary::cast(dictObject);
  const bool found = dict && dict->nameAt(defId, key) == Acad::eOk;
  dictObject->close();
  return found && isIconKey(key);
}

int HostKindFlag() {
  if (g_hostKind) return *g_hostKind;
  int kind = 1;
  resbuf rb{};
  if (acedGetVar(u"ACADPREFIX", &rb) == RTNORM && rb.restype == RTSTR && rb.resval.rstring) {
    if (mentionsCivil(rb.resval.rstring)) kind = 0;
    free(rb.resval.rstring);
  }
  if (kind == 1) {
    std::array<char16_t, 512> title{};
    const int n = GetWindowTextW(adsw_acadMainWnd(), title.data(), static_cast<int>(title.size()));
    if (n > 0 && mentionsCivil(std::u16string(title.data(), static_cast<std::size_t>(n)))) kind = 0;
  }
  g_hostKind = kind;
  return kind;
}

void ResetHostKindFlag() { g_hostKind.reset(); }

AcDbObjectId GetRasterImgDefId(const std::u16string& key, const std::u16string& filePath, bool relative) {
  if (key.empty()) return AcDbObjectId::kNull;
  AcDbDatabase* db = workingDatabase();
  if (!db) return AcDbObjectId::kNull;

  // A relative definition is resolved against the drawing's folder while it loads; the
  // process's own current directory is given back afterwards.
  std::u16string reduced = filePath;
  std::u16string previousDirectory;
  if (relative) {
    const std::u16string document = CurrentDocumentPath();
    const auto cut = document.find_last_of(u'\\');
    const std::u16string folder = cut == std::u16string::npos ? std::u16string() : document.substr(0, cut);
    std::array<char16_t, MAX_PATH> current{};
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, current.data());
    if (!folder.empty() && SetCurrentDirectoryW(folder.c_str())) {
      if (n > 0 && n < MAX_PATH) previousDirectory.assign(current.data(), n);
      // Only a file inside the drawing's folder can be named relative to it.
      if (startsWithFolder(filePath, folder)) reduced = filePath.substr(folder.size() + 1);
    }
  }
  struct RestoreDirectory {
    const std::u16string& dir;
    ~RestoreDirectory() {
      if (!dir.empty()) SetCurrentDirectoryW(dir.c_str());
    }
  } restore{previousDirectory};

  AcDbObjectId dictId = AcDbRasterImageDef::imageDictionary(db);
  if (dictId.isNull() && AcDbRasterImageDef::createImageDictionary(db, dictId) != Acad::eOk) {
    return AcDbObjectId::kNull;
  }
  AcDbObject* dictObject = nullptr;
  const Acad::ErrorStatus es = acdbOpenObject(dictObject, dictId, AcDb::kForWrite);
  AcDbDictionary* dict = AcDbDictionary::cast(dictObject);
  if (es != Acad::eOk || !dict) {
    if (dictObject) dictObject->close();
    box(u"GetRasterImgDefId ErrorCode:%d", es);
    return AcDbObjectId::kNull;
  }
  AcDbObjectId defId;
  if (dict->getAt(key.c_str(), defId) == Acad::eOk) {
    dict->close();
    return defId;
  }
  if (filePath.empty()) {
    dict->close();
    return AcDbObjectId::kNull;
  }
  auto* def = new AcDbRasterImageDef;
  if (def->setSourceFileName(reduced.c_str()) != Acad::eOk &&
      (!relative || def->setSourceFileName(filePath.c_str()) != Acad::eOk)) {
    delete def;
    dict->close();
    return AcDbObjectId::kNull;
  }
  if (def->load() != Acad::eOk || dict->setAt(key.c_str(), def, defId) != Acad::eOk) {
    delete def;
    dict->close();
    return AcDbObjectId::kNull;
  }
  def->close();
  dict->close();
  return defId;
}

int InsertIMGFile(AcDbObjectId layerId, const std::u16string& filePath, const std::u16string& key,
                  const AcGePoint3d& lowerLeft, const AcGePoint3d& upperRight, bool relative, AcDbObjectId& imageId) {
  imageId = AcDbObjectId::kNull;
  if (filePath.empty()) {
    acutPrintf(u"FilePathName is empty\n");
    return Acad::eInvalidInput;
  }
  if (key.empty()) {
    acutPrintf(u"KeyWord is empty\n");
    return Acad::eInvalidInput;
  }
  const AcDbObjectId defId = GetRasterImgDefId(key, filePath, relative);
  if (defId.isNull()) {
    acutPrintf(u"RasterImgDefId is null\n");
    return Acad::eInvalidInput;
  }

  auto* image = new AcDbRasterImage;
  image->setImageDefId(defId);
  image->setOrientation(AcGePoint3d(lowerLeft.x, lowerLeft.y, 0), AcGeVector3d(upperRight.x - lowerLeft.x, 0, 0),
                        AcGeVector3d(0, upperRight.y - lowerLeft.y, 0));
  image->setDisplayOpt(AcDbRasterImage::kTransparent, true);

  const auto fail = [&](const char16_t* line, Acad::ErrorStatus es) {
    acutPrintf(line);
    delete image;
    box(u"InsertIMGFile ErrorCode:%d", es);
    return static_cast<int>(es);
  };
  Acad::ErrorStatus es = image->setLayer(layerId);
  if (es != Acad::eOk) return fail(u"SetLayer error\n", es);
  image->setColor(AcCmColor());

  AcDbBlockTable* blocks = nullptr;
  es = workingDatabase() ? workingDatabase()->getBlockTable(blocks, AcDb::kForWrite) : Acad::eNoDatabase;
  if (es != Acad::eOk) return fail(u"GetBlockTable error\n", es);
  AcDbBlockTableRecord* modelSpace = nullptr;
  es = blocks->getAt(ACDB_MODEL_SPACE, modelSpace, AcDb::kForWrite);
  if (es != Acad::eOk) {
    blocks->close();
    return fail(u"Get ACDB_MODEL_SPACE error\n", es);
  }
  es = modelSpace->appendAcDbEntity(imageId, image);
  if (es != Acad::eOk || imageId.isNull()) {
    acutPrintf(es != Acad::eOk ? u"AppendAcDbEntity error\n" : u"RasterImgId is null\n");
    if (es != Acad::eOk) delete image;  // never became part of the drawing
    else image->close();
    modelSpace->close();
    blocks->close();
    return es;
  }
  image->close();
  modelSpace->close();
  blocks->close();
  return Acad::eOk;
}

AcDbObjectId AddImgPoint(AcDbObjectId defId, AcGePoint3d& point, int size, EntityProps props) {
  auto* image = new AcDbRasterImage;
  image->setImageDefId(defId);
  point.z = 0.0;
  placeIcon(image, point, size, 0.0);
  image->setDisplayOpt(AcDbRasterImage::kTransparent, true);

  Acad::ErrorStatus es;
  if (!props.layer.empty()) {
    es = image->setLayer(props.layer.c_str());
    if (es == Acad::eKeyNotFound) {
      GetLayerId(props.layer, true);
      es = image->setLayer(props.layer.c_str());
    }
  } else {
    AcDbDatabase* db = workingDatabase();
    es = db ? image->setLayer(db->clayer()) : Acad::eNoDatabase;
  }
  // An image that never reaches the drawing is deleted on every path.
  if (es != Acad::eOk) {
    delete image;
    return AcDbObjectId::kNull;
  }
  image->setColor(AcCmColor());
  AcDbBlockTableRecord* modelSpace = nullptr;
  es = GetModelSpace(workingDatabase(), modelSpace, AcDb::kForWrite);
  if (es != Acad::eOk) {
    box(u"AddImgPoint1 ErrorCode:%d", es);
    delete image;
    return AcDbObjectId::kNull;
  }
  AcDbObjectId id;
  if (modelSpace->appendAcDbEntity(id, image) != Acad::eOk) {
    delete image;
    modelSpace->close();
    return AcDbObjectId::kNull;
  }
  image->close();
  modelSpace->close();
  return id;
}

void SetImgPointPosition(AcDbObjectId imageId, const AcGePoint3d& point, int size) {
  AcDbEntity* entity = nullptr;
  if (acdbOpenAcDbEntity(entity, imageId, AcDb::kForWrite) != Acad::eOk) return;
  if (auto* image = AcDbRasterImage::cast(entity)) placeIcon(image, point, size, point.z);
  entity->close();
}

void RemoveRasterImage(AcDbObjectId imageId, const std::u16string& key) {
  if (imageId.isNull()) return;
  const auto failureLine = [](Acad::ErrorStatus es) {
    acutPrintf(u"清楚缓存地图失败！错误代码：%d\n", static_cast<int>(es));
  };
  AcDbDatabase* db = workingDatabase();
  const AcDbObjectId dictId = db ? AcDbRasterImageDef::imageDictionary(db) : AcDbObjectId::kNull;
  if (dictId.isNull()) {
    failureLine(Acad::eOk);
    return;
  }
  AcDbObject* dictObject = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(dictObject, dictId, AcDb::kForWrite);
  AcDbDictionary* dict = AcDbDictionary::cast(dictObject);
  if (es != Acad::eOk || !dict) {
    if (dictObject) dictObject->close();
    box(u"Openn Dict ErrorCode:%d", es);
    failureLine(es);
    return;
  }
  if (dict->has(key.c_str())) dict->remove(key.c_str());
  dict->close();

  AcDbEntity* entity = nullptr;
  es = acdbOpenAcDbEntity(entity, imageId, AcDb::kForWrite);
  AcDbRasterImage* image = AcDbRasterImage::cast(entity);
  if (es != Acad::eOk || !image) {
    if (es != Acad::eWasErased && entity) acutPrintf(u"Open RasterImage ErrorCode:%d", static_cast<int>(es));
    if (entity) entity->close();
    failureLine(es);
    return;
  }
  const AcDbObjectId defId = image->imageDefId();
  image->erase();
  const bool civil = HostKindFlag() == 0;
  if (!civil) image->close();

  AcDbObject* def = nullptr;
  es = acdbOpenObject(def, defId, AcDb::kForWrite);
  if (es == Acad::eOk && AcDbRasterImageDef::cast(def)) {
    AcDbRasterImageDef::cast(def)->unload();
    def->erase();
    def->close();
  } else {
    if (def) def->close();
    failureLine(es);
  }
  // In a "Civil" product the erased image stays open until its definition is gone.
  if (civil) image->close();
}

Acad::ErrorStatus MoveToBottom(const AcDbObjectIdArray& ids, DWORD& elapsedMs) {
  elapsedMs = 0;
  if (ids.isEmpty()) return Acad::eOk;
  AcDbDatabase* db = workingDatabase();
  if (!db) return Acad::eNoDatabase;
  AcDbBlockTable* blocks = nullptr;
  Acad::ErrorStatus es = db->getBlockTable(blocks, AcDb::kForWrite);
  if (es != Acad::eOk) return es;
  AcDbBlockTableRecord* modelSpace = nullptr;
  es = blocks->getAt(ACDB_MODEL_SPACE, modelSpace, AcDb::kForWrite);
  if (es != Acad::eOk) {
    blocks->close();
    return es;
  }
  const auto closeSpaces = [&] {
    modelSpace->close();
    blocks->close();
  };

  AcDbSortentsTable* table = nullptr;
  if (modelSpace->getSortentsTable(table, AcDb::kForWrite, false) != Acad::eOk || !table) {
    table = nullptr;
    if (modelSpace->extensionDictionary().isNull()) {
      es = modelSpace->createExtensionDictionary();
      if (es != Acad::eOk) {
        closeSpaces();
        return es;
      }
    }
    AcDbObject* extObject = nullptr;
    es = acdbOpenObject(extObject, modelSpace->extensionDictionary(), AcDb::kForWrite);
    AcDbDictionary* ext = AcDbDictionary::cast(extObject);
    if (es != Acad::eOk || !ext) {
      if (extObject) extObject->close();
      box(u"GetSortentsTable ErrorCode:%d", es);
      closeSpaces();
      return es;
    }
    if (ext->has(u"ACAD_SORTENTS")) {
      AcDbObject* entry = nullptr;
      es = ext->getAt(u"ACAD_SORTENTS", entry, AcDb::kForWrite);
      table = AcDbSortentsTable::cast(entry);
      if (!table) {
        // Something else is stored under the sort table's name: leave it alone.
        if (entry) entry->close();
        ext->close();
        closeSpaces();
        return es != Acad::eOk ? es : Acad::eWrongObjectType;
      }
    } else {
      table = new AcDbSortentsTable;
      AcDbObjectId tableId;
      es = ext->setAt(u"ACAD_SORTENTS", table, tableId);
      if (es != Acad::eOk) {
        delete table;
        ext->close();
        closeSpaces();
        return es;
      }
      table->setBlockId(modelSpace->objectId());
    }
    ext->close();
  }
  closeSpaces();

  const DWORD start = GetTickCount();
  es = table->moveToBottom(ids);
  elapsedMs = GetTickCount() - start;
  table->close();
  if (es != Acad::eOk) box(u"Img MoveToBottom ErrorCode:%d", es);
  return es;
}

}  // namespace vurk
