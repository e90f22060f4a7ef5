// Whether a folder is fit to hold the plug-in (at start-up) or the cache (from the settings
// dialog): not a drive root, at most 190 characters, writable, and on a drive with 2 GiB free
// unless the user chooses to go on anyway.
#pragma once

#include <string>

namespace vurk {

// Takes the folder by value; an empty folder means the plug-in's own folder. Tells the user
// why a folder is refused; returns true when loading (or the change) may go on.
bool CheckPluginFolder(std::u16string folder);

}  // namespace vurk
