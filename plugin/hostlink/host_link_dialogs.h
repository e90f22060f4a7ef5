// The dialog templates of the host link, for the plug-in's resources: the notification window
// (8103, class "VurkArxWin") and the hint dialog (8353).
#pragma once

#include "win32/resources.h"

namespace vurk {

inline constexpr UINT kNotificationDialogId = 8103;
inline constexpr UINT kHintDialogId = 8353;
// Controls of the hint dialog.
inline constexpr UINT kHintTextId = 8137;      // read-only multi-line text
inline constexpr UINT kHintCheckBoxId = 8351;  // "do not ask again"

// Adds both templates to a module's resource table.
void AddHostLinkDialogs(win32::ResourceTable& table);

}  // namespace vurk
