// Proxy entities, zombie entities and proxy objects.
#include "arx/dbproxy.h"

#include "db_internal.h"

namespace {

constexpr AcRxClass kProxyEntityClass{u"AcDbProxyEntity", &AcDbEntity::desc};
constexpr AcRxClass kZombieEntityClass{u"AcDbZombieEntity", &AcDbEntity::desc};

Acad::ErrorStatus graphicsExtents(const std::vector<AcDbEntity*>& graphics, AcDbExtents& extents) {
  extents = AcDbExtents();
  for (const AcDbEntity* e : graphics) {
    AcDbExtents x;
    if (e->getGeomExtents(x) == Acad::eOk) extents.addExt(x);
  }
  return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

Acad::ErrorStatus graphicsTransform(std::vector<AcDbEntity*>& graphics, const AcGeMatrix3d& xform) {
  std::vector<AcDbEntity*> moved;
  for (const AcDbEntity* e : graphics) {
    AcDbEntity* copy = nullptr;
    Acad::ErrorStatus es = e->getTransformedCopy(xform, copy);
    if (es != Acad::eOk) {
      for (AcDbEntity* m : moved) delete m;
      return es;
    }
    moved.push_back(copy);
  }
  for (AcDbEntity* e : graphics) delete e;
  graphics = std::move(moved);
  return Acad::eOk;
}

Acad::ErrorStatus graphicsExplode(const std::vector<AcDbEntity*>& graphics, AcDbVoidPtrArray& out) {
  if (graphics.empty()) return Acad::eNotApplicable;
  for (const AcDbEntity* e : graphics) out.append(e->clone());
  return Acad::eOk;
}

Acad::ErrorStatus takeGraphics(AcDbProxyData& data, AcDbEntity* entity) {
  if (!entity) return Acad::eNullEntityPointer;
  if (entity->isDatabaseResident()) return Acad::eAlreadyInDb;
  data.graphics.push_back(entity);
  return Acad::eOk;
}

}  // namespace

// ----------------------------------------------------------------------------- shared data

AcDbProxyData::AcDbProxyData(const AcDbProxyData& o)
    : originalClassName(o.originalClassName), originalDxfName(o.originalDxfName), proxyFlags(o.proxyFlags),
      rawGroups(o.rawGroups) {
  for (const AcDbEntity* e : o.graphics) graphics.push_back(AcDbEntity::cast(e->clone()));
  if (o.reported_) setReportedClass(o.reportedName_.c_str(), o.reportedParent_);
}

AcDbProxyData::~AcDbProxyData() {
  for (AcDbEntity* e : graphics) delete e;
}

void AcDbProxyData::setReportedClass(const ACHAR* name, AcRxClass::DescFn parent) {
  reported_.reset();
  if (!name || !*name) return;
  reportedName_ = name;
  reportedParent_ = parent;
  reported_ = std::make_unique<AcRxClass>(reportedName_.c_str(), parent);
}

// --------------------------------------------------------------------------------- proxy

const AcRxClass* AcDbProxyEntity::desc() { return &kProxyEntityClass; }
const AcRxClass* AcDbProxyEntity::isA() const { return data_.reportedClass() ? data_.reportedClass() : desc(); }

Acad::ErrorStatus AcDbProxyEntity::setOriginalNames(const ACHAR* className, const ACHAR* dxfName) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  data_.originalClassName = className ? className : u"";
  data_.originalDxfName = dxfName ? dxfName : u"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbProxyEntity::setProxyFlags(Adesk::Int32 flags) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  data_.proxyFlags = flags;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbProxyEntity::setRawGroups(const std::vector<AcDbRawGroup>& groups) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  data_.rawGroups = groups;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbProxyEntity::appendGraphics(AcDbEntity* entity) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  return takeGraphics(data_, entity);
}

void AcDbProxyEntity::setReportedClassName(const ACHAR* name) { data_.setReportedClass(name, &AcDbProxyEntity::desc); }

Acad::ErrorStatus AcDbProxyEntity::getGeomExtents(AcDbExtents& extents) const {
  return graphicsExtents(data_.graphics, extents);
}

Acad::ErrorStatus AcDbProxyEntity::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  return graphicsTransform(data_.graphics, xform);
}

Acad::ErrorStatus AcDbProxyEntity::explode(AcDbVoidPtrArray& entitySet) const {
  return graphicsExplode(data_.graphics, entitySet);
}

// -------------------------------------------------------------------------------- zombie

const AcRxClass* AcDbZombieEntity::desc() { return &kZombieEntityClass; }
const AcRxClass* AcDbZombieEntity::isA() const { return data_.reportedClass() ? data_.reportedClass() : desc(); }

Acad::ErrorStatus AcDbZombieEntity::setOriginalNames(const ACHAR* className, const ACHAR* dxfName) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  data_.originalClassName = className ? className : u"";
  data_.originalDxfName = dxfName ? dxfName : u"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbZombieEntity::appendGraphics(AcDbEntity* entity) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  return takeGraphics(data_, entity);
}

void AcDbZombieEntity::setReportedClassName(const ACHAR* name) { data_.setReportedClass(name, &AcDbZombieEntity::desc); }

Acad::ErrorStatus AcDbZombieEntity::getGeomExtents(AcDbExtents& extents) const {
  return graphicsExtents(data_.graphics, extents);
}

Acad::ErrorStatus AcDbZombieEntity::transformBy(const AcGeMatrix3d& xform) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  return graphicsTransform(data_.graphics, xform);
}

Acad::ErrorStatus AcDbZombieEntity::explode(AcDbVoidPtrArray& entitySet) const {
  return graphicsExplode(data_.graphics, entitySet);
}

// -------------------------------------------------------------------------- proxy object

Acad::ErrorStatus AcDbProxyObject::setOriginalNames(const ACHAR* className, const ACHAR* dxfName) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  data_.originalClassName = className ? className : u"";
  data_.originalDxfName = dxfName ? dxfName : u"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbProxyObject::setProxyFlags(Adesk::Int32 flags) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  data_.proxyFlags = flags;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbProxyObject::setRawGroups(const std::vector<AcDbRawGroup>& groups) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  data_.rawGroups = groups;
  return Acad::eOk;
}
