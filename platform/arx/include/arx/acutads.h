// The utility functions (acut*) that write to AutoCAD's command line.
//
// Models: acutPrintf formats with MSVC's rules (win32/format.h: %s is a wide string in this
// wide format, %S a narrow one, %I64d, ...) and appends the text to the command line of the
// current desktop's transcript, where a line feed completes a line.
// Returns the number of characters written, or -1 (and writes nothing) for an invalid format.
#pragma once

#include "win32/types.h"

int acutPrintf(const ACHAR* format, ...);
