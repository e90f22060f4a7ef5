// Sub-entity iterators of complex entities.
#include "arx/dbcomplex.h"

AcDbObjectIterator::AcDbObjectIterator(std::vector<AcDbEntity*> entities) : entities_(std::move(entities)) {
  start();
}

void AcDbObjectIterator::skip(bool backwards) {
  while (!done() && entities_[static_cast<std::size_t>(pos_)]->isErased()) pos_ += backwards ? -1 : 1;
}

void AcDbObjectIterator::start(bool atEnd) {
  pos_ = atEnd ? static_cast<long>(entities_.size()) - 1 : 0;
  skip(atEnd);
}

bool AcDbObjectIterator::done() const { return pos_ < 0 || pos_ >= static_cast<long>(entities_.size()); }

void AcDbObjectIterator::step(bool backwards, bool skipErased) {
  if (done()) return;
  pos_ += backwards ? -1 : 1;
  if (skipErased) skip(backwards);
}

AcDbEntity* AcDbObjectIterator::entity() const { return done() ? nullptr : entities_[static_cast<std::size_t>(pos_)]; }

AcDbObjectId AcDbObjectIterator::objectId() const { return done() ? AcDbObjectId::kNull : entity()->objectId(); }

Acad::ErrorStatus AcDbObjectIterator::seek(AcDbObjectId id) {
  for (std::size_t i = 0; i < entities_.size(); ++i) {
    if (entities_[i]->objectId() == id) {
      pos_ = static_cast<long>(i);
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}
