// AcAxDocLock: a scope guard holding a write lock of a document.
//
// Models: the default constructor locks the current document, the database constructor the
// document of that database; lockStatus() is eOk when the lock was taken (eNoDocument when
// there is no such document). The destructor unlocks exactly what was locked, so every path
// out of a scope releases it.
// Limitations: kNormal locks only (no kCurDocSwitch).
#pragma once

#include "arx/acadstrc.h"

class AcApDocument;
class AcDbDatabase;

class AcAxDocLock {
 public:
  AcAxDocLock();
  explicit AcAxDocLock(AcDbDatabase* db);
  ~AcAxDocLock();
  AcAxDocLock(const AcAxDocLock&) = delete;
  AcAxDocLock& operator=(const AcAxDocLock&) = delete;

  Acad::ErrorStatus lockStatus() const { return status_; }

 private:
  void lock(AcApDocument* doc);
  AcApDocument* doc_ = nullptr;
  Acad::ErrorStatus status_ = Acad::eNoDocument;
};
