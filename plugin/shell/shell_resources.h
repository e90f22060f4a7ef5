// The shell's resources: the toolbar's nine icons and the settings dialog's template (8133).
#pragma once

#include <array>

#include "win32/resources.h"

namespace vurk {

// Toolbar icons in load order; they take image indices 0..8.
inline constexpr std::array<UINT, 9> kToolbarIconIds{8328, 8130, 8149, 8212, 8129, 8361, 8132, 8131, 8360};

// The settings dialog.
namespace settings_dialog {
inline constexpr UINT kTemplate = 8133;
inline constexpr UINT kAutoLoad = 8357;
inline constexpr UINT kAutoSync = 8181;
inline constexpr UINT kClearCache = 8359;
inline constexpr UINT kFollowMode = 8135;
inline constexpr UINT kPointsAsIcons = 8191;
inline constexpr UINT kLabelHeight = 8127;
inline constexpr UINT kZoneCheck = 8358;
inline constexpr UINT kByLayerColour = 8332;
inline constexpr UINT kDblClick = 8355;
inline constexpr UINT kCacheFolder = 8139;
inline constexpr UINT kChooseFolder = 8141;
inline constexpr UINT kMaxLevel = 8330;
inline constexpr UINT kMaxLevelLabel = 8331;
inline constexpr UINT kVideo = 8325;
inline constexpr UINT kReset = 8198;
}  // namespace settings_dialog

void AddShellResources(win32::ResourceTable& table);

}  // namespace vurk
