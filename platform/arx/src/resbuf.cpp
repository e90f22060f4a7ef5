// Result buffers: allocation, release, list building and typing by restype.
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "arx/adsdef.h"
#include "resbuf_kind.h"

namespace arxdetail {

RbKind rbKindOf(int t) {
  switch (t) {
    case RTNONE: case RTVOID: case RTLB: case RTLE: case 5018 /*RTDOTE*/: case 5019 /*RTNIL*/: case 5021 /*RTT*/:
      return RbKind::kNone;
    case RTREAL: case RTANG: case RTORINT: return RbKind::kReal;
    case RTPOINT: case RT3DPOINT: return RbKind::kPoint;
    case RTSHORT: return RbKind::kInt16;
    case RTSTR: case RTDXF0: return RbKind::kString;
    case RTENAME: case RTPICKS: return RbKind::kName;
    case RTLONG: return RbKind::kInt32;
    default: break;
  }
  if (t == -1 || t == -2) return RbKind::kName;
  if (t == -3 || t == -5) return RbKind::kNone;
  if (t == -4) return RbKind::kString;
  if (t >= 0 && t <= 9) return RbKind::kString;
  if (t >= 10 && t <= 39) return RbKind::kPoint;
  if (t >= 40 && t <= 59) return RbKind::kReal;
  if (t >= 60 && t <= 79) return RbKind::kInt16;
  if (t >= 90 && t <= 99) return RbKind::kInt32;
  if (t == 100 || t == 101 || t == 102 || t == 105) return RbKind::kString;
  if (t >= 110 && t <= 139) return RbKind::kPoint;
  if (t >= 140 && t <= 149) return RbKind::kReal;
  if (t >= 160 && t <= 169) return RbKind::kInt64;
  if (t >= 170 && t <= 179) return RbKind::kInt16;
  if (t >= 210 && t <= 219) return RbKind::kPoint;
  if (t >= 220 && t <= 239) return RbKind::kReal;
  if (t >= 270 && t <= 299) return RbKind::kInt16;
  if (t >= 300 && t <= 309) return RbKind::kString;
  if (t >= 310 && t <= 319) return RbKind::kBinary;
  if (t >= 320 && t <= 329) return RbKind::kString;
  if (t >= 330 && t <= 369) return RbKind::kName;
  if (t >= 370 && t <= 389) return RbKind::kInt16;
  if (t >= 390 && t <= 399) return RbKind::kName;
  if (t >= 400 && t <= 409) return RbKind::kInt16;
  if (t >= 410 && t <= 419) return RbKind::kString;
  if (t >= 420 && t <= 429) return RbKind::kInt32;
  if (t >= 430 && t <= 439) return RbKind::kString;
  if (t >= 440 && t <= 459) return RbKind::kInt32;
  if (t >= 460 && t <= 469) return RbKind::kReal;
  if (t >= 470 && t <= 479) return RbKind::kString;
  if (t == 480 || t == 481) return RbKind::kName;
  if (t == 999) return RbKind::kString;
  if (t >= 1000 && t <= 1003) return RbKind::kString;
  if (t == 1004) return RbKind::kBinary;
  if (t >= 1005 && t <= 1009) return RbKind::kString;
  if (t >= 1010 && t <= 1039) return RbKind::kPoint;
  if (t >= 1040 && t <= 1042) return RbKind::kReal;
  if (t == 1070) return RbKind::kInt16;
  if (t == 1071) return RbKind::kInt32;
  return RbKind::kInvalid;
}

ACHAR* rbDupString(const ACHAR* s) {
  if (!s) return nullptr;
  std::size_t n = 0;
  while (s[n]) ++n;
  auto* d = static_cast<ACHAR*>(std::malloc((n + 1) * sizeof(ACHAR)));
  if (!d) return nullptr;
  std::memcpy(d, s, (n + 1) * sizeof(ACHAR));
  return d;
}

resbuf* rbCopyChain(const resbuf* rb, bool* ok) {
  if (ok) *ok = true;
  resbuf* head = nullptr;
  resbuf** tail = &head;
  for (const resbuf* p = rb; p; p = p->rbnext) {
    RbKind kind = rbKindOf(p->restype);
    if (kind == RbKind::kInvalid) {
      if (ok) *ok = false;
      break;
    }
    resbuf* c = acutNewRb(p->restype);
    if (!c) {
      if (ok) *ok = false;
      break;
    }
    c->resval = p->resval;
    if (kind == RbKind::kString) {
      c->resval.rstring = rbDupString(p->resval.rstring);
    } else if (kind == RbKind::kBinary) {
      c->resval.rbinary.buf = nullptr;
      c->resval.rbinary.clen = 0;
      if (p->resval.rbinary.buf && p->resval.rbinary.clen > 0) {
        auto n = static_cast<std::size_t>(p->resval.rbinary.clen);
        c->resval.rbinary.buf = static_cast<char*>(std::malloc(n));
        if (c->resval.rbinary.buf) {
          std::memcpy(c->resval.rbinary.buf, p->resval.rbinary.buf, n);
          c->resval.rbinary.clen = p->resval.rbinary.clen;
        }
      }
    }
    *tail = c;
    tail = &c->rbnext;
  }
  return head;
}

bool rbChainValid(const resbuf* rb) {
  for (const resbuf* p = rb; p; p = p->rbnext)
    if (rbKindOf(p->restype) == RbKind::kInvalid) return false;
  return true;
}

}  // namespace arxdetail

