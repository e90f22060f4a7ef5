#include "reactors/view_record.h"

#include <cmath>
#include <numbers>

#include "arx/acedads.h"
#include "arx/acedview.h"
#include "arx/dbapserv.h"
#include "arx/dbextents.h"
#include "arx/dbsymtb.h"
#include "basemap/dwg_database_util.h"

namespace vurk {

namespace {

constexpr double kPi = std::numbers::pi;

bool getVar(const char16_t* name, resbuf& rb) { return acedGetVar(name, &rb) == RTNORM; }

double realVar(const char16_t* name, double fallback) {
  resbuf rb{};
  return getVar(name, rb) && rb.restype == RTREAL ? rb.resval.rreal : fallback;
}

short shortVar(const char16_t* name, short fallback) {
  resbuf rb{};
  return getVar(name, rb) && rb.restype == RTSHORT ? rb.resval.rint : fallback;
}

bool pointVar(const char16_t* name, ads_point p) {
  resbuf rb{};
  if (!getVar(name, rb) || (rb.restype != RTPOINT && rb.restype != RT3DPOINT)) return false;
  p[0] = rb.resval.rpoint[0];
  p[1] = rb.resval.rpoint[1];
  p[2] = rb.restype == RT3DPOINT ? rb.resval.rpoint[2] : 0.0;
  return true;
}

constexpr short kWcs = 0;
constexpr short kUcs = 1;
constexpr short kDcs = 2;

bool near(double a, double b) { return std::fabs(a - b) <= 1e-8; }

}  // namespace

bool GetViewRecord(ViewRecord& record, double factor) {
  record = ViewRecord{};
  ads_point centre{};
  if (!pointVar(u"VIEWCTR", centre) || centre[1] == 0.0) return false;
  const double h = realVar(u"VIEWSIZE", 0.0);
  ads_point screen{};
  if (!pointVar(u"SCREENSIZE", screen)) return false;
  const double w = screen[0];
  const double H = screen[1];
  // A minimised window reports no height: there is no view to speak of, and dividing by it
  // would give an infinite width.
  if (!(w > 0.0) || !(H > 0.0) || !std::isfinite(h) || !std::isfinite(centre[0]) || !std::isfinite(centre[1]) ||
      !std::isfinite(factor)) {
    return false;
  }
  const double W = w / H * h;
  if (std::fabs(W) < 1e-5) return false;
  record.minX = centre[0] - W * 0.5 * factor;
  record.maxX = centre[0] + W * 0.5 * factor;
  record.minY = centre[1] - h * 0.5 * factor;
  record.maxY = centre[1] + h * 0.5 * factor;
  record.screenWidth = static_cast<std::int32_t>(w);
  record.screenHeight = static_cast<std::int32_t>(H);
  return true;
}

void CurrentViewTableRecord(AcDbViewTableRecord& view) {
  const short mode = shortVar(u"VIEWMODE", 0);
  view.setPerspectiveEnabled((mode & 1) != 0);
  view.setFrontClipEnabled((mode & 2) != 0);
  view.setBackClipEnabled((mode & 4) != 0);
  view.setFrontClipAtEye((mode & 16) == 0);

  ads_point p{};
  ads_point d{};
  if (pointVar(u"VIEWCTR", p)) {
    TransformPoint(p, kUcs, kDcs, false, d);
    view.setCenterPoint(AcGePoint2d(d[0], d[1]));
  }
  view.setLensLength(realVar(u"LENSLENGTH", 50.0));
  if (pointVar(u"TARGET", p)) {
    TransformPoint(p, kUcs, kWcs, false, d);
    view.setTarget(AcGePoint3d(d[0], d[1], d[2]));
  }
  if (pointVar(u"VIEWDIR", p)) {
    TransformPoint(p, kUcs, kWcs, true, d);
    view.setViewDirection(AcGeVector3d(d[0], d[1], d[2]));
  }
  const double height = realVar(u"VIEWSIZE", 1.0);
  view.setHeight(height);
  ads_point screen{};
  if (pointVar(u"SCREENSIZE", screen) && screen[1] > 0.0) view.setWidth(screen[0] / screen[1] * height);
  view.setViewTwist(realVar(u"VIEWTWIST", 0.0));
  if (shortVar(u"TILEMODE", 1) == 0 && shortVar(u"CVPORT", 2) == 1) {
    view.setIsPaperspaceView(true);
    view.setFrontClipDistance(0.0);
    view.setBackClipDistance(0.0);
  } else {
    view.setIsPaperspaceView(false);
    view.setFrontClipDistance(realVar(u"FRONTZ", 0.0));
    view.setBackClipDistance(realVar(u"BACKZ", 0.0));
  }
}

void ZoomToWindow(const AcGePoint3d& corner1, const AcGePoint3d& corner2, double factor) {
  for (double v : {corner1.x, corner1.y, corner2.x, corner2.y}) {
    if (!std::isfinite(v) || std::fabs(v) > 1e10) return;
  }
  if (!std::isfinite(factor)) return;
  AcDbViewTableRecord view;
  CurrentViewTableRecord(view);
  ads_point a{corner1.x, corner1.y, corner1.z};
  ads_point b{corner2.x, corner2.y, corner2.z};
  ads_point da{};
  ads_point db{};
  TransformPoint(a, kWcs, kDcs, false, da);
  TransformPoint(b, kWcs, kDcs, false, db);
  const double width = std::fabs(db[0] - da[0]) * factor;
  const double height = std::fabs(db[1] - da[1]) * factor;
  // A rectangle without width or height would make a view of no size.
  if (!(width > 0.0) || !(height > 0.0)) return;
  view.setCenterPoint(AcGePoint2d((da[0] + db[0]) / 2.0, (da[1] + db[1]) / 2.0));
  view.setHeight(height);
  view.setWidth(width);
  acedSetCurrentView(&view, nullptr);
}

AcGePoint3d ModelSpaceCentre() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTableRecord* modelSpace = nullptr;
  if (GetModelSpace(db, modelSpace, AcDb::kForRead) != Acad::eOk) return AcGePoint3d(0, 0, 0);
  AcDbExtents extents;
  const Acad::ErrorStatus es = extents.addBlockExt(modelSpace);
  modelSpace->close();
  const AcGePoint3d lo = extents.minPoint();
  const AcGePoint3d hi = extents.maxPoint();
  if (es != Acad::eOk || !(lo.x <= hi.x) || !(lo.y <= hi.y)) return AcGePoint3d(0, 0, 0);
  return AcGePoint3d((lo.x + hi.x) / 2.0, (lo.y + hi.y) / 2.0, (lo.z + hi.z) / 2.0);
}

