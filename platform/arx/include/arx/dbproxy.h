// Entities and objects of classes the drawing's reader did not know: AcDbProxyEntity,
// AcDbZombieEntity and AcDbProxyObject.
//
// Models: a proxy keeps the name of its original class, its drawing-file name, its flags and
// its raw data groups (code, text) so that a writer can put it back unchanged; proxy and
// zombie entities also carry "graphics": entities that stand for them. explode returns copies
// of the graphics (non-resident; eNotApplicable without graphics); extents are the graphics'
// box; transformBy transforms all graphics or none. For tests of code that dispatches on class
// names, setReportedClassName makes isA() answer a class of that name (derived from the
// entity's own class), e.g. "AcDbProxyObject".
// Limitations: no proxy graphics metafile; the raw groups are not interpreted.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "arx/dbentity.h"

// One raw data group of an unknown object.
struct AcDbRawGroup {
  int code = 0;
  std::u16string value;
  bool operator==(const AcDbRawGroup& o) const { return code == o.code && value == o.value; }
};

// What proxies share: original class, raw data, stand-in graphics and a reported class name.
class AcDbProxyData {
 public:
  AcDbProxyData() = default;
  AcDbProxyData(const AcDbProxyData& other);
  AcDbProxyData& operator=(const AcDbProxyData&) = delete;
  ~AcDbProxyData();

  std::u16string originalClassName;
  std::u16string originalDxfName;
  Adesk::Int32 proxyFlags = 0;
  std::vector<AcDbRawGroup> rawGroups;
  std::vector<AcDbEntity*> graphics;  // owned, non-resident

  const AcRxClass* reportedClass() const { return reported_.get(); }
  void setReportedClass(const ACHAR* name, AcRxClass::DescFn parent);

 private:
  std::u16string reportedName_;
  AcRxClass::DescFn reportedParent_ = nullptr;
  std::unique_ptr<AcRxClass> reported_;
};

class AcDbProxyEntity : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbProxyEntity);
  ARX_DECLARE_CLONE(AcDbProxyEntity)
  AcDbProxyEntity() = default;

  const ACHAR* originalClassName() const { return data_.originalClassName.c_str(); }
  const ACHAR* originalDxfName() const { return data_.originalDxfName.c_str(); }
  Adesk::Int32 proxyFlags() const { return data_.proxyFlags; }
  // Non-standard: readers and fixtures fill the proxy.
  Acad::ErrorStatus setOriginalNames(const ACHAR* className, const ACHAR* dxfName);
  Acad::ErrorStatus setProxyFlags(Adesk::Int32 flags);
  const std::vector<AcDbRawGroup>& rawGroups() const { return data_.rawGroups; }
  Acad::ErrorStatus setRawGroups(const std::vector<AcDbRawGroup>& groups);
  // Takes ownership of a non-resident entity.
  Acad::ErrorStatus appendGraphics(AcDbEntity* entity);
  int numGraphics() const { return static_cast<int>(data_.graphics.size()); }
  void setReportedClassName(const ACHAR* name);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;

 private:
  AcDbProxyData data_;
};

class AcDbZombieEntity : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbZombieEntity);
  ARX_DECLARE_CLONE(AcDbZombieEntity)
  AcDbZombieEntity() = default;

  const ACHAR* originalClassName() const { return data_.originalClassName.c_str(); }
  Acad::ErrorStatus setOriginalNames(const ACHAR* className, const ACHAR* dxfName);
  Acad::ErrorStatus appendGraphics(AcDbEntity* entity);
  int numGraphics() const { return static_cast<int>(data_.graphics.size()); }
  void setReportedClassName(const ACHAR* name);

  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;

 private:
  AcDbProxyData data_;
};

class AcDbProxyObject : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbProxyObject);
  ARX_DECLARE_CLONE(AcDbProxyObject)
  AcDbProxyObject() = default;

  const ACHAR* originalClassName() const { return data_.originalClassName.c_str(); }
  const ACHAR* originalDxfName() const { return data_.originalDxfName.c_str(); }
  Adesk::Int32 proxyFlags() const { return data_.proxyFlags; }
  Acad::ErrorStatus setOriginalNames(const ACHAR* className, const ACHAR* dxfName);
  Acad::ErrorStatus setProxyFlags(Adesk::Int32 flags);
  const std::vector<AcDbRawGroup>& rawGroups() const { return data_.rawGroups; }
  Acad::ErrorStatus setRawGroups(const std::vector<AcDbRawGroup>& groups);

 private:
  AcDbProxyData data_;
};
