// Symbol tables and their records: blocks, layers, linetypes, text styles, registered
// applications and views, plus the built-in linetype library.
//
// Models:
//   - names are matched case-insensitively; any non-empty name is accepted, including names
//     starting with '*' such as "*MapLayer" (tables need not validate user names), but a
//     record cannot be renamed to the name of another record of its table
//     (eDuplicateRecordName); an empty name is eInvalidInput;
//   - getAt(name) finds records that are not erased (getErasedRecord true finds erased ones
//     too); a miss is eKeyNotFound (22); add() needs the table open for write and a record of
//     the table's kind (eWrongObjectType), refuses a second record with the same name
//     (eDuplicateRecordName), and leaves the record open for write;
//   - a block table record holds its entities in append order; appendAcDbEntity makes the
//     entity resident (id, handle, owner) and leaves it open for write; its iterator walks
//     the entities in append order and skips erased ones unless told not to;
//   - acdbLoadLineTypeFile(name, "ACADISO.LIN" or "ACAD.LIN", db) adds one linetype of the
//     built-in library: DOT, DASHED, HIDDEN, CENTER, PHANTOM, DASHDOT, BORDER, DIVIDE and
//     their 2 and X2 variants, JIS_02_1.0 .. JIS_09_15, ACAD_ISO02W100 .. ACAD_ISO15W100;
//     "" is eInvalidInput, an unknown name eKeyNotFound, a name already in the table
//     eDuplicateRecordName, another file name eNotImplementedYet.
// Limitations: no dependent (xref) records, no purge or in-use checks on erase, no complex
// (shape/text) linetypes; the library's dash lengths are the stand-in's own values in
// millimetres (inches for ACAD.LIN), read by nothing that matters.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "arx/dbcolor.h"
#include "arx/dbobject.h"
#include "arx/gept.h"

class AcDbEntity;
class AcDbSortentsTable;

#define ACDB_MODEL_SPACE u"*Model_Space"
#define ACDB_PAPER_SPACE u"*Paper_Space"

class AcDbSymbolTableRecord : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord);

  // The pointer stays valid until the record is renamed or destroyed.
  Acad::ErrorStatus getName(const ACHAR*& name) const;
  Acad::ErrorStatus getName(std::u16string& name) const;
  const std::u16string& getName() const { return name_; }  // non-standard
  Acad::ErrorStatus setName(const ACHAR* name);
  bool isDependent() const { return false; }

 protected:
  AcDbSymbolTableRecord() = default;
  AcDbSymbolTableRecord(const AcDbSymbolTableRecord&) = default;

 private:
  std::u16string name_;
};

class AcDbSymbolTable;

class AcDbSymbolTableIterator {
 public:
  virtual ~AcDbSymbolTableIterator() = default;
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
  Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode, bool openErased = false) const;
  Acad::ErrorStatus seek(AcDbObjectId id);

 protected:
  friend class AcDbSymbolTable;
  explicit AcDbSymbolTableIterator(std::vector<AcDbObjectId> ids) : ids_(std::move(ids)) {}

 private:
  void skipErased(bool forward);
  std::vector<AcDbObjectId> ids_;
  long pos_ = 0;
};

// A symbol-table iterator that opens its records as Rec.
template <class Rec>
class AcDbTypedSymbolTableIterator : public AcDbSymbolTableIterator {
 public:
  using AcDbSymbolTableIterator::getRecord;
  Acad::ErrorStatus getRecord(Rec*& record, AcDb::OpenMode mode, bool openErased = false) const {
    record = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getRecordId(id);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(record, id, mode, openErased);
  }

 private:
  friend class AcDbSymbolTable;
  explicit AcDbTypedSymbolTableIterator(std::vector<AcDbObjectId> ids) : AcDbSymbolTableIterator(std::move(ids)) {}
};

