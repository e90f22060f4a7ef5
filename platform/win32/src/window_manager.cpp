#include "win32/window_manager.h"

#include "win32/clock.h"
#include "win32/desktop.h"

namespace win32 {
WindowManager::WindowManager(Desktop& desktop) : desktop_(desktop) {}
WindowManager::~WindowManager() = default;
void WindowManager::runFor(DWORD ms) { desktop_.clock().advance(ms); }
void WindowManager::pump() {}
}
