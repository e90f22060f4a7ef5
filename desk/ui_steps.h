// The desk's steps for the plug-in's user interface as a person uses it: the toolbar, dialogs
// (filled in before the step that opens a modal one, or acted on while a modeless one is
// open), the folder browser, and AutoCAD's frame.
//
//   toolbar press ID|TOOLTIP     press a button (command id such as 32772, or its tooltip)
//   toolbar close                close the floating toolbar with its close box
//   toolbar show                 print the buttons (id, image, tooltip) and the bar's state
//   dialog "CAPTION" ACTION      type ID TEXT | check ID | uncheck ID | choose ID ITEM |
//                                click ID | leave ID
//   browse select PATH | type TEXT | ok | cancel      the next folder browser
//   frame minimise | restore     AutoCAD's main window
//   expect toolbar visible|hidden, expect toolbar image ID N
//   expect dialog "CAPTION" open|closed, expect dialog "CAPTION" text ID TEXT,
//   expect dialog "CAPTION" checked|unchecked|shown|hidden|enabled|disabled ID
//   expect dialog-line TEXT      a dialog line of the transcript contains TEXT
//
// Consecutive "dialog" lines for a dialog that is not open make one visit of the next such
// dialog; consecutive "browse" lines one visit of the next browser.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace desk {

class DeskSession;

// Runs a step when it is one of these (true/false as DeskSession::run), else nothing.
std::optional<bool> runUiStep(DeskSession& session, const std::vector<std::string>& words, std::string& reason);

}  // namespace desk
