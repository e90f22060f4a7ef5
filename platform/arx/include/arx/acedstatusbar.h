// AutoCAD's status-bar progress meter.
//
// Models: acedSetStatusBarProgressMeter shows a meter with a label and a range (0 on success,
// -1 for an empty range); acedSetStatusBarProgressMeterPos moves it (0, or -1 without a meter);
// acedRestoreStatusBar removes it. Each meter shown and each restore is one line on the
// transcript's "status" channel ("meter LABEL 0..N", "restored after K positions"); the
// positions are kept for tests (arx::StatusBarMeter of the current AutoCAD application).
// Limitations: one meter; nothing is drawn.
#pragma once

#include <string>
#include <vector>

#include "win32/types.h"

int acedSetStatusBarProgressMeter(const ACHAR* label, int minPos, int maxPos);
int acedSetStatusBarProgressMeterPos(int pos);
void acedRestoreStatusBar();

namespace arx {

struct StatusBarMeter {
  bool shown = false;
  std::u16string label;
  int minPos = 0;
  int maxPos = 0;
  std::vector<int> positions;  // of the meter shown now or last
  int metersShown = 0;         // since the application started
};

// The meter of the current AutoCAD application.
StatusBarMeter& statusBarMeter();

}  // namespace arx
