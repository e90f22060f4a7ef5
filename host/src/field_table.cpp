#include "host/field_table.h"

namespace host {

void readFields(std::span<const FieldSpec> table, const ByteReader& reader, std::size_t base, std::string_view prefix,
                std::vector<RecordedField>& out) {
  for (const FieldSpec& f : table) {
    const std::size_t at = base + f.offset;
    std::string name(prefix);
    name += f.name;
    switch (f.type) {
      case FieldType::U8:
        if (const auto v = reader.u8(at)) out.push_back({name, std::uint64_t{*v}});
        break;
      case FieldType::U16:
        if (const auto v = reader.u16(at)) out.push_back({name, std::uint64_t{*v}});
        break;
      case FieldType::U32:
        if (const auto v = reader.u32(at)) out.push_back({name, std::uint64_t{*v}});
        break;
      case FieldType::I32:
        if (const auto v = reader.i32(at)) out.push_back({name, std::int64_t{*v}});
        break;
      case FieldType::U64:
        if (const auto v = reader.u64(at)) out.push_back({name, *v});
        break;
      case FieldType::I64:
        if (const auto v = reader.i64(at)) out.push_back({name, *v});
        break;
      case FieldType::F32:
        if (const auto v = reader.f32(at)) out.push_back({name, double{*v}});
        break;
      case FieldType::F64:
        if (const auto v = reader.f64(at)) out.push_back({name, *v});
        break;
      case FieldType::Text:
        if (reader.has(at, 1)) out.push_back({name, reader.nulTerminated(at, f.size)});
        break;
    }
  }
}

}  // namespace host
