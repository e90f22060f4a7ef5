// Runtime classes and the root object of the ARX object model.
//
// Models: AcRxClass (a class descriptor with a name and a parent, answering isDerivedFrom),
// AcRxObject (isA, isKindOf, cast through desc()), and AcRxDictionary (a string-keyed table of
// objects, used as the system registry that holds "DynamicLinker"). Class descriptors are
// constant objects defined once per class with ACRX_DEFINE_MEMBERS; cast() returns null unless
// the object really is of that class or derived from it, so a wrong cast never goes unnoticed.
// Limitations: no protocol extensions, no class dictionary, no dxf names or proxy flags; the
// dictionary does not own what it holds and matches keys exactly (case-sensitive).
#pragma once

#include <map>
#include <string>

#include "win32/types.h"

class AcRxClass {
 public:
  using DescFn = const AcRxClass* (*)();
  // parentDesc is the parent's desc function (null for the root), so descriptors of classes in
  // different source files can be constant-initialised without ordering concerns.
  constexpr AcRxClass(const ACHAR* name, DescFn parentDesc) : name_(name), parentDesc_(parentDesc) {}

  const ACHAR* name() const { return name_; }
  const AcRxClass* myParent() const { return parentDesc_ ? parentDesc_() : nullptr; }
  // True when this class is other or derives from it.
  bool isDerivedFrom(const AcRxClass* other) const;

 private:
  const ACHAR* name_;
  DescFn parentDesc_;
};

class AcRxObject {
 public:
  virtual ~AcRxObject() = default;

  static const AcRxClass* desc();
  virtual const AcRxClass* isA() const;
  bool isKindOf(const AcRxClass* c) const { return c && isA()->isDerivedFrom(c); }
  static AcRxObject* cast(const AcRxObject* p) { return const_cast<AcRxObject*>(p); }
};

// In the class body: the descriptor accessors and a checked cast.
#define ACRX_DECLARE_MEMBERS(CLASS)                                                     \
  static const AcRxClass* desc();                                                       \
  const AcRxClass* isA() const override;                                                \
  static CLASS* cast(const AcRxObject* p) {                                             \
    return (p && p->isKindOf(CLASS::desc())) ? static_cast<CLASS*>(const_cast<AcRxObject*>(p)) \
                                             : nullptr;                                 \
  }

// In one source file: the class descriptor named after the class, derived from PARENT.
#define ACRX_DEFINE_MEMBERS(CLASS, PARENT)                                              \
  namespace {                                                                           \
  constexpr AcRxClass kRxClassOf##CLASS{u"" #CLASS, &PARENT::desc};                    \
  }                                                                                     \
  const AcRxClass* CLASS::desc() { return &kRxClassOf##CLASS; }                         \
  const AcRxClass* CLASS::isA() const { return &kRxClassOf##CLASS; }

// A table of named objects. The system registry (acrxSysRegistry) is one of these.
class AcRxDictionary : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxDictionary);

  // The object stored under key, or null.
  AcRxObject* at(const ACHAR* key) const;
  // Stores obj under key and returns the object it replaced (or null).
  AcRxObject* atPut(const ACHAR* key, AcRxObject* obj);
  // Removes the entry and returns the object it held (or null).
  AcRxObject* remove(const ACHAR* key);
  bool has(const ACHAR* key) const { return at(key) != nullptr; }
  UINT numEntries() const { return static_cast<UINT>(entries_.size()); }

 private:
  std::map<std::u16string, AcRxObject*> entries_;
};

// The key of the dynamic linker in the system registry.
#define ACRX_DYNAMIC_LINKER u"DynamicLinker"

// The system registry of the current AutoCAD application (see arx/acad_app.h).
AcRxDictionary* acrxSysRegistry();