void RefreshDisplay() {
  acedRedraw(nullptr, 1);
  acedUpdateDisplay();
}

double VectorAngle(double x, double y) {
  const double length = std::sqrt(x * x + y * y);
  if (!(length > 1e-6)) return 0.0;
  const double ratio = x / length;
  double angle = ratio >= 1.0 ? 0.0 : ratio < -1.0 ? kPi : std::acos(ratio);
  if (y < 0.0) angle = 2.0 * kPi - angle;
  return angle;
}

double DistanceAlongDirection(const AcGePoint3d& p1, const AcGePoint3d& p2, double a) {
  if (near(a, 0.0) || near(a, kPi) || near(a, 2.0 * kPi)) return std::fabs(p1.y - p2.y);
  if (near(a, kPi / 2.0) || near(a, 3.0 * kPi / 2.0)) return std::fabs(p1.x - p2.x);
  // Foot of the perpendicular from p1 onto y - p2.y = k (x - p2.x).
  const double k = std::tan(a);
  const double fx = (p1.x + k * (p1.y - p2.y) + k * k * p2.x) / (1.0 + k * k);
  const double fy = p2.y + k * (fx - p2.x);
  const double dx = p1.x - fx;
  const double dy = p1.y - fy;
  return std::sqrt(dx * dx + dy * dy + p1.z * p1.z);
}

AcGeVector3d RotateVector(const AcGeVector3d& v, double a) {
  const double length = std::sqrt(v.x * v.x + v.y * v.y);
  const double angle = VectorAngle(v.x, v.y) + a;
  return AcGeVector3d(length * std::cos(angle), length * std::sin(angle), v.z);
}

}  // namespace vurk
