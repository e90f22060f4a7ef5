// Helpers of the DXF tests: fixtures written group by group, reading them, and looking at what
// the reader made (model-space entities in order, per-class counts).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbsymtb.h"
#include "arx/dxf.h"
#include "win32/unicode.h"

namespace dxftest {

using Groups = std::vector<std::pair<int, std::string>>;

// The DXF text of the groups, one code line and one value line each.
inline std::string text(const Groups& groups) {
  std::string s;
  for (const auto& [code, value] : groups) s += std::to_string(code) + "\n" + value + "\n";
  return s;
}

// A file holding only an ENTITIES section with the given groups.
inline std::string entitiesFile(const Groups& body) {
  Groups g{{0, "SECTION"}, {2, "ENTITIES"}};
  g.insert(g.end(), body.begin(), body.end());
  g.push_back({0, "ENDSEC"});
  g.push_back({0, "EOF"});
  return text(g);
}

inline std::filesystem::path dataDir() { return std::filesystem::path(VURKARX_DATA_DIR) / "dxf"; }

// Reads and expects success.
inline std::unique_ptr<AcDbDatabase> readOk(const std::string& dxf, std::vector<std::string>* warnings = nullptr) {
  arxdxf::ReadResult r = arxdxf::readDxf(dxf);
  EXPECT_EQ(r.status, Acad::eOk) << r.reason;
  if (warnings) *warnings = r.warnings;
  return std::move(r.database);
}

inline AcDbObjectIdArray spaceEntities(AcDbDatabase& db, bool paper = false) {
  AcDbBlockTableRecord* btr = nullptr;
  AcDbObjectIdArray ids;
  if (acdbOpenObject(btr, paper ? db.paperSpaceId() : db.modelSpaceId(), AcDb::kForRead) != Acad::eOk) return ids;
  ids = btr->entityIds();
  btr->close();
  return ids;
}

inline std::map<std::string, long> classCounts(AcDbDatabase& db) {
  std::map<std::string, long> counts;
  for (AcDbObjectId id : spaceEntities(db)) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
    ++counts[win32::utf16ToUtf8(e->isA()->name())];
    e->close();
  }
  return counts;
}

// An object opened for read for the length of a scope.
template <class T>
class Open {
 public:
  explicit Open(AcDbObjectId id) { status_ = acdbOpenObject(p_, id, AcDb::kForRead); }
  ~Open() {
    if (p_) p_->close();
  }
  Open(const Open&) = delete;
  Open& operator=(const Open&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  Acad::ErrorStatus status() const { return status_; }

 private:
  T* p_ = nullptr;
  Acad::ErrorStatus status_ = Acad::eOk;
};

// The i-th model-space entity as T (asserting its class through the checked open).
template <class T>
std::unique_ptr<Open<T>> entityAt(AcDbDatabase& db, int i) {
  AcDbObjectIdArray ids = spaceEntities(db);
  EXPECT_LT(i, ids.length());
  if (i >= ids.length()) return std::make_unique<Open<T>>(AcDbObjectId::kNull);
  auto o = std::make_unique<Open<T>>(ids[i]);
  EXPECT_TRUE(*o) << "entity " << i << " is not a " << win32::utf16ToUtf8(T::desc()->name());
  return o;
}

inline std::string utf8(const std::u16string& s) { return win32::utf16ToUtf8(s); }

// Pointer groups (330-369, 390) of a written file naming a handle no record of the file has;
// the handle of a record is its first group 5 (105 for dimension styles), the header skipped.
inline std::vector<std::string> danglingPointers(const std::string& dxf) {
  std::vector<std::pair<int, std::string>> groups;
  std::size_t pos = 0;
  while (pos < dxf.size()) {
    std::size_t a = dxf.find('\n', pos);
    if (a == std::string::npos) break;
    std::size_t b = dxf.find('\n', a + 1);
    if (b == std::string::npos) break;
    groups.emplace_back(std::stoi(dxf.substr(pos, a - pos)), dxf.substr(a + 1, b - a - 1));
    pos = b + 1;
  }
  std::set<std::string> handles;
  std::vector<std::pair<int, std::string>> pointers;
  bool header = true, haveHandle = false;
  std::string type;
  for (const auto& [code, value] : groups) {
    if (code == 0) {
      if (header && value == "ENDSEC") header = false;
      haveHandle = false;
      type = value;
      continue;
    }
    if (header) continue;
    if (!haveHandle && (code == 105 || (code == 5 && type != "DIMSTYLE"))) {
      handles.insert(value);
      haveHandle = true;
    } else if ((code >= 330 && code <= 369) || code == 390) {
      pointers.emplace_back(code, value);
    }
  }
  std::vector<std::string> out;
  for (const auto& [code, value] : pointers)
    if (value != "0" && !handles.count(value)) out.push_back(std::to_string(code) + " " + value);
  return out;
}

}  // namespace dxftest
