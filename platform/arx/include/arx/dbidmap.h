// AcDbIdMapping: the source -> clone pairs a deep clone produced.
//
// Models: one pair per cloned object (primary for the objects asked for, not primary for
// their extension dictionaries and what those hold); compute() looks a source up.
// Limitations: no deferred translation; references inside cloned data keep pointing at the
// source objects.
#pragma once

#include <vector>

#include "arx/acadstrc.h"
#include "arx/dbid.h"

class AcDbIdPair {
 public:
  AcDbIdPair() = default;
  AcDbIdPair(AcDbObjectId key, AcDbObjectId value, bool isCloned, bool isPrimary = false)
      : key_(key), value_(value), cloned_(isCloned), primary_(isPrimary) {}
  AcDbObjectId key() const { return key_; }
  AcDbObjectId value() const { return value_; }
  bool isCloned() const { return cloned_; }
  bool isPrimary() const { return primary_; }
  void setKey(AcDbObjectId id) { key_ = id; }
  void setValue(AcDbObjectId id) { value_ = id; }

 private:
  AcDbObjectId key_;
  AcDbObjectId value_;
  bool cloned_ = false;
  bool primary_ = false;
};

class AcDbIdMapping {
 public:
  // Looks pair.key() up and fills the pair; false when the key is unknown.
  bool compute(AcDbIdPair& pair) const;
  bool assign(const AcDbIdPair& pair);
  int numPairs() const { return static_cast<int>(pairs_.size()); }  // non-standard
  const AcDbIdPair& pairAt(int i) const { return pairs_.at(static_cast<std::size_t>(i)); }  // non-standard
  AcDbObjectId destDb() const { return {}; }

 private:
  std::vector<AcDbIdPair> pairs_;
};
