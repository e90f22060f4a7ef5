// AcDbDatabase: one drawing's objects, its tables and its notifications.
//
// Models:
//   - every object added to the database gets the next handle of the hand seed; handles are
//     unique, never reused, and keep resolving (getAcDbObjectId) after the object is erased;
//   - a new default drawing holds the block table with *Model_Space and *Paper_Space, the
//     layer table with "0" (the current layer), the linetype table with ByBlock, ByLayer and
//     Continuous, the text style table with "Standard", the regapp table with "ACAD", the view
//     table and the named-objects dictionary;
//   - the database owns its objects and deletes them when it is destroyed (after goodbye());
//   - database reactors (arx/dbreactor.h) are held by pointer in the order added;
//   - a write-open check hook (non-standard) lets the document layer refuse write-opens,
//     e.g. with eLockViolation when no document lock is held; by default every write-open is
//     allowed;
//   - openObjectIds() lists objects still open (non-standard), for audits after each test.
// Limitations: no DWG reading or writing, no undo, no xrefs, no header variables beyond
// CLAYER and the hand seed; deepCloneObjects clones entities into a block table record only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "arx/acadstrc.h"
#include "arx/acdb.h"
#include "arx/dbid.h"
#include "arx/dbidmap.h"
#include "arx/rxobject.h"

class AcDbObject;
class AcDbDatabaseReactor;
class AcDbBlockTable;
class AcDbLayerTable;
class AcDbLinetypeTable;
class AcDbRegAppTable;
class AcDbTextStyleTable;
class AcDbViewTable;
class AcDbDictionary;

namespace arxdetail {
struct DbAccess;
}

class AcDbDatabase : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDatabase);

  // The root objects a database knows by role (non-standard, for drawing readers that build
  // a database from an empty one).
  enum RootObject {
    kBlockTableRoot,
    kLayerTableRoot,
    kLinetypeTableRoot,
    kRegAppTableRoot,
    kTextStyleTableRoot,
    kViewTableRoot,
    kNamedObjectsDictionaryRoot,
  };

  // buildDefaultDrawing false gives an empty database for a reader to fill.
  explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
  ~AcDbDatabase() override;
  AcDbDatabase(const AcDbDatabase&) = delete;
  AcDbDatabase& operator=(const AcDbDatabase&) = delete;

  // Tables and dictionaries, opened in the given mode (close them).
  Acad::ErrorStatus getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getLinetypeTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getViewTable(AcDbViewTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode) { return getBlockTable(table, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode) { return getLayerTable(table, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode) { return getLinetypeTable(table, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& table, AcDb::OpenMode mode) { return getRegAppTable(table, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode) { return getTextStyleTable(table, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbViewTable*& table, AcDb::OpenMode mode) { return getViewTable(table, mode); }
  Acad::ErrorStatus getNamedObjectsDictionary(AcDbDictionary*& dict, AcDb::OpenMode mode);

  AcDbObjectId blockTableId() const;
  AcDbObjectId layerTableId() const;
  AcDbObjectId linetypeTableId() const;
  AcDbObjectId regAppTableId() const;
  AcDbObjectId textStyleTableId() const;
  AcDbObjectId viewTableId() const;
  AcDbObjectId namedObjectsDictionaryId() const;
  // *Model_Space and *Paper_Space records (null when the block table lacks them).
  AcDbObjectId modelSpaceId() const;
  AcDbObjectId paperSpaceId() const;
  AcDbObjectId currentSpaceId() const { return modelSpaceId(); }

  // Current layer (CLAYER) and the special linetypes.
  AcDbObjectId clayer() const;
  Acad::ErrorStatus setClayer(AcDbObjectId layerId);
  AcDbObjectId byLayerLinetype() const;
  AcDbObjectId byBlockLinetype() const;
  AcDbObjectId continuousLinetype() const;
  AcDbObjectId textstyle() const;

  // Adds a new object (no owner is set; see setOwnerId). It stays open for write.
  Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* obj);
  // Handle -> id. createIfNotFound reserves the handle (a reader's forward reference) and
  // returns an id that a later addAcDbObjectWithHandle fills; without it an unknown handle is
  // eUnknownHandle.
  Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& handle,
                                    Adesk::UInt32 xRefId = 0);
  // The next handle to be given out.
  AcDbHandle handseed() const;

  // Reactors.
  void addReactor(AcDbDatabaseReactor* reactor);
  void removeReactor(AcDbDatabaseReactor* reactor);

  // Clones the entities ids (all in this database) into the block table record owner, with
  // their extension dictionaries and the objects in them. Each clone is appended (entity,
  // then its extension dictionary, then the dictionary's entries) and then closed in reverse
  // order, so a reactor seeing objectModified for the entity finds its extension data closed.
  Acad::ErrorStatus deepCloneObjects(const AcDbObjectIdArray& ids, const AcDbObjectId& owner, AcDbIdMapping& idMap,
                                     bool deferXlation = false);

  // The file the drawing was read from or saved to ("" for a new drawing).
  const std::u16string& filename() const;

  // --- non-standard: session and reader support -------------------------------------
  using WriteOpenCheck = std::function<Acad::ErrorStatus(AcDbObjectId id)>;
  // Called before every write-open (acdbOpenObject kForWrite, upgradeOpen); a status other
  // than eOk refuses the open with that status. An empty function allows everything.
  void setWriteOpenCheck(WriteOpenCheck check);
  // Objects added to the database and still open (for read, write or notify).
  AcDbObjectIdArray openObjectIds() const;
  int numOpenObjects() const { return openObjectIds().length(); }
  // Ids of every object (erased ones too when asked), in handle order.
  AcDbObjectIdArray objectIds(bool includeErased = false) const;
  // Adds obj with a chosen handle: a reserved handle is filled, an unused one taken (the hand
  // seed moves past it); a handle already holding an object is eHandleExists, a null one
  // eNullHandle.
  Acad::ErrorStatus addAcDbObjectWithHandle(AcDbObjectId& id, AcDbObject* obj, const AcDbHandle& handle);
  // Moves the hand seed; it cannot go back below a handle in use (eInvalidInput).
  Acad::ErrorStatus setHandseed(const AcDbHandle& seed);
  // Declares which object plays a root role (tables, named-objects dictionary).
  Acad::ErrorStatus setRootObjectId(RootObject role, AcDbObjectId id);
  void setFilename(const std::u16string& path);
  // Adds an owned sub-object (vertex, attribute, sequence end) of a resident owner, fires
  // objectAppended, and leaves it closed or open for write.
  Acad::ErrorStatus addOwnedObject(AcDbObjectId& id, AcDbObject* obj, AcDbObjectId owner, bool leaveOpen = false);

  // The stand-in's internal state (opaque outside its sources).
  struct Impl;

 private:
  friend struct arxdetail::DbAccess;
  std::unique_ptr<Impl> impl_;
};
