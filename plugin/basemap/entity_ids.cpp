#include <memory>

#include "arx/acutads.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbextents.h"
#include "arx/dbsymtb.h"
#include "basemap/dwg_database_util.h"

namespace vurk {

namespace {

// Walks the model space of a database; calls take(id, entity) for every entity that opens.
template <typename Take>
void forEachModelSpaceEntity(AcDbDatabase* db, Take take) {
  AcDbBlockTableRecord* modelSpace = nullptr;
  if (GetModelSpace(db, modelSpace, AcDb::kForRead) != Acad::eOk) return;
  AcDbBlockTableRecordIterator* raw = nullptr;
  if (modelSpace->newIterator(raw, true, true) != Acad::eOk) {
    modelSpace->close();
    return;
  }
  std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
  for (; !it->done(); it->step()) {
    AcDbObjectId id;
    if (it->getEntityId(id) != Acad::eOk) continue;
    AcDbEntity* entity = nullptr;
    const Acad::ErrorStatus es = acdbOpenAcDbEntity(entity, id, AcDb::kForRead);
    if (es != Acad::eOk) {
      acutPrintf(u"\nCDwgDatabaseUtil::GetAllEntityIds中打开实体失败(错误代码:%d).", static_cast<int>(es));
      continue;
    }
    take(id, entity);
    entity->close();
  }
  modelSpace->close();
}

AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

// Two intervals are disjoint when one begins more than 1e-7 after the other ends.
bool overlaps(double a0, double a1, double b0, double b1) {
  constexpr double kTolerance = 1e-7;
  return !(a0 - b1 > kTolerance || b0 - a1 > kTolerance);
}

}  // namespace

AcDbObjectIdArray GetAllEntityIds(const std::u16string& layer, AcDbDatabase* db) {
  AcDbObjectIdArray ids;
  if (!db) return ids;
  AcDbObjectId layerId;
  if (!layer.empty()) {
    AcDbLayerTable* layers = nullptr;
    AcDbDatabase* working = workingDatabase();
    if (!working || working->getLayerTable(layers, AcDb::kForRead) != Acad::eOk) return ids;
    const Acad::ErrorStatus es = layers->getAt(layer.c_str(), layerId);
    layers->close();
    if (es != Acad::eOk) return ids;  // a layer that does not exist holds nothing
  }
  forEachModelSpaceEntity(db, [&](AcDbObjectId id, AcDbEntity* e) {
    if (layer.empty() || e->layerId() == layerId) ids.append(id);
  });
  return ids;
}

void GetAllEntityIdsOfClass(const AcRxClass* cls, AcDbObjectIdArray& ids) {
  forEachModelSpaceEntity(workingDatabase(), [&](AcDbObjectId id, AcDbEntity* e) {
    if (e->isKindOf(cls)) ids.append(id);
  });
}

void GetEntityIdsInRect(const AcGePoint3d& corner1, const AcGePoint3d& corner2, AcDbObjectIdArray& ids,
                        const AcRxClass* cls) {
  const double x0 = std::min(corner1.x, corner2.x);
  const double x1 = std::max(corner1.x, corner2.x);
  const double y0 = std::min(corner1.y, corner2.y);
  const double y1 = std::max(corner1.y, corner2.y);
  forEachModelSpaceEntity(workingDatabase(), [&](AcDbObjectId id, AcDbEntity* e) {
    if (cls && !e->isKindOf(cls)) return;
    AcDbExtents ext;
    if (e->getGeomExtents(ext) != Acad::eOk) return;
    if (overlaps(ext.minPoint().x, ext.maxPoint().x, x0, x1) && overlaps(ext.minPoint().y, ext.maxPoint().y, y0, y1)) {
      ids.append(id);
    }
  });
}

AcDbObjectId GetLayerId(const std::u16string& name, bool create) {
  AcDbDatabase* db = workingDatabase();
  if (!db) return AcDbObjectId::kNull;
  if (name.empty()) return db->clayer();
  AcDbLayerTable* layers = nullptr;
  if (db->getLayerTable(layers, create ? AcDb::kForWrite : AcDb::kForRead) != Acad::eOk) return AcDbObjectId::kNull;
  AcDbObjectId id;
  if (layers->getAt(name.c_str(), id) != Acad::eOk) {
    id = AcDbObjectId::kNull;
    if (create) {
      auto* record = new AcDbLayerTableRecord;
      record->setName(name.c_str());
      if (layers->add(id, record) == Acad::eOk) {
        record->close();
      } else {
        delete record;
        id = AcDbObjectId::kNull;
      }
    }
  }
  layers->close();
  return id;
}

Acad::ErrorStatus EraseLayer(AcDbObjectId layerId) {
  AcDbObject* layer = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(layer, layerId, AcDb::kForWrite);
  if (es != Acad::eOk) return es;
  es = layer->erase();
  layer->close();
  return es;
}

}  // namespace vurk
