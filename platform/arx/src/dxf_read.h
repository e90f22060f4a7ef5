// Reading DXF into a database (internal to the stand-in): the reader's state shared by the
// section readers in dxf_reader.cpp, dxf_tables.cpp, dxf_entities_in.cpp and dxf_objects.cpp.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "arx/dbcolor.h"
#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbproxy.h"
#include "arx/dxf.h"
#include "arx/gept.h"
#include "dxf_codepage.h"
#include "dxf_groups.h"

namespace arxdxf::detail {

// A contiguous run of groups.
struct GroupSpan {
  const Group* first = nullptr;
  const Group* last = nullptr;  // one past the end
  const Group* begin() const { return first; }
  const Group* end() const { return last; }
  bool empty() const { return first == last; }
};

// A record split into the parts every object has, the properties every entity has, the
// class's own groups (body) and the extended data.
struct SplitRecord {
  const Record* record = nullptr;
  AcDbHandle handle;
  AcDbHandle owner;
  AcDbHandle extDict;
  std::vector<AcDbHandle> reactors;
  // Entity properties (entities only).
  std::u16string layer;
  std::u16string linetype;
  bool hasColor = false;
  AcCmColor color;
  bool hasTransparency = false;
  AcCmTransparency transparency;
  bool hasLineWeight = false;
  int lineWeight = -1;
  double linetypeScale = 1.0;
  bool invisible = false;
  bool paperSpace = false;
  GroupSpan body;
  GroupSpan xdata;
};

class Reader {
 public:
  Reader(AcDbDatabase& db, ReadResult& result, const TextDecoder& decoder, int version)
      : db_(db), result_(result), decoder_(decoder), version_(version) {}

  AcDbDatabase& db() { return db_; }
  // The numeric part of $ACADVER (1009 for R12, 1015 for 2000 ...); 0 without a header.
  int version() const { return version_; }
  std::u16string text(const Group& g) const { return decoder_.decode(g.value); }
  std::u16string text(std::string_view raw) const { return decoder_.decode(raw); }

  void warn(std::uint32_t line, const std::string& message);
  // Counts an entity or object kept as a proxy (reported once per type at the end).
  void keptAsProxy(std::string_view dxfName, bool entity);
  void finishWarnings();

  SplitRecord split(const Record& r, bool entity) const;
  // The class name a proxy keeps: from the CLASSES section, else the record's last subclass
  // marker other than ignoredMarker.
  std::u16string proxyClassName(const SplitRecord& s, std::string_view ignoredMarker) const;

  // Adds obj to the database with the file's handle (a new one when it is null or already
  // taken) and the given owner; the object ends closed. Sets extension dictionary, reactors
  // and extended data from split (resolved at the end). Deletes obj and returns null on
  // failure.
  AcDbObjectId add(std::unique_ptr<AcDbObject> obj, const SplitRecord& split, AcDbObjectId owner);
  // Entity properties from split (layer and linetype created when missing).
  void applyEntityProperties(AcDbEntity& e, const SplitRecord& split);
  // Appends an entity to a block table record (model space, paper space or a block); its
  // vertices or attributes noted with noteSubEntity keep their own handles.
  AcDbObjectId addEntity(std::unique_ptr<AcDbEntity> e, const SplitRecord& split, AcDbObjectId block);
  void noteSubEntity(AcDbEntity* sub, const SplitRecord& split) { pendingSubs_.emplace_back(sub, split); }
  void forgetSubEntities() { pendingSubs_.clear(); }

  // Work to do once every object exists (handle references).
  void later(std::function<void()> f) { fixups_.push_back(std::move(f)); }
  void runFixups();
  // Registers the applications extended data named (the file may not list them all).
  void registerXdataApps();
  // The id of a handle the file gave an object (null when none did).
  AcDbObjectId idOf(AcDbHandle h);

  AcDbObjectId layerNamed(const std::u16string& name);
  AcDbObjectId linetypeNamed(const std::u16string& name);
  AcDbObjectId textStyleNamed(const std::u16string& name);
  AcDbObjectId blockNamed(const std::u16string& name);
  void ensureRegApp(const std::u16string& name);

  // Extended data as a result-buffer chain (applications registered as needed); null when
  // there is none.
  resbuf* xdataChain(const GroupSpan& span);
  // Data groups (Xrecord contents) as a chain; handles become entity names once resolved.
  resbuf* dataChain(const GroupSpan& span, std::vector<std::pair<resbuf*, AcDbHandle>>& handleSlots);

  // Raw groups of a proxy, decoded.
  std::vector<AcDbRawGroup> rawGroups(const GroupSpan& span) const;

  // Names of classes from the CLASSES section: dxf name -> C++ class name.
  std::map<std::string, std::u16string, std::less<>> classNames;
  // Their proxy flags (group 90 of the CLASS record).
  std::map<std::string, int, std::less<>> classFlags;

 private:
  AcDbDatabase& db_;
  ReadResult& result_;
  const TextDecoder& decoder_;
  int version_;
  // Adds obj (not taking ownership) with handle, or a new one when null; null on failure.
  AcDbObjectId addRaw(AcDbObject* obj, const SplitRecord& split, AcDbObjectId owner, AcDbHandle handle);
  AcDbHandle usableHandle(const SplitRecord& split);
  // Sets the extended data of split on obj (not yet resident) and empties split's.
  void applyXdata(AcDbObject& obj, SplitRecord& split);

  std::vector<std::function<void()>> fixups_;
  std::vector<std::pair<AcDbEntity*, SplitRecord>> pendingSubs_;
  std::set<std::u16string> xdataApps_;
  std::map<std::string, int, std::less<>> proxyEntities_;
  std::map<std::string, int, std::less<>> proxyObjects_;
  std::size_t suppressedWarnings_ = 0;
};

// A point from groups base, base+10, base+20 (z 0 when absent).
struct PointReader {
  AcGePoint3d p;
  bool seen = false;
  // True when g belongs to this point (code base, base+10 or base+20).
  bool take(const Group& g, int base);
};

// Section readers.
void readTables(Reader& r, const Section& s);
void ensureDefaultTables(Reader& r);
void readBlocks(Reader& r, const Section& s);
void readEntities(Reader& r, const Section& s);
void readObjects(Reader& r, const Section& s);
void ensureNamedObjectsDictionary(Reader& r);

// Reads the entity starting at records[i] (with its vertices or attributes) into block;
// returns the index after it.
std::size_t readEntityAt(Reader& r, const std::vector<Record>& records, std::size_t i, AcDbObjectId block,
                         AcDbObjectId fallbackBlock);

// Colour from groups 62 / 420 / 430.
struct ColorReader {
  int aci = 256;
  bool hasAci = false;
  bool hasRgb = false;
  int rgb = 0;
  std::u16string name;
  bool take(const Reader& r, const Group& g);
  AcCmColor color() const;
};

}  // namespace arxdxf::detail
