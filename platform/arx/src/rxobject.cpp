#include "arx/rxobject.h"

namespace {
constexpr AcRxClass kRxClassOfAcRxObject{u"AcRxObject", nullptr};
}

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
  if (!other) return false;
  for (const AcRxClass* c = this; c; c = c->myParent()) {
    if (c == other) return true;
  }
  return false;
}

const AcRxClass* AcRxObject::desc() { return &kRxClassOfAcRxObject; }
const AcRxClass* AcRxObject::isA() const { return &kRxClassOfAcRxObject; }

ACRX_DEFINE_MEMBERS(AcRxDictionary, AcRxObject)

AcRxObject* AcRxDictionary::at(const ACHAR* key) const {
  if (!key) return nullptr;
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : it->second;
}

AcRxObject* AcRxDictionary::atPut(const ACHAR* key, AcRxObject* obj) {
  if (!key) return nullptr;
  AcRxObject*& slot = entries_[key];
  AcRxObject* previous = slot;
  slot = obj;
  if (!obj) entries_.erase(key);
  return previous;
}

AcRxObject* AcRxDictionary::remove(const ACHAR* key) {
  if (!key) return nullptr;
  auto it = entries_.find(key);
  if (it == entries_.end()) return nullptr;
  AcRxObject* previous = it->second;
  entries_.erase(it);
  return previous;
}
