#include "arx/acedads.h"

#include "arx/acad_app.h"

int acedGetVar(const ACHAR* sym, resbuf* result) { return arx::AcadApplication::current().sysVars().get(sym, result); }

int acedSetVar(const ACHAR* sym, const resbuf* value) {
  return arx::AcadApplication::current().sysVars().set(sym, value);
}

int acedDefun(const ACHAR* name, int funcNumber) {
  return arx::AcadApplication::current().defineLispFunction(name, funcNumber);
}

int acedUndef(const ACHAR* name, int funcNumber) {
  return arx::AcadApplication::current().undefineLispFunction(name, funcNumber);
}

int acedGetFunCode() { return arx::AcadApplication::current().pendingFunctionCode(); }

int acedRedraw(const ads_name ent, int) {
  // Redrawing or highlighting a single entity is not modelled.
  if (ent) return RTERROR;
  arx::AcadApplication::current().noteRedraw();
  return RTNORM;
}

void acedUpdateDisplay() { arx::AcadApplication::current().noteUpdateDisplay(); }

int acedArxUnload(const ACHAR* app) {
  if (!app || !*app) return RTERROR;
  return arx::AcadApplication::current().unloadApplication(app) ? RTNORM : RTERROR;
}
