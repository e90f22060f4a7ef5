// The plain arrays of the geometry library: doubles, integers and untyped pointers.
#pragma once

#include "arx/acarray.h"

using AcGeDoubleArray = AcArray<double>;
using AcGeIntArray = AcArray<int>;
using AcGeVoidPointerArray = AcArray<void*>;
