// The plug-in's compiled-in resources.
#pragma once

#include "win32/resources.h"

namespace vurkarx {

// The plug-in module's resource table: the string table (toolbar tooltips, one per toolbar
// command id, each starting with "\n" as MFC's tooltip convention wants). The module image
// that registers the plug-in with AutoCAD keeps the returned table alive while it is loaded.
win32::ResourceTable pluginResourceTable();

// Adds the string table to a resource table.
void addStringTable(win32::ResourceTable& table);
// The map-mark icon pictures: PNG resources 10001..10009 and the default icon 8315.
void addIconPictures(win32::ResourceTable& table);

}  // namespace vurkarx
