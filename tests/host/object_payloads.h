// Record bodies, object streams and object requests built by hand from the documented layouts
// (offsets written out here, independent of the host's own layout constants).
#pragma once

#include <string>
#include <vector>

#include "host_fixture.h"

namespace hosttest {

// FolderRecord, 176 bytes: name at 0, childCount at 100, 1 at 111, isGroup at 115.
inline std::vector<std::uint8_t> folderBody(const std::string& name, std::uint32_t childCount = 0, bool group = false) {
  Payload p(176);
  p.text(0, name).u32(100, childCount).u8(111, 1).u8(115, group ? 1 : 0);
  return p.bytes();
}

// LineRecord (8) or AreaRecord (13): 200-byte block (pointCount at 120), text length at 200,
// text at 204, zeros to a multiple of 8, then 48-byte vertices (north at 0, east at 8).
inline std::vector<std::uint8_t> lineBody(const std::string& name, const std::string& text,
                                          const std::vector<std::pair<double, double>>& eastNorth) {
  const std::size_t verticesAt = (204 + text.size() + 7) / 8 * 8;
  Payload p(verticesAt + 48 * eastNorth.size());
  p.text(0, name).i32(120, static_cast<std::int32_t>(eastNorth.size())).u8(124, 2).u32(200, static_cast<std::uint32_t>(text.size()));
  if (!text.empty()) p.text(204, text);
  for (std::size_t i = 0; i < eastNorth.size(); ++i) {
    p.f64(verticesAt + 48 * i, eastNorth[i].second).f64(verticesAt + 48 * i + 8, eastNorth[i].first);
  }
  return p.bytes();
}

// MarkRecord: 416-byte block (north at 112, east at 120), text length at 416, text at 420.
inline std::vector<std::uint8_t> markBody(const std::string& name, double east, double north, const std::string& text) {
  Payload p(420 + text.size());
  p.text(0, name).f64(112, north).f64(120, east).u8(128, 2).u32(416, static_cast<std::uint32_t>(text.size()));
  if (!text.empty()) p.text(420, text);
  return p.bytes();
}

// AddObj: request head (mark 101, kind at 2, parent at 4, replaced id at 8, option at 12), body.
inline Payload addObj(std::uint8_t kind, std::uint32_t parent, const std::vector<std::uint8_t>& body,
                      std::uint32_t replace = 0, std::uint32_t option = 0) {
  Payload p(16);
  p.u16(0, 101).u8(2, kind).u32(4, parent).u32(8, replace).u32(12, option);
  p.append(body);
  return p;
}

// SrhObj: 532 bytes, 5 at 4, kind at 8, parent at 12, 1 at 20, name at 28.
inline Payload search(const std::string& name, std::uint32_t parent, std::uint32_t kind = 30) {
  Payload p(532);
  p.u32(4, 5).u32(8, kind).u32(12, parent).u32(20, 1).text(28, name);
  return p;
}

inline Payload head(std::uint8_t flag, std::uint32_t arg2, std::uint32_t arg3 = 0) {
  Payload p(16);
  p.u16(0, 101).u8(3, flag).u32(8, arg2).u32(12, arg3);
  return p;
}

struct Entry {
  std::uint32_t kind;
  std::int32_t mapObjectId;
  std::uint32_t parent;
  std::uint64_t key;
  std::vector<std::uint8_t> body;
};

// Object stream: head (101, document folder at 4), batch header (entry bytes at 16, document
// folder at 28), entries of a 64-byte header (length, kind, id, parent, key) and a body.
inline Payload stream(std::uint32_t documentFolder, const std::vector<Entry>& entries) {
  Payload p(80);
  std::vector<std::uint8_t> tail;
  for (const Entry& e : entries) {
    Payload h(64);
    h.u32(0, static_cast<std::uint32_t>(e.body.size())).u32(4, e.kind).i32(8, e.mapObjectId).u32(12, e.parent).u64(16, e.key);
    tail.insert(tail.end(), h.bytes().begin(), h.bytes().end());
    tail.insert(tail.end(), e.body.begin(), e.body.end());
  }
  p.u16(0, 101).u32(4, documentFolder).u32(16, static_cast<std::uint32_t>(tail.size())).u32(28, documentFolder);
  p.append(tail);
  return p;
}

}  // namespace hosttest
