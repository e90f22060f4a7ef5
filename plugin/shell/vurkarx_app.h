// The application object AutoCAD drives through acrxEntryPoint: start-up and unload.
#pragma once

#include "arx/rxapp.h"

namespace vurk {

class CVurkArxApp : public AcRxArxApp {
 public:
  AcRx::AppRetCode On_kInitAppMsg(void* pkt) override;
  AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override;

 private:
  bool running_ = false;
};

// The window class of the notification window ("VurkArxWin"), registered at start-up.
constexpr const char16_t* kNotificationWindowClass = u"VurkArxWin";
// The command group of the plug-in's commands.
constexpr const char16_t* kCommandGroup = u"VURK";

}  // namespace vurk
