// The host's reading of a received object stream as JSON, the independent check of what the
// plug-in sends: per entry its header fields, the record's fields by name (from the host's
// own field tables), its text and its vertices (or parts).
#pragma once

#include <string>

#include "host/field_table.h"
#include "host/object_stream.h"

namespace host {

// {"documentFolder", "batchDocumentFolder", "entries": [{"index", "offset", "kind", "header":
// {...}, "record": {...}, "text", "vertices": [...] | "parts": [[...]], "group"}]}
std::string objectStreamJson(const ObjectStreamView& view);

// The record fields of one body by name, in layout order (the body must have passed
// readRecordBody).
std::vector<RecordedField> recordFields(RecordKind kind, std::span<const std::uint8_t> body);

// The text (description, or a label's full text) of one body; empty for folders.
std::string recordText(RecordKind kind, std::span<const std::uint8_t> body);

}  // namespace host
