// The plug-in's host link on a fresh AutoCAD stand-in, without loading the whole plug-in: the
// plug-in module registered with its dialog templates, its settings store installed and a fresh
// host link under the name "VurkArxWin". Tests add a RecordingHost when the host should run.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "hostlink/host_link_dialogs.h"
#include "hostlink/host_link_record.h"
#include "hostlink/host_presence.h"
#include "mfc/afxwin.h"
#include "mfc/dialog_script.h"
#include "platform/acad_fixture.h"
#include "settings/settings_store.h"
#include "shell/plugin_module.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/user_script.h"

namespace vurktest {

class HostLinkFixture : public AcadFixture {
 protected:
  static constexpr const char16_t* kPluginPath = u"C:\\Program Files\\VurkArx\\VurkArx.arx";
  static constexpr const char16_t* kHostKeyPath = u"HKEY_CURRENT_USER\\Software\\Tessan Software\\vurk\\MainFrm";

  HostLinkFixture() {
    vurk::AddHostLinkDialogs(resources_);
    module_ = desktop().registerModule(kPluginPath, &resources_);
    VurkArxDllMain(module_, 1, nullptr);
    auto store = std::make_unique<vurk::SettingsStore>();
    store->load(u"C:\\Program Files\\VurkArx");
    vurk::InstallSettings(std::move(store));
    vurk::StartHostLink(u"VurkArxWin");
  }
  ~HostLinkFixture() override {
    vurk::StopHostLink();
    vurk::RemoveSettings();
    VurkArxDllMain(nullptr, 0, nullptr);
    desktop().unregisterModule(module_);
  }

  vurk::HostLinkRecord& channel() { return vurk::CurrentHostLink()->mainChannel(); }
  vurk::SettingsRecord& settings() { return vurk::CurrentSettings()->record(); }
  mfc::DialogScript& dialogs() { return acad().mfcState().dialogScript(); }
  win32::UserScript& user() { return desktop().user(); }

  // Queues the user's actions for the next hint dialog.
  void answerHint(std::vector<mfc::DialogAction> actions) {
    dialogs().queue({vurk::kHintDialogId, std::move(actions)});
  }

  // The host's installation record.
  void installHost(DWORD version, const std::u16string& runPath = u"C:\\Program Files\\vurk\\vurk.exe") {
    desktop().registry().setDword(kHostKeyPath, u"LastVersion", version);
    if (!runPath.empty()) desktop().registry().setString(kHostKeyPath, u"LastRunPath", runPath);
  }

  // The message boxes shown so far, as UTF-8 texts.
  std::vector<std::string> boxTexts() {
    std::vector<std::string> out;
    for (const auto& b : user().boxes()) out.push_back(win32::utf16ToUtf8(b.text));
    return out;
  }
  // The addresses and files the shell opened.
  std::vector<std::string> opened() {
    std::vector<std::string> out;
    for (const auto& l : desktop().shell().launches()) out.push_back(win32::utf16ToUtf8(l.file));
    return out;
  }

 private:
  win32::ResourceTable resources_;
  HINSTANCE module_ = nullptr;
};

}  // namespace vurktest
