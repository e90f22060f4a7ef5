// AcDbExtents.
#include "arx/dbextents.h"

#include <cmath>

#include "arx/dbentity.h"
#include "arx/dbsymtb.h"
#include "db_internal.h"

AcDbExtents::AcDbExtents() : min_(1e20, 1e20, 1e20), max_(-1e20, -1e20, -1e20) {}

AcDbExtents::AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max) : AcDbExtents() {
  addPoint(min);
  addPoint(max);
}

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& min, const AcGePoint3d& max) {
  if (min.x > max.x || min.y > max.y || min.z > max.z) return Acad::eInvalidExtents;
  min_ = min;
  max_ = max;
  return Acad::eOk;
}

void AcDbExtents::addPoint(const AcGePoint3d& p) {
  min_.x = std::fmin(min_.x, p.x);
  min_.y = std::fmin(min_.y, p.y);
  min_.z = std::fmin(min_.z, p.z);
  max_.x = std::fmax(max_.x, p.x);
  max_.y = std::fmax(max_.y, p.y);
  max_.z = std::fmax(max_.z, p.z);
}

void AcDbExtents::addExt(const AcDbExtents& other) {
  if (other.isEmpty()) return;
  addPoint(other.min_);
  addPoint(other.max_);
}

bool AcDbExtents::isEmpty() const { return min_.x > max_.x || min_.y > max_.y || min_.z > max_.z; }

void AcDbExtents::expandBy(const AcGeVector3d& v) {
  if (isEmpty()) return;
  addPoint(min_ + v);
  addPoint(max_ + v);
}

void AcDbExtents::transformBy(const AcGeMatrix3d& m) {
  if (isEmpty()) return;
  AcDbExtents out;
  for (int i = 0; i < 8; ++i) {
    AcGePoint3d c((i & 1) ? max_.x : min_.x, (i & 2) ? max_.y : min_.y, (i & 4) ? max_.z : min_.z);
    out.addPoint(m * c);
  }
  *this = out;
}

Acad::ErrorStatus AcDbExtents::addBlockExt(AcDbBlockTableRecord* record) {
  if (!record) return Acad::eNullObjectPointer;
  for (AcDbObjectId id : arxdetail::DbAccess::entities(*record)) {
    if (id.isErased()) continue;
    auto* e = arxdetail::DbAccess::peekAs<AcDbEntity>(id);
    AcDbExtents ext;
    if (e && e->getGeomExtents(ext) == Acad::eOk) addExt(ext);
  }
  return Acad::eOk;
}
