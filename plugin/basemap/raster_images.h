// Raster images in the drawing: definitions in the image dictionary, images between two
// corners, point icons, their repositioning and removal, and the draw order.
#pragma once

#include <string>

#include "arx/acadstrc.h"
#include "arx/dbid.h"
#include "arx/gept.h"
#include "basemap/dwg_database_util.h"

class AcDbRasterImage;

namespace vurk {

// The image definition stored under key; created from the file when the key is new (the file
// path is not looked at for a key that exists). With relative set, the path is stored relative
// to the drawing's folder when it lies inside it.
AcDbObjectId GetRasterImgDefId(const std::u16string& key, const std::u16string& filePath, bool relative);

// Inserts an image of the file between the corners (lower-left, upper-right: reversed corners
// give a mirrored image) on the layer. Returns 0 and the new id, 3 for a missing path, key or
// definition, or the failing status.
int InsertIMGFile(AcDbObjectId layerId, const std::u16string& filePath, const std::u16string& key,
                  const AcGePoint3d& lowerLeft, const AcGePoint3d& upperRight, bool relative, AcDbObjectId& imageId);

// Inserts an icon image of the given size (whole drawing units) standing on the point; the
// point's Z is set to 0. Returns the null id on failure.
AcDbObjectId AddImgPoint(AcDbObjectId defId, AcGePoint3d& point, int size, EntityProps props);
// Moves an icon image to stand on the point (keeping the point's Z).
void SetImgPointPosition(AcDbObjectId imageId, const AcGePoint3d& point, int size);

// Whether the image shows a point icon: its definition is stored in the image dictionary under
// "IconDef" or "ICON0000_PNG" … "ICON9999_PNG". Base-map tiles, downloaded maps and the user's own
// images are not icons, and the plug-in's icon passes leave them alone.
bool IsIconImage(const AcDbRasterImage& image);

// Removes an inserted image and its definition (stored under key).
void RemoveRasterImage(AcDbObjectId imageId, const std::u16string& key);

// Moves the entities to the bottom of model space's draw order; elapsedMs receives the time
// the move took.
Acad::ErrorStatus MoveToBottom(const AcDbObjectIdArray& ids, DWORD& elapsedMs);

// Whether AutoCAD is the plain product (1) or a "Civil" one (0); determined once.
int HostKindFlag();
// Forgets the determined host kind (a new load of the plug-in determines it again).
void ResetHostKindFlag();

}  // namespace vurk
