// Windows, window classes, message queues and timers of the desktop.
#pragma once

#include "win32/types.h"

namespace win32 {

class Desktop;

class WindowManager {
 public:
  explicit WindowManager(Desktop& desktop);
  ~WindowManager();

  // Advances the clock by ms, firing timers and dispatching posted messages when due.
  void runFor(DWORD ms);
  // Dispatches what is due now without advancing the clock.
  void pump();

 private:
  Desktop& desktop_;
};

}  // namespace win32
