#include "arx/rxmfcapi.h"

#include <cassert>

#include "arx/acad_app.h"
#include "mfc/afxwin.h"

CAcModuleResourceOverride::CAcModuleResourceOverride(HINSTANCE hInst) : previous_(nullptr), switched_(false) {
  HINSTANCE module = hInst;
  if (!module) {
    if (const auto* app = arx::AcadApplication::currentOrNull()) module = app->servedModule();
  }
  assert(module && "no module to take resources from: pass the module instance explicitly");
  if (!module) return;
  previous_ = AfxGetResourceHandle();
  AfxSetResourceHandle(module);
  switched_ = true;
}

CAcModuleResourceOverride::~CAcModuleResourceOverride() {
  if (switched_) AfxSetResourceHandle(previous_);
}
