// Which value member a result buffer's restype uses (internal to the stand-in).
#pragma once

#include "arx/adsdef.h"

namespace arxdetail {

enum class RbKind { kNone, kString, kReal, kPoint, kInt16, kInt32, kInt64, kName, kBinary, kInvalid };

// The value kind of a restype: an RTxxx code or a drawing-file group code (see adsdef.h).
RbKind rbKindOf(int restype);

// A malloc'ed copy of a NUL-terminated string (null for null).
ACHAR* rbDupString(const ACHAR* s);

// A deep copy of a chain (strings and binary chunks duplicated). Stops at the first buffer of
// an invalid type and reports it through ok (the copy then holds the buffers before it).
resbuf* rbCopyChain(const resbuf* rb, bool* ok = nullptr);

// True when every buffer of the chain has a known restype.
bool rbChainValid(const resbuf* rb);

}  // namespace arxdetail
