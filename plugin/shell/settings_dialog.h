// The settings dialog CDlgSetting (template 8133, "设置"): the user-facing fields of the settings
// record, the cache base folder, and a reset to defaults. OK writes the record at once and puts
// the changes into effect (follow mode sent to the host, demand loading, double-click editing,
// cache folder).
#pragma once

#include <string>

#include "mfc/afxdd.h"

namespace vurk {

// The label heights of the label list, by item.
inline constexpr int kLabelHeights[] = {240, 120, 60, 30, 15, 8, 4};

class CDlgSetting : public CDialog {
 public:
  CDlgSetting();

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  void onPointsAsIconsClicked();
  void onChooseFolder();
  void onReset();

  int autoLoad_ = 0;
  int autoSync_ = 0;
  int clearCache_ = 0;
  int pointsAsIcons_ = 0;
  int zoneCheck_ = 0;
  int byLayerColour_ = 0;
  int dblClick_ = 0;
  int maxLevel_ = 20;
};

// Runs the settings dialog modally with the plug-in's resources; its result.
INT_PTR RunSettingsDialog();

// The item of the label list for a label height: 60 m for any height not in the list.
int LabelItemOf(std::uint32_t labelHeight);

// Makes a new cache base folder current: when it names the current folder (however spelled)
// only the new spelling is stored; otherwise it is written, the online base map restarts on it
// and the old folder's "MapTemp" is deleted unless it holds the new folder.
void SwitchCacheFolder(const std::u16string& folder);

// The full, normalised form of a Windows folder path used to compare two spellings of one
// folder: absolute, without a trailing backslash, upper-case; empty when it cannot be formed.
std::u16string ComparableFolder(const std::u16string& folder);

}  // namespace vurk