class AcDbSymbolTable : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTable);

  Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id, bool getErasedRecord = false) const;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                          bool openErasedRecord = false) const;
  bool has(const ACHAR* name) const;
  bool has(AcDbObjectId id) const;
  Acad::ErrorStatus add(AcDbSymbolTableRecord* record);
  Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* record);
  Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning = true,
                                bool skipDeleted = true) const;
  // Every record id in the order added (erased ones too). Non-standard.
  AcDbObjectIdArray recordIds() const;

 protected:
  AcDbSymbolTable() = default;
  // A copy holds no records (they belong to the original).
  AcDbSymbolTable(const AcDbSymbolTable& other) : AcDbObject(other) {}
  // The class of the records the table accepts.
  virtual const AcRxClass* recordClass() const = 0;

  template <class Rec>
  Acad::ErrorStatus typedGetAt(const ACHAR* name, Rec*& record, AcDb::OpenMode mode, bool openErased) const {
    record = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getAt(name, id, openErased);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(record, id, mode, openErased);
  }
  template <class Rec>
  Acad::ErrorStatus typedIterator(AcDbTypedSymbolTableIterator<Rec>*& it, bool atBeginning, bool skipDeleted) const {
    it = new AcDbTypedSymbolTableIterator<Rec>(recordIdVector());
    it->start(atBeginning, skipDeleted);
    return Acad::eOk;
  }

 private:
  friend struct arxdetail::DbAccess;
  std::vector<AcDbObjectId> recordIdVector() const { return records_; }
  std::vector<AcDbObjectId> records_;
};

// ------------------------------------------------------------------------------ blocks

class AcDbBlockTableRecord;

class AcDbBlockTableRecordIterator {
 public:
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
  Acad::ErrorStatus getEntity(AcDbEntity*& entity, AcDb::OpenMode mode, bool openErased = false) const;
  Acad::ErrorStatus seek(AcDbObjectId id);
  AcDbObjectId blockTableRecordId() const { return owner_; }

 private:
  friend class AcDbBlockTableRecord;
  AcDbBlockTableRecordIterator(AcDbObjectId owner, std::vector<AcDbObjectId> ids) : owner_(owner), ids_(std::move(ids)) {}
  void skipErased(bool forward);
  AcDbObjectId owner_;
  std::vector<AcDbObjectId> ids_;
  long pos_ = 0;
};

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord);
  ARX_DECLARE_CLONE(AcDbBlockTableRecord)
  AcDbBlockTableRecord() = default;
  // A copy holds no entities (they belong to the original).
  AcDbBlockTableRecord(const AcDbBlockTableRecord& other)
      : AcDbSymbolTableRecord(other), origin_(other.origin_), comments_(other.comments_) {}

  // Makes entity resident in this record's database, owned by this record, and leaves it open
  // for write. The record must be resident and open for write (eNoDatabase /
  // eNotOpenForWrite); a resident entity is eAlreadyInDb; an entity whose layer or linetype
  // belongs to another database is eWrongDatabase.
  Acad::ErrorStatus appendAcDbEntity(AcDbEntity* entity);
  Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity);
  // The caller deletes the iterator.
  Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning = true,
                                bool skipDeleted = true) const;
  // Entities in append order, erased ones too. Non-standard.
  AcDbObjectIdArray entityIds() const;

  AcGePoint3d origin() const { return origin_; }
  Acad::ErrorStatus setOrigin(const AcGePoint3d& origin);
  const std::u16string& comments() const { return comments_; }
  Acad::ErrorStatus setComments(const ACHAR* text);
  bool isLayout() const;
  // The layout object of a layout block (*Model_Space, *Paper_Space...); null when the drawing
  // has none. Drawing files carry it; nothing else reads it.
  AcDbObjectId getLayoutId() const { return layoutId_; }
  Acad::ErrorStatus setLayoutId(AcDbObjectId id) {
    if (!assertWriteEnabled()) return Acad::eNotOpenForWrite;
    layoutId_ = id;
    return Acad::eOk;
  }
  bool isAnonymous() const;
  bool hasAttributeDefinitions() const;

  // The draw-order table in this record's extension dictionary under "ACAD_SORTENTS".
  // Without one: eKeyNotFound unless createIfNecessary, which needs the record open for write
  // (eNotOpenForWrite) and creates the extension dictionary and the table.
  Acad::ErrorStatus getSortentsTable(AcDbSortentsTable*& table, AcDb::OpenMode mode, bool createIfNecessary = false);

 private:
  friend struct arxdetail::DbAccess;
  std::vector<AcDbObjectId> entities_;
  AcGePoint3d origin_;
  std::u16string comments_;
  AcDbObjectId layoutId_;
};

