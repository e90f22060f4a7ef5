// Xrecords.
#include "arx/dbxrecord.h"

#include "resbuf_kind.h"

AcDbXrecord::AcDbXrecord(const AcDbXrecord& other)
    : AcDbObject(other),
      chain_(arxdetail::rbCopyChain(other.chain_)),
      xlateReferences_(other.xlateReferences_),
      mergeStyle_(other.mergeStyle_) {}

AcDbXrecord::~AcDbXrecord() { acutRelRb(chain_); }

Acad::ErrorStatus AcDbXrecord::rbChain(resbuf** chain, AcDbDatabase*) const {
  if (!chain) return Acad::eNullObjectPointer;
  *chain = arxdetail::rbCopyChain(chain_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbXrecord::setFromRbChain(const resbuf& chain, AcDbDatabase*) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  if (!arxdetail::rbChainValid(&chain)) return Acad::eInvalidResBuf;
  bool ok = true;
  resbuf* copy = arxdetail::rbCopyChain(&chain, &ok);
  if (!ok) {
    acutRelRb(copy);
    return Acad::eOutOfMemory;
  }
  acutRelRb(chain_);
  chain_ = copy;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbXrecord::clear() {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  acutRelRb(chain_);
  chain_ = nullptr;
  return Acad::eOk;
}

void AcDbXrecord::setXlateReferences(bool translate) {
  if (!assertWriteEnabled()) return;
  xlateReferences_ = translate;
}

Acad::ErrorStatus AcDbXrecord::setMergeStyle(Adesk::Int16 style) {
  if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
  mergeStyle_ = style;
  return Acad::eOk;
}
