#include "shell/base_map_view_mode.h"

#include "arx/acad_app.h"
#include "arx/acedads.h"

namespace vurk {

namespace {

struct SavedViewVariables {
  bool rtDisplayOn = true;
  short zoomFactor = 100;
  bool graphicsFlag = true;
};
SavedViewVariables g_saved;

bool readShort(const char16_t* name, short& value) {
  resbuf rb{};
  if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSHORT) return false;
  value = rb.resval.rint;
  return true;
}

void writeShort(const char16_t* name, short value) {
  resbuf rb{};
  rb.restype = RTSHORT;  // 5003
  rb.resval.rint = value;
  acedSetVar(name, &rb);
}

}  // namespace

void SaveViewVariables() {
  short rtDisplay = 1;
  if (readShort(u"RTDISPLAY", rtDisplay)) g_saved.rtDisplayOn = rtDisplay != 0;
  short zoom = 100;
  if (readShort(u"ZOOMFACTOR", zoom)) {
    g_saved.zoomFactor = zoom;
    if (zoom != 100) writeShort(u"ZOOMFACTOR", 100);
  }
  if (AcGsConfig* gs = acgsGetConfig()) g_saved.graphicsFlag = gs->adaptiveDegradation();
}

void SetBaseMapViewMode(bool on) {
  const bool rtDisplayTarget = on ? false : g_saved.rtDisplayOn;
  const bool graphicsTarget = on ? false : g_saved.graphicsFlag;

  short rtDisplay = 0;
  if (readShort(u"RTDISPLAY", rtDisplay) && (rtDisplay != 0) != rtDisplayTarget) {
    writeShort(u"RTDISPLAY", rtDisplayTarget ? 1 : 0);
  }

  short zoom = 0;
  if (readShort(u"ZOOMFACTOR", zoom)) {
    if (on) {
      if (zoom != 100) writeShort(u"ZOOMFACTOR", 100);
      acedRedraw(nullptr, 1);
    } else if (zoom != g_saved.zoomFactor) {
      writeShort(u"ZOOMFACTOR", g_saved.zoomFactor);
    }
  }

  if (AcGsConfig* gs = acgsGetConfig(); gs && gs->adaptiveDegradation() != graphicsTarget) {
    gs->setAdaptiveDegradation(graphicsTarget);
    gs->apply();
  }
}

short SavedZoomFactor() { return g_saved.zoomFactor; }

}  // namespace vurk
