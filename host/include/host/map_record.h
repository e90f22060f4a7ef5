// Reading the body of a map object record as the host receives it (AddObj, SetObjTree). The
// host keeps bodies as received; this reader checks that a body is whole for its kind and
// takes out what the host shows of it (name, counts, first position).
//
// Length rules: folder exactly 176 bytes; mark 420 + text length; line and area the 200-byte
// block, text, zero padding to a multiple of 8, then 48 bytes per point (at most 1,000,000);
// multi-part the 480-byte block, text, padding, 1432 bytes per part, then 16 bytes per vertex
// of every part. Counts are checked in 64-bit arithmetic before they are used.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/projection.h"
#include "host/record_layouts.h"

namespace host {

struct RecordInfo {
  RecordKind kind = RecordKind::Folder;
  std::string name;              // up to the first NUL of the 100-byte name field
  std::uint32_t childCount = 0;  // folders
  bool isGroup = false;          // folders
  std::uint32_t textLength = 0;
  std::uint64_t pointCount = 0;  // lines and areas: points; multi-part: all vertices
  std::uint64_t partCount = 0;
  std::optional<PlanePoint> firstPoint;  // drawing coordinates (east, north)
};

// Nothing, with the reason in *error, when the body is not whole for its kind.
std::optional<RecordInfo> readRecordBody(RecordKind kind, std::span<const std::uint8_t> body,
                                         std::string* error = nullptr);

// A folder record of the host's own making: name, child count, the creation mark.
std::vector<std::uint8_t> makeFolderRecord(const std::string& name, std::uint32_t childCount, bool isGroup);

}  // namespace host
