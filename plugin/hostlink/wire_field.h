// A named field of a fixed wire layout, and the check that a layout's fields lie inside its
// block, in offset order, without overlapping. Each layout of the host link lists its fields
// once in such a table; static_asserts and the layout tests use it.
#pragma once

#include <array>
#include <cstddef>

namespace vurk {

struct WireField {
  const char* name;
  std::size_t offset;
  std::size_t width;
};

template <std::size_t N>
constexpr bool FieldsFit(const std::array<WireField, N>& fields, std::size_t blockSize) {
  std::size_t end = 0;
  for (const auto& f : fields) {
    if (f.width == 0 || f.offset < end || f.offset + f.width > blockSize) return false;
    end = f.offset + f.width;
  }
  return true;
}

}  // namespace vurk
