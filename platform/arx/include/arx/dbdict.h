// AcDbDictionary: string-keyed containers of objects (the named-objects dictionary, extension
// dictionaries, the image dictionary).
//
// Models:
//   - keys are matched case-insensitively and kept as first given; iteration is in key order
//     (case-insensitive), which is repeatable;
//   - getAt of a missing key is eKeyNotFound (22); an entry whose object is erased counts as
//     missing (getAt, has, iteration) until the object is un-erased;
//   - setAt(key, obj, id) needs the dictionary open for write; a non-resident obj is added to
//     the dictionary's database and stays open for write (close it); the dictionary becomes its
//     owner; an existing entry with that key is replaced and its object erased;
//   - remove(key) drops the entry without erasing the object (which loses its owner); a
//     missing key is eKeyNotFound.
// Limitations: no merge styles or hard/soft ownership distinction.
#pragma once

#include <string>
#include <vector>

#include "arx/dbobject.h"

class AcDbDictionaryIterator {
 public:
  bool done() const { return pos_ >= entries_.size(); }
  bool next();
  const ACHAR* name() const;
  AcDbObjectId objectId() const;
  Acad::ErrorStatus getObject(AcDbObject*& obj, AcDb::OpenMode mode) const;

 private:
  friend class AcDbDictionary;
  struct Entry {
    std::u16string key;
    AcDbObjectId id;
  };
  explicit AcDbDictionaryIterator(std::vector<Entry> entries) : entries_(std::move(entries)) {}
  std::vector<Entry> entries_;
  std::size_t pos_ = 0;
};

class AcDbDictionary : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDictionary);
  ARX_DECLARE_CLONE(AcDbDictionary)
  AcDbDictionary() = default;
  // A copy holds no entries (they belong to the original).
  AcDbDictionary(const AcDbDictionary& other) : AcDbObject(other) {}

  Acad::ErrorStatus getAt(const ACHAR* key, AcDbObjectId& id) const;
  Acad::ErrorStatus getAt(const ACHAR* key, AcDbObject*& obj, AcDb::OpenMode mode) const;
  bool has(const ACHAR* key) const;
  bool has(AcDbObjectId id) const;
  // The key under which id is stored.
  Acad::ErrorStatus nameAt(AcDbObjectId id, std::u16string& key) const;
  Adesk::UInt32 numEntries() const { return static_cast<Adesk::UInt32>(entries_.size()); }
  Acad::ErrorStatus setAt(const ACHAR* key, AcDbObject* obj, AcDbObjectId& id);
  Acad::ErrorStatus remove(const ACHAR* key);
  Acad::ErrorStatus remove(const ACHAR* key, AcDbObjectId& removedId);
  Acad::ErrorStatus remove(AcDbObjectId id);
  // The caller deletes the iterator.
  AcDbDictionaryIterator* newIterator() const;

 private:
  friend struct arxdetail::DbAccess;
  struct Entry {
    std::u16string key;
    AcDbObjectId id;
  };
  std::vector<Entry> entries_;  // kept sorted by key, case-insensitively
};
