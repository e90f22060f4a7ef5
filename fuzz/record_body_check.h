// One check shared by the record fuzz target and its bounded run in the tests: a body of a
// given kind goes through the plug-in's reader and the host's own reader. Neither may read
// past the body (the sanitizers watch), and both must agree on whether it is whole; what the
// plug-in accepts must serialise to a body the host accepts again with the same counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>

#include "exchange/map_record.h"
#include "host/map_record.h"

namespace vurkfuzz {

// The kinds a fuzz input can pick with its first byte.
inline constexpr std::uint32_t kKinds[] = {7, 8, 11, 13, 30, 0, 31};

// Empty when the readers agree, else what went wrong.
inline std::string CheckRecordBody(std::uint32_t kind, std::span<const std::uint8_t> body) {
  const auto record = vurk::readRecord(body, kind);
  const auto hostKind = host::recordKindFromWire(kind);
  const auto info = hostKind ? host::readRecordBody(*hostKind, body) : std::nullopt;
  if (record.has_value() != info.has_value()) {
    return std::string("readers disagree on a body of kind ") + std::to_string(kind) + ": plug-in " +
           (record ? "accepts" : "refuses");
  }
  if (!record) return {};
  const auto again = vurk::serialiseRecord(*record);
  if (!again) return "an accepted record cannot be serialised";
  const auto info2 = host::readRecordBody(*hostKind, *again);
  if (!info2) return "the host refuses the plug-in's own serialisation";
  if (info2->pointCount != info->pointCount || info2->partCount != info->partCount ||
      info2->textLength != info->textLength || info2->childCount != info->childCount) {
    return "counts changed through a round trip";
  }
  return {};
}

}  // namespace vurkfuzz
