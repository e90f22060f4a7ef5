// The virtual clock: milliseconds that pass only when the session lets time pass.
#pragma once

#include "win32/types.h"

namespace win32 {

class Clock {
 public:
  Clock();
  // Milliseconds since the desktop started.
  ULONGLONG now() const { return nowMs_; }
  void advanceTo(ULONGLONG ms) { if (ms > nowMs_) nowMs_ = ms; }
  void advance(ULONGLONG ms) { nowMs_ += ms; }

 private:
  ULONGLONG nowMs_ = 0;
};

}  // namespace win32
