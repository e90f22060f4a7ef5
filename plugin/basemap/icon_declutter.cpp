#include "basemap/icon_declutter.h"

#include <cmath>
#include <vector>

#include "arx/acdocman.h"
#include "arx/axlock.h"
#include "arx/dbimage.h"
#include "basemap/dwg_database_util.h"
#include "basemap/raster_images.h"
#include "mfc/afxmsg.h"
#include "settings/settings_store.h"
#include "win32/format.h"

namespace vurk {

namespace {

constexpr std::uint32_t kDefaultThreshold = 1000;
constexpr int kCells = 600;
constexpr int kRowsPerColumn = 19;

struct Icon {
  AcDbObjectId id;
  double x = 0;
  double y = 0;
  bool visible = true;
};

void reportOpenFailure(const char16_t* format, Acad::ErrorStatus es) {
  AfxMessageBox(win32::formatWide(format, static_cast<int>(es)).c_str());
}

// The icons in view with their positions and visibility (first pass: read only).
std::vector<Icon> iconsInView(const ViewRecord& view) {
  AcDbObjectIdArray ids;
  GetEntityIdsInRect(AcGePoint3d(view.minX, view.minY, 0), AcGePoint3d(view.maxX, view.maxY, 0), ids,
                     AcDbRasterImage::desc());
  std::vector<Icon> icons;
  icons.reserve(static_cast<std::size_t>(ids.length()));
  for (const AcDbObjectId& id : ids) {
    AcDbObject* obj = nullptr;
    const Acad::ErrorStatus es = acdbOpenObject(obj, id, AcDb::kForRead);
    if (es != Acad::eOk) {
      reportOpenFailure(u"Update Icon1 ErrorCode:%d", es);
      continue;
    }
    if (const AcDbRasterImage* image = AcDbRasterImage::cast(obj); image && IsIconImage(*image)) {
      AcGePoint3d origin;
      AcGeVector3d u, v;
      image->getOrientation(origin, u, v);
      icons.push_back({id, origin.x + u.x / 2, origin.y, image->visibility() == AcDb::kVisible});
    }
    obj->close();
  }
  return icons;
}

// The icon's cell, or -1 when it falls outside the 600 cells (also for positions that are not
// finite numbers, so no conversion of an out-of-range double happens).
int cellOf(const Icon& icon, const ViewRecord& view, double cellPixels) {
  const double column = std::floor((icon.x - view.minX) / (view.maxX - view.minX) * view.screenWidth / cellPixels);
  const double row = std::floor((icon.y - view.minY) / (view.maxY - view.minY) * view.screenHeight / cellPixels);
  const double cell = column * kRowsPerColumn + row;
  if (!(cell >= 0 && cell < kCells)) return -1;
  return static_cast<int>(cell);
}

}  // namespace

std::uint32_t EffectiveIconThreshold(std::uint32_t stored) { return stored == 0 ? kDefaultThreshold : stored; }

DeclutterOutcome DeclutterIcons(const ViewRecord& view, std::uint32_t threshold) {
  DeclutterOutcome outcome;
  threshold = EffectiveIconThreshold(threshold);
  const double width = view.maxX - view.minX;
  const double height = view.maxY - view.minY;
  if (view.screenWidth <= 0 || view.screenHeight <= 0 || !(width > 0) || !(height > 0) || !std::isfinite(width) ||
      !std::isfinite(height)) {
    return outcome;
  }
  const double cellPixels =
      std::floor(std::sqrt(static_cast<double>(view.screenWidth) * view.screenHeight / threshold));
  if (cellPixels < 1) return outcome;

  AcApDocument* active = acDocManager ? acDocManager->mdiActiveDocument() : nullptr;
  if (!active) return outcome;
  AcAxDocLock lock(active->database());
  if (lock.lockStatus() != Acad::eOk) return outcome;

  const std::vector<Icon> icons = iconsInView(view);
  outcome.iconsInView = icons.size();
  if (icons.size() < threshold) return outcome;
  outcome.ran = true;

  std::vector<bool> taken(kCells, false);
  for (const Icon& icon : icons) {
    const int cell = cellOf(icon, view, cellPixels);
    if (cell < 0) continue;
    const bool show = !taken[static_cast<std::size_t>(cell)];
    taken[static_cast<std::size_t>(cell)] = true;
    if (show == icon.visible) continue;
    AcDbObject* obj = nullptr;
    const Acad::ErrorStatus es = acdbOpenObject(obj, icon.id, AcDb::kForWrite);
    if (es != Acad::eOk) {
      reportOpenFailure(u"Update Icon2 ErrorCode:%d", es);
      continue;
    }
    if (AcDbEntity* entity = AcDbEntity::cast(obj)) {
      entity->setVisibility(show ? AcDb::kVisible : AcDb::kInvisible);
      ++(show ? outcome.shown : outcome.hidden);
    }
    obj->close();
  }
  return outcome;
}

DeclutterOutcome RunIconDeclutterPass() {
  ViewRecord view;
  const SettingsStore* settings = CurrentSettings();
  if (!settings || !GetViewRecord(view, 1.0)) return {};
  return DeclutterIcons(view, settings->record().iconCountThreshold);
}

}  // namespace vurk
