#include "arx/acedstatusbar.h"

#include <map>

#include "arx/acad_app.h"
#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"

namespace arx {

StatusBarMeter& statusBarMeter() {
  static std::map<const AcadApplication*, StatusBarMeter> meters;
  static const AcadApplication* last = nullptr;
  const AcadApplication* app = AcadApplication::currentOrNull();
  // An application made at the address of an ended one starts with a fresh status bar.
  if (app != last) {
    meters.erase(app);
    last = app;
  }
  return meters[app];
}

}  // namespace arx

int acedSetStatusBarProgressMeter(const ACHAR* label, int minPos, int maxPos) {
  if (maxPos <= minPos) return -1;
  arx::StatusBarMeter& m = arx::statusBarMeter();
  m.shown = true;
  m.label = label ? label : u"";
  m.minPos = minPos;
  m.maxPos = maxPos;
  m.positions.clear();
  ++m.metersShown;
  if (auto* d = win32::Desktop::currentOrNull()) {
    d->transcript().add("status", "meter " + win32::utf16ToUtf8(m.label) + " " + std::to_string(minPos) + ".." +
                                      std::to_string(maxPos));
  }
  return 0;
}

int acedSetStatusBarProgressMeterPos(int pos) {
  arx::StatusBarMeter& m = arx::statusBarMeter();
  if (!m.shown) return -1;
  m.positions.push_back(pos);
  return 0;
}

void acedRestoreStatusBar() {
  arx::StatusBarMeter& m = arx::statusBarMeter();
  if (!m.shown) return;
  m.shown = false;
  if (auto* d = win32::Desktop::currentOrNull()) {
    d->transcript().add("status", "restored after " + std::to_string(m.positions.size()) + " positions");
  }
}
