#include "basemap/dwg_database_util.h"

#include <cmath>

#include "arx/acedview.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbsymtb.h"
#include "mfc/afxmsg.h"
#include "win32/format.h"

namespace vurk {

namespace {

AcCmColor g_sharedDefaultColour;

// Sets the layer by name; a missing layer (status 22) is created in the working database and
// the layer set again.
void setLayerCreatingIt(AcDbEntity* entity, const std::u16string& layer) {
  if (entity->setLayer(layer.c_str()) != Acad::eKeyNotFound) return;
  GetLayerId(layer, true);
  entity->setLayer(layer.c_str());
}

}  // namespace

void SetSharedDefaultColour(const AcCmColor& colour) { g_sharedDefaultColour = colour; }

EntityProps DefaultEntityProps() {
  EntityProps props;
  props.color = g_sharedDefaultColour;
  return props;
}

std::uint8_t OpacityToAlpha(std::int32_t opacityPercent) {
  return static_cast<std::uint8_t>(std::trunc(opacityPercent * 254.0 / 100.0 + 0.5));
}

void TransformPoint(const ads_point in, short from, short to, bool displacement, ads_point out) {
  resbuf f{};
  f.restype = RTSHORT;
  f.resval.rint = from;
  resbuf t{};
  t.restype = RTSHORT;
  t.resval.rint = to;
  if (acedTrans(in, &f, &t, displacement ? 1 : 0, out) != RTNORM) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
  }
}

namespace {
AcGePoint3d transPoint(const AcGePoint3d& p, short from, short to) {
  const ads_point in{p.x, p.y, p.z};
  ads_point out{p.x, p.y, p.z};
  TransformPoint(in, from, to, false, out);
  return AcGePoint3d(out[0], out[1], out[2]);
}
}  // namespace

AcGePoint3d WcsToUcs(const AcGePoint3d& p) { return transPoint(p, 0, 1); }
AcGePoint3d DcsToWcs(const AcGePoint3d& p) { return transPoint(p, 2, 0); }

std::u16string CurrentDocumentPath() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  return db ? db->filename() : std::u16string();
}

std::u16string CurrentDocumentFileName() {
  const std::u16string path = CurrentDocumentPath();
  const auto cut = path.find_last_of(u'\\');
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

Acad::ErrorStatus GetModelSpace(AcDbDatabase* db, AcDbBlockTableRecord*& modelSpace, AcDb::OpenMode mode) {
  modelSpace = nullptr;
  if (!db) return Acad::eNoDatabase;
  AcDbBlockTable* blocks = nullptr;
  Acad::ErrorStatus es = db->getBlockTable(blocks, AcDb::kForRead);
  if (es != Acad::eOk) return es;
  es = blocks->getAt(ACDB_MODEL_SPACE, modelSpace, mode);
  blocks->close();
  return es;
}

AcDbObjectId AppendToModelSpace(AcDbEntity* entity, EntityProps props, AcDbDatabase* db) {
  if (!entity) return AcDbObjectId::kNull;
  if (props.byLayerColor) {
    entity->setColorIndex(256);
  } else {
    entity->setColor(props.color);
  }

  AcDbBlockTableRecord* modelSpace = nullptr;
  const Acad::ErrorStatus es = GetModelSpace(db, modelSpace, AcDb::kForWrite);
  if (es != Acad::eOk) {
    AfxMessageBox(win32::formatWide(u"GetModelSpace ErrorCode:%d", static_cast<int>(es)).c_str());
    delete entity;
    return AcDbObjectId::kNull;
  }
  AcDbObjectId id;
  if (modelSpace->appendAcDbEntity(id, entity) != Acad::eOk) {
    modelSpace->close();
    delete entity;
    return AcDbObjectId::kNull;
  }

  if (!props.layer.empty()) setLayerCreatingIt(entity, props.layer);

  // An empty linetype name would be refused and lead to a load that fails as well: leave the
  // entity's linetype as the database gave it.
  if (!props.linetype.empty() && entity->setLinetype(props.linetype.c_str()) != Acad::eOk) {
    AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
    if (acdbLoadLineTypeFile(props.linetype.c_str(), u"ACADISO.LIN", working) == Acad::eOk) {
      entity->setLinetype(props.linetype.c_str());
    }
  }

  AcCmTransparency transparency;
  transparency.setAlpha(OpacityToAlpha(props.opacityPercent));
  entity->setTransparency(transparency);

  modelSpace->close();
  entity->close();
  return id;
}

}  // namespace vurk
