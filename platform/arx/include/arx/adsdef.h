// Result buffers, entity names and points of the editor's C interface (ads/acut functions).
//
// Models: the resbuf chain used by Xrecords, system variables and selection filters, with its
// restype telling which union member holds the value: group codes 0-9 and 1000-1009 strings,
// 10-39 points, 40-59 and 140-149 reals, 60-79 and 170-179 16-bit integers, 90-99 32-bit
// integers, 160-169 64-bit integers; RTxxx codes as in adscodes.h.
// Limitations: only the members the plug-in reads are modelled.
#pragma once

#include <cstdint>

#include "arx/adscodes.h"
#include "win32/types.h"

using ads_real = double;
using ads_point = ads_real[3];
using ads_name = std::intptr_t[2];
using ads_matrix = ads_real[4][4];

struct resbuf {
  resbuf* rbnext;
  short restype;
  union {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    ACHAR* rstring;
    std::int32_t rlong;
    std::int64_t mnInt64;
    std::intptr_t rlname[2];
    struct {
      short clen;
      char* buf;
    } rbinary;
  } resval;
};

// Allocates one zeroed result buffer of the given type; strings are owned by the buffer.
resbuf* acutNewRb(int type);
// Releases a whole chain, strings included.
int acutRelRb(resbuf* rb);
// Builds a chain from (type, value) pairs ended by RTNONE or 0.
resbuf* acutBuildList(int type, ...);
