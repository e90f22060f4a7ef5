// Regions: loops of boundary curves.
#include "arx/dbregion.h"

#include <cmath>

namespace {

void deleteLoops(std::vector<std::vector<AcDbCurve*>>& loops) {
  for (auto& loop : loops)
    for (AcDbCurve* c : loop) delete c;
  loops.clear();
}

AcDbCurve* copyCurve(const AcDbCurve* c) { return AcDbCurve::cast(c->clone()); }

}  // namespace

AcDbRegion::AcDbRegion(const AcDbRegion& other) : AcDbEntity(other), modelerData_(other.modelerData_) {
  for (const auto& loop : other.loops_) {
    std::vector<AcDbCurve*> copy;
    for (const AcDbCurve* c : loop) copy.push_back(copyCurve(c));
    loops_.push_back(std::move(copy));
  }
}

AcDbRegion::~AcDbRegion() { deleteLoops(loops_); }

Acad::ErrorStatus AcDbRegion::setModelerData(const std::vector<AcDbRawGroup>& groups) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  modelerData_ = groups;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::createFromCurves(const AcDbVoidPtrArray& curveSegments, AcDbVoidPtrArray& regions) {
  struct Piece {
    const AcDbCurve* curve;
    AcGePoint3d start, end;
    bool used;
  };
  std::vector<Piece> open;
  std::vector<std::vector<const AcDbCurve*>> loops;
  double size = 0;
  for (void* p : curveSegments) {
    auto* c = AcDbCurve::cast(static_cast<AcDbObject*>(p));
    if (!c) return Acad::eInvalidInput;
    AcGePoint3d s, e;
    if (c->getStartPoint(s) != Acad::eOk || c->getEndPoint(e) != Acad::eOk) return Acad::eInvalidInput;
    AcDbExtents ext;
    if (c->getGeomExtents(ext) == Acad::eOk) size = std::fmax(size, ext.minPoint().distanceTo(ext.maxPoint()));
    if (c->isClosed() || s.isEqualTo(e, AcGeTol(1e-12, 1e-12)))
      loops.push_back({c});
    else
      open.push_back({c, s, e, false});
  }
  const AcGeTol tol(1e-6 * (1.0 + size), 1e-6);
  for (std::size_t i = 0; i < open.size(); ++i) {
    if (open[i].used) continue;
    std::vector<std::size_t> chain{i};
    open[i].used = true;
    AcGePoint3d head = open[i].start, tail = open[i].end;
    bool grew = true;
    while (!head.isEqualTo(tail, tol) && grew) {
      grew = false;
      for (std::size_t j = 0; j < open.size(); ++j) {
        if (open[j].used) continue;
        if (open[j].start.isEqualTo(tail, tol)) {
          tail = open[j].end;
        } else if (open[j].end.isEqualTo(tail, tol)) {
          tail = open[j].start;
        } else {
          continue;
        }
        open[j].used = true;
        chain.push_back(j);
        grew = true;
        break;
      }
    }
    if (head.isEqualTo(tail, tol) && chain.size() > 1) {
      std::vector<const AcDbCurve*> loop;
      for (std::size_t k : chain) loop.push_back(open[k].curve);
      loops.push_back(std::move(loop));
    } else {
      for (std::size_t k : chain) open[k].used = false;  // cannot close: free for other chains
      open[i].used = true;
    }
  }
  if (loops.empty()) return Acad::eInvalidInput;
  for (const auto& loop : loops) {
    auto* region = new AcDbRegion;
    std::vector<AcDbCurve*> copy;
    for (const AcDbCurve* c : loop) copy.push_back(copyCurve(c));
    region->loops_.push_back(std::move(copy));
    regions.append(region);
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::appendLoopsFrom(AcDbRegion* other) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!other || other == this) return Acad::eInvalidInput;
  if (!other->assertWriteEnabled()) return Acad::eNotOpenForWrite;
  for (auto& loop : other->loops_) loops_.push_back(std::move(loop));
  other->loops_.clear();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  for (const auto& loop : loops_)
    for (const AcDbCurve* c : loop) {
      AcDbExtents e;
      if (c->getGeomExtents(e) == Acad::eOk) extents.addExt(e);
    }
  return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  std::vector<std::vector<AcDbCurve*>> moved;
  for (const auto& loop : loops_) {
    std::vector<AcDbCurve*> copy;
    for (const AcDbCurve* c : loop) {
      AcDbCurve* m = copyCurve(c);
      Acad::ErrorStatus es = m->transformBy(xform);
      copy.push_back(m);
      if (es != Acad::eOk) {
        moved.push_back(std::move(copy));
        deleteLoops(moved);
        return es;
      }
    }
    moved.push_back(std::move(copy));
  }
  deleteLoops(loops_);
  loops_ = std::move(moved);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::explode(AcDbVoidPtrArray& entitySet) const {
  if (loops_.empty()) return Acad::eNotApplicable;
  if (loops_.size() == 1) {
    for (const AcDbCurve* c : loops_.front()) {
      AcDbCurve* copy = copyCurve(c);
      copy->setPropertiesFrom(this);
      entitySet.append(copy);
    }
    return Acad::eOk;
  }
  for (const auto& loop : loops_) {
    auto* sub = new AcDbRegion;
    sub->setPropertiesFrom(this);
    std::vector<AcDbCurve*> copy;
    for (const AcDbCurve* c : loop) copy.push_back(copyCurve(c));
    sub->loops_.push_back(std::move(copy));
    entitySet.append(sub);
  }
  return Acad::eOk;
}
