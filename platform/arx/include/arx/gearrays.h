// The plain arrays of the geometry library: doubles, integers and untyped pointers.
//
// Models: AcArray instances under the geometry library's names.
// Limitations: none beyond AcArray's.
#pragma once

#include "arx/acarray.h"

using AcGeDoubleArray = AcArray<double>;
using AcGeIntArray = AcArray<int>;
using AcGeVoidPointerArray = AcArray<void*>;
