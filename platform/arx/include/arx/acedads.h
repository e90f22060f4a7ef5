// The editor's C functions (aced*) of the current AutoCAD application (arx/acad_app.h).
//
// Models: system variables (acedGetVar / acedSetVar, see arx/sysvars.h for the rules), LISP
// function registration (acedDefun / acedUndef / acedGetFunCode), display refreshes
// (acedRedraw / acedUpdateDisplay, counted by the application), and unloading an ARX
// application by name (acedArxUnload) or listing them (acedArxLoaded).
// Limitations: acedRedraw redraws the whole drawing only: redrawing or highlighting one entity
// (a non-null entity name) is not modelled and returns RTERROR. acedArxUnload prints nothing.
#pragma once

#include "arx/adsdef.h"

int acedGetVar(const ACHAR* sym, resbuf* result);
int acedSetVar(const ACHAR* sym, const resbuf* value);

// Defines a LISP function of the application being served (during its kLoadDwgMsg); RTNORM, or
// RTERROR for a null/empty name, a negative code or when no application is being served.
int acedDefun(const ACHAR* name, int funcNumber);
// RTNORM when the function was defined with that code, else RTERROR.
int acedUndef(const ACHAR* name, int funcNumber);
// The code of the LISP function being invoked (during kInvkSubrMsg), else RTERROR.
int acedGetFunCode();

int acedRedraw(const ads_name ent, int mode);
void acedUpdateDisplay();

// RTNORM when the named application was loaded and is now unloaded, else RTERROR.
int acedArxUnload(const ACHAR* app);
// The loaded applications' file names as a chain of RTSTR buffers (release with acutRelRb);
// null when none is loaded.
resbuf* acedArxLoaded();
