// Drawing-database operations every feature that writes into the drawing uses: the model space,
// appending a new entity with the plug-in's display properties, layers.
#pragma once

#include <string>

#include "arx/acadstrc.h"
#include "arx/acdb.h"
#include "arx/adsdef.h"
#include "arx/dbcolor.h"
#include "arx/dbid.h"
#include "arx/gept.h"
#include "arx/rxobject.h"

class AcDbDatabase;
class AcDbEntity;
class AcDbBlockTableRecord;

namespace vurk {

// The display properties every entity the plug-in creates receives.
struct EntityProps {
  std::uint8_t byLayerColor = 0;  // non-zero: colour index 256 (ByLayer), `color` ignored
  AcCmColor color;
  std::u16string layer;           // empty: the layer the database gives
  std::u16string linetype;        // empty: the linetype the database gives
  std::int32_t opacityPercent = 100;
};

// The colour entities get when nothing else is asked for; start-up sets it to colour index 7.
void SetSharedDefaultColour(const AcCmColor& colour);
// Default display properties: the shared default colour, fully opaque, layer and linetype as
// the database gives them.
EntityProps DefaultEntityProps();

// The AutoCAD transparency alpha of an opacity: 100 % is 254, 50 % is 127, 0 % is 0.
std::uint8_t OpacityToAlpha(std::int32_t opacityPercent);

// Opens the model space of the database for read or write; the caller closes it.
Acad::ErrorStatus GetModelSpace(AcDbDatabase* db, AcDbBlockTableRecord*& modelSpace, AcDb::OpenMode mode);

// The model-space entities of a database, in iterator order (erased ones skipped); with a layer
// name only those on that layer of the working database, none when the layer does not exist.
AcDbObjectIdArray GetAllEntityIds(const std::u16string& layer, AcDbDatabase* db);
// Appends every model-space entity of the working database of the class or derived from it.
void GetAllEntityIdsOfClass(const AcRxClass* cls, AcDbObjectIdArray& ids);
// Appends every model-space entity (of the class, when given) whose extents overlap the
// rectangle of the two corners (a tolerance of 1e-7 on both axes).
void GetEntityIdsInRect(const AcGePoint3d& corner1, const AcGePoint3d& corner2, AcDbObjectIdArray& ids,
                        const AcRxClass* cls = nullptr);

// The layer's id; with no name the current layer. A missing layer is added when create is set.
AcDbObjectId GetLayerId(const std::u16string& name, bool create);
Acad::ErrorStatus EraseLayer(AcDbObjectId layerId);

// Point conversions between the world, user and display systems.
// Transforms a point, or a displacement, between coordinate systems (0 WCS, 1 UCS, 2 DCS) with
// acedTrans; out is the point unchanged when the transformation fails.
void TransformPoint(const ads_point in, short from, short to, bool displacement, ads_point out);
AcGePoint3d WcsToUcs(const AcGePoint3d& p);
AcGePoint3d DcsToWcs(const AcGePoint3d& p);
// The current drawing's file name without its folder.
std::u16string CurrentDocumentFileName();
// The current drawing's full file name.
std::u16string CurrentDocumentPath();

// Applies the properties to a new entity, appends it to the model space of the database and
// closes it. Returns the new id, or the null id on any failure (the entity is then deleted
// when it was never appended).
AcDbObjectId AppendToModelSpace(AcDbEntity* entity, EntityProps props, AcDbDatabase* db);

}  // namespace vurk
