// The plug-in's two commands in the group "VURK".
#pragma once

namespace vurk {

// VURK: floats the toolbar again at the top right of the screen and shows it.
void VurkCommand();
// testConnect: a developer test that draws polylines from "C:\vurk\line.txt".
void TestConnect();

}  // namespace vurk