using AcDbBlockTableIterator = AcDbTypedSymbolTableIterator<AcDbBlockTableRecord>;

class AcDbBlockTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockTable);
  ARX_DECLARE_CLONE(AcDbBlockTable)
  AcDbBlockTable() = default;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbBlockTableRecord*& record, AcDb::OpenMode mode,
                          bool openErasedRecord = false) const {
    return typedGetAt(name, record, mode, openErasedRecord);
  }
  Acad::ErrorStatus newIterator(AcDbBlockTableIterator*& it, bool atBeginning = true, bool skipDeleted = true) const {
    return typedIterator(it, atBeginning, skipDeleted);
  }

 protected:
  const AcRxClass* recordClass() const override { return AcDbBlockTableRecord::desc(); }
};

// ------------------------------------------------------------------------------ layers

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord);
  ARX_DECLARE_CLONE(AcDbLayerTableRecord)
  AcDbLayerTableRecord();

  AcCmColor color() const { return color_; }
  Acad::ErrorStatus setColor(const AcCmColor& color);
  AcDbObjectId linetypeObjectId() const { return linetypeId_; }
  Acad::ErrorStatus setLinetypeObjectId(AcDbObjectId id);
  bool isOff() const { return off_; }
  Acad::ErrorStatus setIsOff(bool off);
  bool isFrozen() const { return frozen_; }
  Acad::ErrorStatus setIsFrozen(bool frozen);
  bool isLocked() const { return locked_; }
  Acad::ErrorStatus setIsLocked(bool locked);
  bool isPlottable() const { return plottable_; }
  Acad::ErrorStatus setIsPlottable(bool plottable);
  AcDb::LineWeight lineWeight() const { return lineWeight_; }
  Acad::ErrorStatus setLineWeight(AcDb::LineWeight weight);
  // A layer's own transparency is always an alpha (opaque by default).
  AcCmTransparency transparency() const { return transparency_; }
  Acad::ErrorStatus setTransparency(const AcCmTransparency& transparency);
  const std::u16string& description() const { return description_; }
  Acad::ErrorStatus setDescription(const ACHAR* text);

 private:
  AcCmColor color_;
  AcDbObjectId linetypeId_;
  bool off_ = false;
  bool frozen_ = false;
  bool locked_ = false;
  bool plottable_ = true;
  AcDb::LineWeight lineWeight_ = AcDb::kLnWtByLwDefault;
  AcCmTransparency transparency_{static_cast<Adesk::UInt8>(255)};
  std::u16string description_;
};

using AcDbLayerTableIterator = AcDbTypedSymbolTableIterator<AcDbLayerTableRecord>;

class AcDbLayerTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLayerTable);
  ARX_DECLARE_CLONE(AcDbLayerTable)
  AcDbLayerTable() = default;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbLayerTableRecord*& record, AcDb::OpenMode mode,
                          bool openErasedRecord = false) const {
    return typedGetAt(name, record, mode, openErasedRecord);
  }
  Acad::ErrorStatus newIterator(AcDbLayerTableIterator*& it, bool atBeginning = true, bool skipDeleted = true) const {
    return typedIterator(it, atBeginning, skipDeleted);
  }

 protected:
  const AcRxClass* recordClass() const override { return AcDbLayerTableRecord::desc(); }
};

// --------------------------------------------------------------------------- linetypes

class AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLinetypeTableRecord);
  ARX_DECLARE_CLONE(AcDbLinetypeTableRecord)
  AcDbLinetypeTableRecord() = default;

  const std::u16string& comments() const { return comments_; }
  Acad::ErrorStatus setComments(const ACHAR* text);
  const std::u16string& asciiDescription() const { return comments_; }
  double patternLength() const { return patternLength_; }
  Acad::ErrorStatus setPatternLength(double length);
  int numDashes() const { return static_cast<int>(dashes_.size()); }
  Acad::ErrorStatus setNumDashes(int count);
  // Positive: dash, negative: gap, 0: dot.
  double dashLengthAt(int index) const;
  Acad::ErrorStatus setDashLengthAt(int index, double length);
  bool isScaledToFit() const { return scaledToFit_; }
  Acad::ErrorStatus setIsScaledToFit(bool fit);

 private:
  std::u16string comments_;
  double patternLength_ = 0.0;
  std::vector<double> dashes_;
  bool scaledToFit_ = false;
};

using AcDbLinetypeTableIterator = AcDbTypedSymbolTableIterator<AcDbLinetypeTableRecord>;

class AcDbLinetypeTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLinetypeTable);
  ARX_DECLARE_CLONE(AcDbLinetypeTable)
  AcDbLinetypeTable() = default;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbLinetypeTableRecord*& record, AcDb::OpenMode mode,
                          bool openErasedRecord = false) const {
    return typedGetAt(name, record, mode, openErasedRecord);
  }
  Acad::ErrorStatus newIterator(AcDbLinetypeTableIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const {
    return typedIterator(it, atBeginning, skipDeleted);
  }

 protected:
  const AcRxClass* recordClass() const override { return AcDbLinetypeTableRecord::desc(); }
};

// Loads linetype name from the built-in "ACADISO.LIN" / "ACAD.LIN" library into db.
Acad::ErrorStatus acdbLoadLineTypeFile(const ACHAR* name, const ACHAR* fileName, AcDbDatabase* db);

// ------------------------------------------------------------------------- text styles

class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbTextStyleTableRecord);
  ARX_DECLARE_CLONE(AcDbTextStyleTableRecord)
  AcDbTextStyleTableRecord() = default;

  const std::u16string& fileName() const { return fileName_; }
  Acad::ErrorStatus setFileName(const ACHAR* name);
  const std::u16string& bigFontFileName() const { return bigFontFileName_; }
  Acad::ErrorStatus setBigFontFileName(const ACHAR* name);
  double textSize() const { return textSize_; }
  Acad::ErrorStatus setTextSize(double size);
  double xScale() const { return xScale_; }
  Acad::ErrorStatus setXScale(double scale);
  double obliquingAngle() const { return obliquingAngle_; }
  Acad::ErrorStatus setObliquingAngle(double angle);
  Adesk::UInt8 flagBits() const { return flagBits_; }
  Acad::ErrorStatus setFlagBits(Adesk::UInt8 bits);
  bool isShapeFile() const { return shapeFile_; }
  Acad::ErrorStatus setIsShapeFile(bool shape);
  bool isVertical() const { return vertical_; }
  Acad::ErrorStatus setIsVertical(bool vertical);

 private:
  std::u16string fileName_ = u"txt";
  std::u16string bigFontFileName_;
  double textSize_ = 0.0;
  double xScale_ = 1.0;
  double obliquingAngle_ = 0.0;
  Adesk::UInt8 flagBits_ = 0;
  bool shapeFile_ = false;
  bool vertical_ = false;
};

using AcDbTextStyleTableIterator = AcDbTypedSymbolTableIterator<AcDbTextStyleTableRecord>;

class AcDbTextStyleTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbTextStyleTable);
  ARX_DECLARE_CLONE(AcDbTextStyleTable)
  AcDbTextStyleTable() = default;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbTextStyleTableRecord*& record, AcDb::OpenMode mode,
                          bool openErasedRecord = false) const {
    return typedGetAt(name, record, mode, openErasedRecord);
  }
  Acad::ErrorStatus newIterator(AcDbTextStyleTableIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const {
    return typedIterator(it, atBeginning, skipDeleted);
  }

 protected:
  const AcRxClass* recordClass() const override { return AcDbTextStyleTableRecord::desc(); }
};

// --------------------------------------------------------------------------- regapps

class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbRegAppTableRecord);
  ARX_DECLARE_CLONE(AcDbRegAppTableRecord)
  AcDbRegAppTableRecord() = default;
};

