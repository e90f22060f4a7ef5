// The prompt that tells the user about a newer plug-in build.
#include <string>

#include "hostlink/hint_dialog.h"
#include "hostlink/host_link_record.h"
#include "hostlink/host_presence.h"
#include "settings/settings_store.h"
#include "shell/demand_load.h"

namespace vurk {

namespace {
std::u16string Digits(std::uint32_t n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}
}  // namespace

std::u16string PluginVersionDigits(std::uint32_t version) {
  return u"v" + Digits(version / 100) + u"." + Digits((version % 100) / 10) + u"." + Digits(version % 10);
}

bool ShowUpdatePrompt(std::u16string_view notes, std::uint32_t version) {
  HostLink* link = CurrentHostLink();
  if (link) {
    if (link->presence().updatePromptShown) return true;
    link->presence().updatePromptShown = true;
  }
  std::u16string text = u"系统发现插件有更新(" + PluginVersionDigits(version) + u")，请到官网下载！";
  if (!notes.empty()) {
    text += u"\r\n更新内容：\r\n";
    text += notes;
  }
  SettingsStore* store = CurrentSettings();
  SettingsRecord scratch{};
  SettingsRecord& settings = store ? store->record() : scratch;
  if (version > settings.lastAnnouncedPluginVersion) {
    // A newly announced build: the demand-load entries of every build go, this one's comes back
    // when the user wants the plug-in loaded by itself, and the prompt is on again.
    UnregisterDemandLoad();
    if (settings.autoLoadPlugin) RegisterDemandLoad();
    settings.promptPluginUpdate = 1;
    settings.lastAnnouncedPluginVersion = version;
    SaveSettings();
  }
  return AskWithHint(settings.promptPluginUpdate, text, kUpdatePage);
}

}  // namespace vurk
