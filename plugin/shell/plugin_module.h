// The plug-in module itself: its instance handle and folder, and the functions a loader calls.
#pragma once

#include <string>

#include "arx/rxapp.h"
#include "win32/types.h"

namespace vurk {

// The module instance, remembered when the module is attached to the process.
HINSTANCE PluginInstance();
// The folder of a loaded module: its file name (at most 512 characters) cut at the last
// backslash; empty when the module is unknown.
std::u16string ModuleFolder(HMODULE module);
// The folder the plug-in was loaded from.
std::u16string PluginFolder();

}  // namespace vurk

// Called by the loader when the module is attached (reason 1) or detached (reason 0).
BOOL VurkArxDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
// The exported entry points AutoCAD calls.
extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt);
extern "C" int acrxGetApiVersion();