using AcDbRegAppTableIterator = AcDbTypedSymbolTableIterator<AcDbRegAppTableRecord>;

class AcDbRegAppTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbRegAppTable);
  ARX_DECLARE_CLONE(AcDbRegAppTable)
  AcDbRegAppTable() = default;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbRegAppTableRecord*& record, AcDb::OpenMode mode,
                          bool openErasedRecord = false) const {
    return typedGetAt(name, record, mode, openErasedRecord);
  }
  Acad::ErrorStatus newIterator(AcDbRegAppTableIterator*& it, bool atBeginning = true, bool skipDeleted = true) const {
    return typedIterator(it, atBeginning, skipDeleted);
  }

 protected:
  const AcRxClass* recordClass() const override { return AcDbRegAppTableRecord::desc(); }
};

// ------------------------------------------------------------------------------ views

class AcDbAbstractViewTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbAbstractViewTableRecord);

  AcGePoint2d centerPoint() const { return center_; }
  void setCenterPoint(const AcGePoint2d& p);
  double height() const { return height_; }
  void setHeight(double h);
  double width() const { return width_; }
  void setWidth(double w);
  AcGePoint3d target() const { return target_; }
  void setTarget(const AcGePoint3d& p);
  AcGeVector3d viewDirection() const { return viewDirection_; }
  void setViewDirection(const AcGeVector3d& v);
  double lensLength() const { return lensLength_; }
  void setLensLength(double l);
  double viewTwist() const { return viewTwist_; }
  void setViewTwist(double a);
  bool perspectiveEnabled() const { return perspective_; }
  void setPerspectiveEnabled(bool on);
  bool frontClipEnabled() const { return frontClip_; }
  void setFrontClipEnabled(bool on);
  bool backClipEnabled() const { return backClip_; }
  void setBackClipEnabled(bool on);
  bool frontClipAtEye() const { return frontClipAtEye_; }
  void setFrontClipAtEye(bool on);
  double frontClipDistance() const { return frontClipDistance_; }
  void setFrontClipDistance(double d);
  double backClipDistance() const { return backClipDistance_; }
  void setBackClipDistance(double d);

 protected:
  AcDbAbstractViewTableRecord() = default;
  AcDbAbstractViewTableRecord(const AcDbAbstractViewTableRecord&) = default;

 private:
  AcGePoint2d center_;
  double height_ = 1.0;
  double width_ = 1.0;
  AcGePoint3d target_;
  AcGeVector3d viewDirection_ = AcGeVector3d::kZAxis;
  double lensLength_ = 50.0;
  double viewTwist_ = 0.0;
  bool perspective_ = false;
  bool frontClip_ = false;
  bool backClip_ = false;
  bool frontClipAtEye_ = true;
  double frontClipDistance_ = 0.0;
  double backClipDistance_ = 0.0;
};

class AcDbViewTableRecord : public AcDbAbstractViewTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbViewTableRecord);
  ARX_DECLARE_CLONE(AcDbViewTableRecord)
  AcDbViewTableRecord() = default;
  bool isPaperspaceView() const { return paperspace_; }
  void setIsPaperspaceView(bool on);

 private:
  bool paperspace_ = false;
};

using AcDbViewTableIterator = AcDbTypedSymbolTableIterator<AcDbViewTableRecord>;

class AcDbViewTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbViewTable);
  ARX_DECLARE_CLONE(AcDbViewTable)
  AcDbViewTable() = default;
  using AcDbSymbolTable::getAt;
  using AcDbSymbolTable::newIterator;
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbViewTableRecord*& record, AcDb::OpenMode mode,
                          bool openErasedRecord = false) const {
    return typedGetAt(name, record, mode, openErasedRecord);
  }
  Acad::ErrorStatus newIterator(AcDbViewTableIterator*& it, bool atBeginning = true, bool skipDeleted = true) const {
    return typedIterator(it, atBeginning, skipDeleted);
  }

 protected:
  const AcRxClass* recordClass() const override { return AcDbViewTableRecord::desc(); }
};
