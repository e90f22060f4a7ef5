// Object blocks as the host sends them (head, batch header with the entry bytes, entries of a
// 64-byte header and a body), and a look at what a transfer drew.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "arx/dbapserv.h"
#include "arx/dbentity.h"
#include "basemap/dwg_database_util.h"
#include "exchange/map_record.h"
#include "exchange/opened_object.h"

namespace vurktest {

struct BlockEntry {
  std::uint32_t kind = 0;
  std::int32_t id = 0;
  std::uint32_t parent = 0;
  std::vector<std::uint8_t> body;
};

inline void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::vector<std::uint8_t> BodyOf(const vurk::MapRecord& record) {
  auto body = vurk::serialiseRecord(record);
  return body ? *body : std::vector<std::uint8_t>{};
}

inline BlockEntry EntryOf(const vurk::MapRecord& record, std::int32_t id, std::uint32_t parent = 0) {
  return {static_cast<std::uint32_t>(vurk::KindOf(record)), id, parent, BodyOf(record)};
}

// The block; `total` replaces the entry byte count when given.
inline std::vector<std::uint8_t> BlockOf(const std::vector<BlockEntry>& entries, std::int64_t total = -1) {
  std::vector<std::uint8_t> b(80, 0);
  for (const BlockEntry& e : entries) {
    const std::size_t at = b.size();
    b.resize(at + 64 + e.body.size(), 0);
    PutU32(b, at, static_cast<std::uint32_t>(e.body.size()));
    PutU32(b, at + 4, e.kind);
    PutU32(b, at + 8, static_cast<std::uint32_t>(e.id));
    PutU32(b, at + 12, e.parent);
    if (!e.body.empty()) std::memcpy(b.data() + at + 64, e.body.data(), e.body.size());
  }
  PutU32(b, 16, static_cast<std::uint32_t>(total >= 0 ? total : static_cast<std::int64_t>(b.size() - 80)));
  return b;
}

inline vurk::LineRecord LineOf(std::vector<std::array<double, 3>> points, std::uint8_t sourceKind = 0) {
  vurk::LineRecord line = vurk::createLineRecord(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    line.vertices[i].east = points[i][0];
    line.vertices[i].north = points[i][1];
    line.vertices[i].altitude = static_cast<std::int32_t>(points[i][2]);
  }
  line.sourceKind = sourceKind;
  return line;
}

inline vurk::AreaRecord AreaOf(std::vector<std::array<double, 3>> points) {
  vurk::AreaRecord area = vurk::createAreaRecord(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    area.vertices[i].east = points[i][0];
    area.vertices[i].north = points[i][1];
    area.vertices[i].altitude = static_cast<std::int32_t>(points[i][2]);
  }
  area.outerRingCount = 1;
  return area;
}

// The live model-space entities of the working database.
inline AcDbObjectIdArray DrawnIds() {
  return vurk::GetAllEntityIds(u"", acdbHostApplicationServices()->workingDatabase());
}

// Class name → count.
inline std::map<std::string, int> DrawnClasses() {
  std::map<std::string, int> counts;
  for (const AcDbObjectId id : DrawnIds()) {
    vurk::OpenedObject<AcDbEntity> e(id, AcDb::kForRead);
    if (e) {
      const std::u16string name = e->isA()->name();
      ++counts[std::string(name.begin(), name.end())];
    }
  }
  return counts;
}

// The first drawn entity of the class (opened for read by the caller's OpenedObject).
template <class T>
std::vector<AcDbObjectId> DrawnOf() {
  std::vector<AcDbObjectId> ids;
  for (const AcDbObjectId id : DrawnIds()) {
    vurk::OpenedObject<AcDbEntity> e(id, AcDb::kForRead);
    if (e && e->isKindOf(T::desc())) ids.push_back(id);
  }
  return ids;
}

}  // namespace vurktest
