// An object opened for the length of a scope: closed on every path out of it.
#pragma once

#include "arx/dbobject.h"

namespace vurk {

template <class T>
class OpenedObject {
 public:
  OpenedObject(AcDbObjectId id, AcDb::OpenMode mode) { status_ = acdbOpenObject(object_, id, mode); }
  ~OpenedObject() {
    if (object_) object_->close();
  }
  OpenedObject(const OpenedObject&) = delete;
  OpenedObject& operator=(const OpenedObject&) = delete;

  Acad::ErrorStatus status() const { return status_; }
  explicit operator bool() const { return object_ != nullptr; }
  T* operator->() const { return object_; }
  T* get() const { return object_; }

 private:
  T* object_ = nullptr;
  Acad::ErrorStatus status_ = Acad::eOk;
};

}  // namespace vurk
