// Writing a database as DXF (internal to the stand-in): the writer's state shared by
// dxf_writer.cpp, dxf_tables.cpp, dxf_entities_out.cpp and dxf_objects.cpp.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbproxy.h"
#include "arx/dxf.h"
#include "arx/gept.h"

namespace arxdxf::detail {

class Writer {
 public:
  Writer(const AcDbDatabase& db, const WriteOptions& options, std::string& out);

  const AcDbDatabase& db() const { return db_; }
  bool r2013() const { return options_.version == OutputVersion::kR2013; }

  // Groups.
  void raw(int code, std::string_view value);
  void str(int code, std::u16string_view value);
  void real(int code, double value);
  void integer(int code, long long value);
  void handle(int code, AcDbHandle h);
  void handle(int code, AcDbObjectId id) { handle(code, id.isNull() ? AcDbHandle() : id.handle()); }
  void point(int code, const AcGePoint3d& p);
  void point2d(int code, double x, double y);
  void vector(int code, const AcGeVector3d& v) { point(code, AcGePoint3d(v.x, v.y, v.z)); }
  // Normal 210/220/230, left out when it is +Z.
  void normal(const AcGeVector3d& n);

  // "0 TYPE", the handle, reactors, extension dictionary and owner of an object.
  void begin(std::string_view type, AcDbHandle handle, const AcDbObject* obj, AcDbHandle owner,
             const std::vector<AcDbHandle>& extraReactors = {}, int handleCode = 5);
  // 100 AcDbEntity and the properties every entity has.
  void entityProperties(const AcDbEntity& e, bool paperSpace);
  // Colour groups 62 / 420 / 430.
  void color(const AcCmColor& c, bool layer = false, bool off = false);
  void xdata(const AcDbObject& o);
  // Raw groups of a proxy; "0 TYPE" groups start sub-records, which get new handles owned by
  // owner.
  void rawGroups(const std::vector<AcDbRawGroup>& groups, AcDbHandle owner);

  AcDbHandle newHandle() { return AcDbHandle(next_++); }
  AcDbHandle handseed() const { return AcDbHandle(next_); }
  void warn(const std::string& message) { warnings.push_back(message); }

  // Names of records by id ("" when unknown).
  std::u16string nameOf(AcDbObjectId recordId) const;

  std::vector<std::string> warnings;

  // Filled before writing.
  std::map<AcDbObjectId, AcDbObjectId> seqEnds;                   // owner -> its sequence end
  std::map<AcDbObjectId, std::vector<AcDbObjectId>> ownedProxies;  // owner -> proxy objects
  std::map<AcDbObjectId, std::vector<AcDbHandle>> imageReactorsOfDef;
  std::map<AcDbObjectId, AcDbHandle> imageReactorOfImage;
  std::set<std::u16string> xdataApps;
  // Synthesised objects (when the database lacks them).
  AcDbHandle vportTable, vportActive, ucsTable, dimstyleTable, dimstyleStandard;
  AcDbHandle layoutDict, layoutModel, layoutPaper, groupDict, mlineStyleDict, mlineStyleStandard;
  std::map<std::u16string, AcDbHandle> extraApps;  // registered applications to add
  AcDbHandle standardMlineStyle;                   // the style MLINEs without one use

 private:
  const AcDbDatabase& db_;
  WriteOptions options_;
  std::string& out_;
  Adesk::UInt64 next_ = 1;
};

// Sections.
void writeTables(Writer& w);
void writeEntity(Writer& w, AcDbObjectId id, AcDbHandle owner, bool paperSpace);
void writeObjects(Writer& w);
// A proxy object with its raw groups (records of tables too: handleCode 105 for DIMSTYLE).
void writeProxyObject(Writer& w, AcDbObjectId id, int handleCode = 5);

// The dxf name and class of what a proxy stands for, and whether a CLASS record is needed.
bool needsClassRecord(std::u16string_view dxfName);

}  // namespace arxdxf::detail