using arxdetail::RbKind;

resbuf* acutNewRb(int type) {
  auto* rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
  if (!rb) return nullptr;
  rb->restype = static_cast<short>(type);
  return rb;
}

int acutRelRb(resbuf* rb) {
  while (rb) {
    resbuf* next = rb->rbnext;
    RbKind kind = arxdetail::rbKindOf(rb->restype);
    if (kind == RbKind::kString) std::free(rb->resval.rstring);
    if (kind == RbKind::kBinary) std::free(rb->resval.rbinary.buf);
    std::free(rb);
    rb = next;
  }
  return RTNORM;
}

resbuf* acutBuildList(int type, ...) {
  va_list ap;
  va_start(ap, type);
  resbuf* head = nullptr;
  resbuf** tail = &head;
  bool failed = false;
  for (int t = type; t != 0 && t != RTNONE; t = va_arg(ap, int)) {
    RbKind kind = arxdetail::rbKindOf(t);
    if (kind == RbKind::kInvalid || kind == RbKind::kBinary) {
      // No value can be read for an unknown type, and binary chunks cannot be passed here.
      failed = true;
      break;
    }
    resbuf* rb = acutNewRb(t);
    if (!rb) {
      failed = true;
      break;
    }
    *tail = rb;
    tail = &rb->rbnext;
    switch (kind) {
      case RbKind::kString: rb->resval.rstring = arxdetail::rbDupString(va_arg(ap, const ACHAR*)); break;
      case RbKind::kReal: rb->resval.rreal = va_arg(ap, double); break;
      case RbKind::kPoint: {
        const double* pt = va_arg(ap, const double*);
        for (int k = 0; k < 3; ++k) rb->resval.rpoint[k] = pt ? pt[k] : 0.0;
        break;
      }
      case RbKind::kInt16: rb->resval.rint = static_cast<short>(va_arg(ap, int)); break;
      case RbKind::kInt32: rb->resval.rlong = static_cast<std::int32_t>(va_arg(ap, int)); break;
      case RbKind::kInt64: rb->resval.mnInt64 = static_cast<std::int64_t>(va_arg(ap, long long)); break;
      case RbKind::kName: {
        const std::intptr_t* name = va_arg(ap, const std::intptr_t*);
        rb->resval.rlname[0] = name ? name[0] : 0;
        rb->resval.rlname[1] = name ? name[1] : 0;
        break;
      }
      case RbKind::kNone: case RbKind::kBinary: case RbKind::kInvalid: break;
    }
  }
  va_end(ap);
  if (failed) {
    acutRelRb(head);
    return nullptr;
  }
  return head;
}
