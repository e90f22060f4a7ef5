// AcDbXrecord: an object holding a chain of typed values (result buffers).
//
// Models: setFromRbChain stores a copy of the chain (needs write-open when resident; a buffer
// whose restype is not a known group code or RT code is eInvalidResBuf and nothing changes);
// rbChain hands back a fresh copy that the caller releases with acutRelRb. Strings are kept
// whole, whatever their length. Entity names (groups 330-369 and the like) are stored as
// given.
// Limitations: no reference translation on clone; the merge style is stored, not applied.
#pragma once

#include "arx/adsdef.h"
#include "arx/dbobject.h"

class AcDbXrecord : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbXrecord);
  ARX_DECLARE_CLONE(AcDbXrecord)
  AcDbXrecord() = default;
  ~AcDbXrecord() override;

  Acad::ErrorStatus rbChain(resbuf** chain, AcDbDatabase* auxDb = nullptr) const;
  Acad::ErrorStatus setFromRbChain(const resbuf& chain, AcDbDatabase* auxDb = nullptr);
  // Empties the record.
  Acad::ErrorStatus clear();
  bool isXlateReferences() const { return xlateReferences_; }
  void setXlateReferences(bool translate);
  Adesk::Int16 mergeStyle() const { return mergeStyle_; }
  Acad::ErrorStatus setMergeStyle(Adesk::Int16 style);

 protected:
  AcDbXrecord(const AcDbXrecord& other);

 private:
  resbuf* chain_ = nullptr;
  bool xlateReferences_ = true;
  Adesk::Int16 mergeStyle_ = 1;
};
