#pragma once

#include <string>

// The plug-in's own version: 174 is shown as V1.7.4.
constexpr int PLUGIN_VERSION = 174;

namespace vurk {

// "V<major>.<minor>.<patch>" of a version number such as 174 (integer division throughout).
std::u16string VersionText(int version);

}  // namespace vurk
