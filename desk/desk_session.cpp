#include "desk_session.h"

#include <unistd.h>

#include <cassert>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "arx/acad_app.h"
#include "arx/acdocman.h"
#include "arx/aced.h"
#include "arx/axlock.h"
#include "host/host_app.h"
#include "host/host_installer.h"
#include "host/host_user.h"
#include "mfc/afxwin.h"
#include "mfc/dialog_script.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "arx/dxf.h"
#include "count_command.h"
#include "exchange/link_record.h"
#include "plugin_image.h"
#include "ui_steps.h"
#include "resources/string_table.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "win32/clock.h"
#include "win32/codepage.h"
#include "win32/desktop.h"
#include "win32/file_system.h"
#include "win32/profile.h"
#include "win32/transcript.h"
#include "win32/unicode.h"
#include "win32/user_script.h"
#include "win32/winreg.h"

namespace desk {

namespace {

constexpr const char16_t* kDefaultPluginFolder = u"C:\\Program Files\\VurkArx";
constexpr const char16_t* kModuleName = u"VurkArx.arx";

std::u16string wide(const std::string& s) { return win32::utf8ToUtf16(s); }
std::string narrow(const std::u16string& s) { return win32::utf16ToUtf8(s); }

std::string lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// "2147483648", "2.9GiB", "512MiB", "10KiB".
bool parseBytes(const std::string& text, ULONGLONG& out) {
  static constexpr struct {
    const char* suffix;
    double factor;
  } kUnits[] = {{"GiB", 1073741824.0}, {"MiB", 1048576.0}, {"KiB", 1024.0}, {"B", 1.0}};
  std::string number = text;
  double factor = 1.0;
  for (const auto& u : kUnits) {
    const std::string sfx = u.suffix;
    if (number.size() > sfx.size() && number.compare(number.size() - sfx.size(), sfx.size(), sfx) == 0) {
      number.resize(number.size() - sfx.size());
      factor = u.factor;
      break;
    }
  }
  char* end = nullptr;
  const double v = std::strtod(number.c_str(), &end);
  if (number.empty() || end != number.c_str() + number.size() || !(v >= 0)) return false;
  out = static_cast<ULONGLONG>(v * factor);
  return true;
}

bool parseInt(const std::string& text, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text.c_str(), &end, 10);
  return !text.empty() && end == text.c_str() + text.size();
}

std::string joinFrom(const std::vector<std::string>& w, std::size_t from) {
  std::string s;
  for (std::size_t i = from; i < w.size(); ++i) {
    if (i > from) s += ' ';
    s += w[i];
  }
  return s;
}

// Text files the plug-in writes (INI, log) are in the ANSI code page; show them as UTF-8.
std::string ansiFileText(const std::filesystem::path& p, bool& ok) {
  std::ifstream f(p, std::ios::binary);
  ok = static_cast<bool>(f);
  std::ostringstream ss;
  ss << f.rdbuf();
  return narrow(win32::fromAnsi(ss.str()));
}

}  // namespace

DeskSession::DeskSession(const std::filesystem::path& sandbox, std::ostream& out)
    : out_(out),
      pluginResources_(vurkarx::pluginResourceTable()),
      desktop_(std::make_unique<win32::Desktop>(sandbox)),
      desktopScope_(std::make_unique<win32::DesktopScope>(*desktop_)),
      pluginFolder_(kDefaultPluginFolder) {
  desktop_->transcript().setListener([this](const win32::TranscriptEntry& e) {
    out_ << "  " << e.channel << ": " << e.text << "\n";
  });
  acad_ = std::make_unique<arx::AcadApplication>(*desktop_);
  acadScope_ = std::make_unique<arx::AcadScope>(*acad_);
  acad_->registerModuleImage(pluginModuleImage(&pluginResources_));
  services_ = std::make_unique<AcDbHostApplicationServices>();
  servicesScope_ = std::make_unique<AcDbHostServicesScope>(*services_);
  acad_->docManager().newDocument();
  pluginPath_ = pluginFolder_ + u"\\" + kModuleName;
}

DeskSession::~DeskSession() {
  // The plug-in goes before AutoCAD and the desktop it lives in, the host before its desktop.
  if (acad_ && acad_->isLoaded(kModuleName)) acad_->unloadApplication(kModuleName);
  if (host_) {
    host_->stop();
    host_.reset();
  }
  desktop_->transcript().setListener(nullptr);
  services_->setWorkingDatabase(nullptr);
  servicesScope_.reset();
  services_.reset();
  acadScope_.reset();
  acad_.reset();
  desktopScope_.reset();
  desktop_.reset();
}

std::filesystem::path DeskSession::hostPath(const std::string& windowsPath) {
  // A path on another drive brings that drive into the desktop.
  if (windowsPath.size() >= 2 && windowsPath[1] == ':' && std::isalpha(static_cast<unsigned char>(windowsPath[0]))) {
    desktop_->files().addDrive(static_cast<char16_t>(std::toupper(static_cast<unsigned char>(windowsPath[0]))));
  }
  return desktop_->files().toHostPath(wide(windowsPath));
}

void DeskSession::note(const std::string& text) { desktop_->transcript().add("note", text); }

void DeskSession::installPluginFiles() {
  // The module file is put in place as an installer would, outside the plug-in's own rules.
  const std::u16string drive = pluginFolder_.substr(0, 1);
  if (pluginFolder_.size() >= 2 && pluginFolder_[1] == u':') desktop_->files().addDrive(drive[0]);
  const std::filesystem::path host = desktop_->files().toHostPath(pluginPath_);
  std::error_code ec;
  std::filesystem::create_directories(host.parent_path(), ec);
  std::ofstream(host, std::ios::binary) << "VurkArx plug-in module\n";
}

AcDbDatabase& DeskSession::drawing() {
  AcApDocument* doc = acad_->docManager().curDocument();
  assert(doc && "no document is open");
  return *doc->database();
}

bool DeskSession::run(const Step& step, std::string& reason) {
  const int unansweredBefore = desktop_->user().unansweredBoxes();
  const int dialogsBefore = acad_->mfcState().dialogScript().unansweredDialogs();
  const int browsesBefore = desktop_->user().unansweredBrowses();
  const int promptsBefore = acad_->editor().unansweredPrompts();
  const std::vector<std::u16string> locksBefore = acad_->docManager().lockAudit();
  if (!dispatch(step.words, reason)) return false;
  if (acad_->mfcState().dialogScript().unansweredDialogs() > dialogsBefore) {
    reason = "a dialog did not go as the scenario said: " + acad_->mfcState().dialogScript().dialogs().back().problem;
    return false;
  }
  if (desktop_->user().unansweredBrowses() > browsesBefore) {
    reason = "a folder browser did not go as the scenario said";
    return false;
  }
  if (desktop_->user().unansweredBoxes() > unansweredBefore) {
    const auto& boxes = desktop_->user().boxes();
    reason = "a message box was not answered: " + narrow(boxes.back().text);
    return false;
  }
  if (acad_->editor().unansweredPrompts() > promptsBefore) {
    reason = "a prompt was not answered: " + narrow(acad_->editor().lastUnansweredPrompt());
    return false;
  }
  // Every lock taken during a step is released by its end: a lock left behind is a fault.
  const std::vector<std::u16string> locksAfter = acad_->docManager().lockAudit();
  if (locksAfter != locksBefore) {
    reason = "document locks before and after the step differ:";
    for (const auto& l : locksAfter) reason += " " + narrow(l);
    return false;
  }
  // Objects are opened and closed within one operation: none may stay open after a step.
  std::unique_ptr<AcApDocumentIterator> it(acad_->docManager().newAcApDocumentIterator());
  for (; !it->done(); it->step()) {
    if (const int open = it->document()->database()->numOpenObjects(); open > 0) {
      reason = std::to_string(open) + " object(s) left open in " + narrow(it->document()->docTitle());
      return false;
    }
  }
  return true;
}

bool DeskSession::finish(std::string& reason) {
  desktop_->transcript().flush();
  if (desktop_->user().pendingAnswers() > 0) {
    reason = std::to_string(desktop_->user().pendingAnswers()) + " answer(s) were given for boxes that never appeared";
    return false;
  }
  if (acad_->editor().pendingInput() > 0) {
    reason = std::to_string(acad_->editor().pendingInput()) + " input(s) were given for prompts that never came";
    return false;
  }
  return true;
}

bool DeskSession::dispatch(const Words& w, std::string& reason) {
  if (w.empty()) return true;
  if (const auto ui = runUiStep(*this, w, reason)) return *ui;
  const std::string verb = lower(w[0]);
  if (verb == "plugin") return stepPlugin(w, reason);
  if (verb == "set") return stepSet(w, reason);
  if (verb == "expect") return stepExpect(w, reason);
  if (verb == "show") return stepShow(w, reason);
  if (verb == "write") return stepWrite(w, reason);
  if (verb == "answer") return stepAnswer(w, reason);
  if (isCadStep(verb)) return stepCad(w, reason);
  if (verb == "host") return stepHost(w, reason);
  if (verb == "drawing") return stepDrawing(w, reason);
  if (verb == "add") return stepAdd(w, reason);
  if (verb == "view") return stepView(w, reason);
  if (verb == "wait" && w.size() == 2) {
    long long ms = 0;
    if (!parseInt(w[1], ms) || ms < 0) {
      reason = "wait needs a number of milliseconds";
      return false;
    }
    desktop_->runFor(static_cast<DWORD>(ms));
    return true;
  }
  if (verb == "mkdir" && w.size() == 2) {
    std::error_code ec;
    std::filesystem::create_directories(hostPath(w[1]), ec);
    return true;
  }
  if (verb == "link" && w.size() == 3) {
    // link WINDOWS-PATH WINDOWS-TARGET: a symbolic link made by someone else, e.g. inside the cache.
    std::error_code ec;
    std::filesystem::create_directories(hostPath(w[1]).parent_path(), ec);
    std::filesystem::create_directory_symlink(hostPath(w[2]), hostPath(w[1]), ec);
    if (ec) {
      reason = "cannot create the link: " + ec.message();
      return false;
    }
    return true;
  }
  reason = "unknown step";
  return false;
}

bool DeskSession::stepPlugin(const Words& w, std::string& reason) {
  const std::string what = w.size() > 1 ? lower(w[1]) : "";
  if (what == "load") {
    installPluginFiles();
    const bool ok = acad_->loadApplication(pluginPath_);
    note(ok ? "VurkArx.arx loaded" : "VurkArx.arx was not loaded");
    return true;
  }
  if (what == "unload") {
    if (!acad_->isLoaded(kModuleName)) {
      reason = "the plug-in is not loaded";
      return false;
    }
    acad_->unloadApplication(kModuleName);
    note("VurkArx.arx unloaded");
    return true;
  }
  reason = "plugin load|unload";
  return false;
}

bool DeskSession::stepSet(const Words& w, std::string& reason) {
  const std::string what = w.size() > 1 ? lower(w[1]) : "";
  if (what == "disk-free" && w.size() == 4) {
    ULONGLONG bytes = 0;
    if (w[2].empty() || !parseBytes(w[3], bytes)) {
      reason = "set disk-free DRIVE BYTES";
      return false;
    }
    const char16_t drive = static_cast<char16_t>(std::toupper(static_cast<unsigned char>(w[2][0])));
    desktop_->files().addDrive(drive);
    desktop_->files().setFreeSpace(drive, bytes);
    return true;
  }
  if (what == "plugin-folder" && w.size() == 3) {
    pluginFolder_ = wide(w[2]);
    while (pluginFolder_.size() > 3 && pluginFolder_.back() == u'\\') pluginFolder_.pop_back();
    pluginPath_ = (pluginFolder_.size() == 3 ? pluginFolder_ : pluginFolder_ + u"\\") + kModuleName;
    return true;
  }
  if (what == "read-only" && w.size() == 3) {
    desktop_->files().setReadOnly(wide(w[2]));
    return true;
  }
  if (what == "module" && w.size() == 4) {
    acad_->setModuleAvailable(wide(w[2]), lower(w[3]) == "available");
    return true;
  }
  if (what == "rename-fails" && w.size() == 3) {
    long long code = 0;
    if (!parseInt(w[2], code)) {
      reason = "set rename-fails ERROR-CODE";
      return false;
    }
    desktop_->files().failNextRename(static_cast<DWORD>(code));
    return true;
  }
  if (what == "sysvar" && w.size() == 4) {
    auto& vars = acad_->sysVars();
    const std::u16string name = wide(w[2]);
    if (!vars.has(name)) {
      reason = "no system variable " + w[2];
      return false;
    }
    arx::SysVarValue v;
    const int type = vars.typeOf(name);
    long long n = 0;
    if (type == RTSHORT && parseInt(w[3], n)) {
      v = arx::SysVarValue::shortValue(static_cast<short>(n));
    } else if (type == RTREAL) {
      v = arx::SysVarValue::realValue(std::strtod(w[3].c_str(), nullptr));
    } else if (type == RTSTR) {
      v = arx::SysVarValue::stringValue(wide(w[3]));
    } else {
      reason = "cannot set " + w[2] + " from " + w[3];
      return false;
    }
    if (!vars.setValue(name, v)) {
      reason = "the value is out of range for " + w[2];
      return false;
    }
    return true;
  }
  if (what == "title" && w.size() == 3) {
    acad_->setMainWindowTitle(wide(w[2]));
    return true;
  }
  reason = "unknown setting";
  return false;
}

bool DeskSession::expectEntry(const std::string& channel, const std::string& text, bool present,
                              std::string& reason) {
  const auto& entries = desktop_->transcript().entries();
  std::size_t& cursor = cursors_[channel];
  if (present) {
    for (std::size_t i = cursor; i < entries.size(); ++i) {
      if (entries[i].channel == channel && entries[i].text.find(text) != std::string::npos) {
        cursor = i + 1;
        return true;
      }
    }
    reason = "no " + channel + " entry containing \"" + text + "\"";
    return false;
  }
  for (const auto& e : entries) {
    if (e.channel == channel && e.text.find(text) != std::string::npos) {
      reason = "unexpected " + channel + " entry: " + e.text;
      return false;
    }
  }
  return true;
}

bool DeskSession::stepExpect(const Words& w, std::string& reason) {
  const std::string what = w.size() > 1 ? lower(w[1]) : "";
  static constexpr struct {
    const char* word;
    const char* channel;
    bool present;
  } kChannels[] = {{"line", "cmd", true},      {"no-line", "cmd", false}, {"box", "box", true},
                   {"no-box", "box", false},   {"note", "note", true},    {"shell", "shell", true},
                   {"host", "host", true},     {"drawing", "drawing", true},
                   {"links", "links", true}};
  for (const auto& c : kChannels) {
    if (what == c.word && w.size() >= 3) return expectEntry(c.channel, joinFrom(w, 2), c.present, reason);
  }
  if (what == "plugin" && w.size() == 3) {
    const bool want = lower(w[2]) == "loaded";
    if (acad_->isLoaded(kModuleName) != want) {
      reason = std::string("the plug-in is ") + (want ? "not loaded" : "still loaded");
      return false;
    }
    return true;
  }
  if (what == "command" && w.size() == 3) {
    if (!acad_->commandStack().lookupGlobalCmd(wide(w[2]).c_str())) {
      reason = "no command " + w[2];
      return false;
    }
    return true;
  }
  if (what == "no-command-group" && w.size() == 3) {
    if (acad_->commandStack().hasGroup(wide(w[2]).c_str())) {
      reason = "the command group " + w[2] + " is still registered";
      return false;
    }
    return true;
  }
  if ((what == "file" || what == "no-file") && w.size() >= 3) {
    const std::filesystem::path p = hostPath(w[2]);
    std::error_code ec;
    const bool exists = std::filesystem::exists(std::filesystem::symlink_status(p, ec));
    if (what == "no-file") {
      if (exists) reason = w[2] + " exists";
      return !exists;
    }
    if (!exists) {
      reason = w[2] + " does not exist";
      return false;
    }
    if (w.size() >= 5 && lower(w[3]) == "contains") {
      bool ok = false;
      const std::string text = ansiFileText(p, ok);
      const std::string want = joinFrom(w, 4);
      if (text.find(want) == std::string::npos) {
        reason = w[2] + " does not contain \"" + want + "\"";
        return false;
      }
    }
    return true;
  }
  if (what == "sysvar" && w.size() == 4) {
    const auto v = acad_->sysVars().value(wide(w[2]));
    if (!v) {
      reason = "no system variable " + w[2];
      return false;
    }
    std::string actual;
    if (v->type == RTSHORT || v->type == RTLONG) actual = std::to_string(v->integer);
    else if (v->type == RTSTR) actual = narrow(v->text);
    else {
      std::ostringstream ss;
      ss << v->real;
      actual = ss.str();
    }
    if (actual != w[3]) {
      reason = w[2] + " is " + actual + ", not " + w[3];
      return false;
    }
    return true;
  }
  if (what == "setting" && w.size() == 4) {
    vurk::SettingsBytes bytes{};
    const std::u16string ini = vurk::SettingsIniPath();
    if (!GetPrivateProfileStructW(u"VurkArx", u"ini", bytes.data(), static_cast<UINT>(bytes.size()), ini.c_str())) {
      reason = "the settings file holds no readable record";
      return false;
    }
    const std::string all = vurk::describeSettings(vurk::SettingsRecord::decode(bytes));
    const std::string want = "\n" + w[2] + " = " + w[3] + "\n";
    if (("\n" + all).find(want) == std::string::npos) {
      reason = "setting " + w[2] + " is not " + w[3];
      return false;
    }
    return true;
  }
  if (what == "unanswered" && w.size() == 3) {
    long long n = 0;
    parseInt(w[2], n);
    if (desktop_->user().unansweredBoxes() != n) {
      reason = "unanswered boxes: " + std::to_string(desktop_->user().unansweredBoxes());
      return false;
    }
    return true;
  }
  reason = "unknown expectation";
  return false;
}

bool DeskSession::stepShow(const Words& w, std::string& reason) {
  const std::string what = w.size() > 1 ? lower(w[1]) : "";
  auto& t = desktop_->transcript();
  if (what == "file" && w.size() == 3) {
    bool ok = false;
    const std::string text = ansiFileText(hostPath(w[2]), ok);
    if (!ok) {
      reason = w[2] + " cannot be read";
      return false;
    }
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      t.add("file", line);
    }
    return true;
  }
  if (what == "settings") {
    vurk::SettingsBytes bytes{};
    const std::u16string ini = vurk::SettingsIniPath();
    t.add("settings", "file " + narrow(ini));
    if (!GetPrivateProfileStructW(u"VurkArx", u"ini", bytes.data(), static_cast<UINT>(bytes.size()), ini.c_str())) {
      t.add("settings", "no readable record");
      return true;
    }
    std::istringstream in(vurk::describeSettings(vurk::SettingsRecord::decode(bytes)));
    std::string line;
    while (std::getline(in, line)) t.add("settings", line);
    return true;
  }
  if (what == "commands") {
    auto& stack = acad_->commandStack();
    const auto groups = stack.groups();
    if (groups.empty()) t.add("commands", "(no command groups)");
    for (const auto& g : groups) {
      std::string line = "group " + narrow(g) + ":";
      for (const AcEdCommand* c : stack.commands(g.c_str())) line += " " + narrow(c->globalName());
      t.add("commands", line);
    }
    return true;
  }
  if (what == "sysvar" && w.size() == 3) {
    const auto v = acad_->sysVars().value(wide(w[2]));
    if (!v) {
      reason = "no system variable " + w[2];
      return false;
    }
    std::ostringstream ss;
    ss << w[2] << " = ";
    if (v->type == RTSTR) ss << narrow(v->text);
    else if (v->type == RTREAL) ss << v->real;
    else ss << v->integer;
    t.add("sysvar", ss.str());
    return true;
  }
  if (what == "drawing") {
    // What model space holds, class by class.
    long total = 0;
    if (!acad_->docManager().curDocument()) {
      reason = "no drawing is open";
      return false;
    }
    for (const auto& [cls, n] : modelSpaceClassCounts(drawing())) {
      t.add("drawing", cls + "\t" + std::to_string(n));
      total += n;
    }
    t.add("drawing", "total\t" + std::to_string(total));
    return true;
  }
  if (what == "links") {
    // The links stored in the drawing's entities: class, handle, map object id, name.
    if (!acad_->docManager().curDocument()) {
      reason = "no drawing is open";
      return false;
    }
    long total = 0;
    for (AcDbObjectId id : modelSpaceIds(drawing())) {
      AcDbEntity* e = nullptr;
      if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
      const vurk::EntityLink link = vurk::readLinkRecord(*e);
      if (link.mapObjectId != 0) {
        std::ostringstream line;
        line << narrow(e->isA()->name()) << "\t" << narrow(id.handle().ascii()) << "\t" << link.mapObjectId << "\t"
             << narrow(link.name);
        t.add("links", line.str());
        ++total;
      }
      e->close();
    }
    t.add("links", "total\t" + std::to_string(total));
    return true;
  }
  reason = "show file|settings|commands|sysvar|drawing|links";
  return false;
}

bool DeskSession::stepWrite(const Words& w, std::string& reason) {
  // write file WINDOWS-PATH TEXT: a file put there by the user or another program (UTF-8 text
  // converted to the ANSI code page, as a Windows editor would save it).
  if (w.size() == 4 && lower(w[1]) == "file") {
    const std::filesystem::path p = hostPath(w[2]);
    std::error_code ec;
    std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream f(p, std::ios::binary);
    f << win32::toAnsi(wide(w[3]));
    if (!f) {
      reason = "cannot write " + w[2];
      return false;
    }
    return true;
  }
  reason = "write file PATH TEXT";
  return false;
}

bool DeskSession::stepAnswer(const Words& w, std::string& reason) {
  static constexpr struct {
    const char* word;
    int id;
  } kAnswers[] = {{"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}, {"cancel", IDCANCEL}};
  if (w.size() == 2) {
    for (const auto& a : kAnswers) {
      if (lower(w[1]) == a.word) {
        desktop_->user().queueAnswer(a.id);
        return true;
      }
    }
  }
  reason = "answer yes|no|ok|cancel";
  return false;
}

std::filesystem::path DeskSession::fileNearScenario(const std::string& path) const {
  const std::filesystem::path p(path);
  return p.is_absolute() || scenarioFolder_.empty() ? p : scenarioFolder_ / p;
}

std::filesystem::path DeskSession::outputFile(const std::string& path) const {
  const std::filesystem::path p(path);
  if (p.is_absolute()) return p;
  // Without an output folder saved drawings stay in the sandbox, never in the source tree.
  return (outputFolder_.empty() ? desktop_->sandboxRoot() / "saved" : outputFolder_) / p;
}

arxdxf::ReadResult DeskSession::readDrawingFile(const std::string& name, std::filesystem::path& file,
                                               std::string& reason) const {
  std::error_code ec;
  const std::filesystem::path saved = outputFile(name);
  file = std::filesystem::exists(saved, ec) ? saved : fileNearScenario(name);
  arxdxf::ReadResult r = arxdxf::readDxfFile(file);
  if (r.status != Acad::eOk || !r.database) {
    reason = "cannot open " + name + ": " + r.reason;
    r.database.reset();
  }
  return r;
}

void DeskSession::replaceDrawing(std::unique_ptr<AcDbDatabase> db, const std::u16string& windowsPath) {
  // The drawing AutoCAD has open is replaced: the current document closes, the new one opens.
  AcApDocManager& docs = acad_->docManager();
  if (AcApDocument* doc = docs.curDocument()) docs.closeDocument(doc);
  docs.openDocument(std::move(db), windowsPath);
}

namespace {
bool parsePoint(const std::string& text, double& x, double& y) {
  char* end = nullptr;
  x = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != ',') return false;
  const char* second = end + 1;
  y = std::strtod(second, &end);
  return end != second && *end == '\0' && std::isfinite(x) && std::isfinite(y);
}
}  // namespace

bool DeskSession::stepDrawing(const Words& w, std::string& reason) {
  // drawing new [as WINDOWS-PATH] | drawing open FILE.dxf [as WINDOWS-PATH] | drawing save FILE.dxf
  const std::string what = w.size() > 1 ? lower(w[1]) : "";
  const auto windowsName = [&](std::size_t at, const std::string& fallbackStem) {
    if (w.size() == at + 2 && lower(w[at]) == "as") return wide(w[at + 1]);
    return u"C:\\Users\\me\\Documents\\" + wide(fallbackStem) + u".dwg";
  };
  if (what == "new" && (w.size() == 2 || w.size() == 4)) {
    replaceDrawing(std::make_unique<AcDbDatabase>(), windowsName(2, "Drawing1"));
    note("new drawing " + narrow(drawing().filename()));
    return true;
  }
  if (what == "open" && (w.size() == 3 || w.size() == 5)) {
    std::filesystem::path file;
    arxdxf::ReadResult r = readDrawingFile(w[2], file, reason);
    if (!r.database) return false;
    replaceDrawing(std::move(r.database), windowsName(3, file.stem().string()));
    note("opened " + file.filename().string() + " as " + narrow(drawing().filename()) + " (" +
         std::to_string(r.warnings.size()) + " warnings)");
    return true;
  }
  if (!acad_->docManager().curDocument()) {
    reason = "no drawing is open";
    return false;
  }
  if (what == "save" && w.size() == 3) {
    const std::filesystem::path file = outputFile(w[2]);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const arxdxf::WriteResult r = arxdxf::writeDxfFile(drawing(), file);
    if (r.status != Acad::eOk) {
      reason = "cannot save " + w[2] + ": " + r.reason;
      return false;
    }
    note("saved " + file.filename().string());
    return true;
  }
  reason = "drawing new [as PATH] | drawing open FILE.dxf [as PATH] | drawing save FILE.dxf";
  return false;
}

bool DeskSession::stepAdd(const Words& w, std::string& reason) {
  // add line X,Y X,Y | add circle X,Y R | add point X,Y | add text X,Y HEIGHT TEXT |
  // add polyline X,Y X,Y ... [closed]; each may end with "layer NAME".
  Words words = w;
  std::u16string layer;
  if (words.size() >= 4 && lower(words[words.size() - 2]) == "layer") {
    layer = wide(words.back());
    words.resize(words.size() - 2);
  }
  const std::string what = words.size() > 1 ? lower(words[1]) : "";
  AcDbEntity* entity = nullptr;
  double x = 0, y = 0, x2 = 0, y2 = 0;
  if (what == "line" && words.size() == 4 && parsePoint(words[2], x, y) && parsePoint(words[3], x2, y2)) {
    entity = new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x2, y2, 0));
  } else if (what == "circle" && words.size() == 4 && parsePoint(words[2], x, y)) {
    entity = new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, std::strtod(words[3].c_str(), nullptr));
  } else if (what == "point" && words.size() == 3 && parsePoint(words[2], x, y)) {
    entity = new AcDbPoint(AcGePoint3d(x, y, 0));
  } else if (what == "text" && words.size() == 5 && parsePoint(words[2], x, y)) {
    auto* text = new AcDbText(AcGePoint3d(x, y, 0), wide(words[4]).c_str());
    text->setHeight(std::strtod(words[3].c_str(), nullptr));
    entity = text;
  } else if (what == "polyline" && words.size() >= 4) {
    auto* pline = new AcDbPolyline;
    bool ok = true;
    unsigned int n = 0;
    for (std::size_t i = 2; i < words.size() && ok; ++i) {
      if (lower(words[i]) == "closed" && i + 1 == words.size()) {
        pline->setClosed(true);
      } else if (parsePoint(words[i], x, y)) {
        pline->addVertexAt(n++, AcGePoint2d(x, y));
      } else {
        ok = false;
      }
    }
    if (ok && n >= 2) {
      entity = pline;
    } else {
      delete pline;
    }
  }
  if (!entity) {
    reason = "add line|circle|point|text|polyline with points written X,Y";
    return false;
  }
  if (!acad_->docManager().curDocument()) {
    delete entity;
    reason = "no drawing is open";
    return false;
  }
  // The user draws with the drawing locked, as inside a command.
  AcAxDocLock lock;
  entity->setDatabaseDefaults(&drawing());
  AcDbBlockTable* blocks = nullptr;
  AcDbBlockTableRecord* modelSpace = nullptr;
  if (drawing().getBlockTable(blocks, AcDb::kForRead) != Acad::eOk) {
    delete entity;
    reason = "the drawing has no block table";
    return false;
  }
  const Acad::ErrorStatus es = blocks->getAt(ACDB_MODEL_SPACE, modelSpace, AcDb::kForWrite);
  blocks->close();
  if (es != Acad::eOk) {
    delete entity;
    reason = "the drawing has no model space";
    return false;
  }
  AcDbObjectId id;
  if (modelSpace->appendAcDbEntity(id, entity) != Acad::eOk) {
    delete entity;
    modelSpace->close();
    reason = "the entity was not added";
    return false;
  }
  if (!layer.empty()) {
    AcDbLayerTable* layers = nullptr;
    if (entity->setLayer(layer.c_str()) == Acad::eKeyNotFound &&
        drawing().getLayerTable(layers, AcDb::kForWrite) == Acad::eOk) {
      auto* record = new AcDbLayerTableRecord;
      record->setName(layer.c_str());
      if (layers->add(record) == Acad::eOk) record->close(); else delete record;
      layers->close();
      entity->setLayer(layer.c_str());
    }
  }
  entity->close();
  modelSpace->close();
  return true;
}

bool DeskSession::stepView(const Words& w, std::string& reason) {
  // view centre X,Y height H | view screen WIDTH HEIGHT
  const std::string what = w.size() > 1 ? lower(w[1]) : "";
  double x = 0, y = 0;
  if (what == "centre" && w.size() == 5 && parsePoint(w[2], x, y) && lower(w[3]) == "height") {
    acad_->view().set(AcGePoint2d(x, y), std::strtod(w[4].c_str(), nullptr));
    return true;
  }
  long long width = 0, height = 0;
  if (what == "screen" && w.size() == 4 && parseInt(w[2], width) && parseInt(w[3], height)) {
    acad_->view().setScreenSize(static_cast<int>(width), static_cast<int>(height));
    return true;
  }
  reason = "view centre X,Y height H | view screen WIDTH HEIGHT";
  return false;
}

bool DeskSession::stepHost(const Words& w, std::string& reason) {
  const std::string what = w.size() > 1 ? lower(w[1]) : "";
  if (what == "install") {
    // host install [version N] [version-as-string] [no-run-path]
    host::InstallOptions options;
    for (std::size_t i = 2; i < w.size(); ++i) {
      long long n = 0;
      if (lower(w[i]) == "version" && i + 1 < w.size() && parseInt(w[i + 1], n)) {
        options.version = static_cast<std::uint32_t>(n);
        ++i;
      } else if (lower(w[i]) == "version-as-string") {
        options.versionAsString = true;
      } else if (lower(w[i]) == "no-run-path") {
        options.writeRunPath = false;
      } else {
        reason = "host install [version N] [version-as-string] [no-run-path]";
        return false;
      }
    }
    if (host::HostInstaller::install(options) != ERROR_SUCCESS) {
      reason = "the host could not be installed";
      return false;
    }
    return true;
  }
  if (what == "uninstall") {
    host::HostInstaller::uninstall();
    return true;
  }
  if (what == "start") {
    // A host that was never installed is installed first, as its user would have done.
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, host::kInstallKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
    } else {
      host::HostInstaller::install(host::InstallOptions{});
    }
    if (!host_) host_ = std::make_unique<host::HostApp>(*desktop_);
    if (!host_->start()) {
      reason = "the host did not start";
      return false;
    }
    return true;
  }
  if (!host_) {
    reason = "the host was never started";
    return false;
  }
  host::HostUser user(*host_);
  if (what == "stop") {
    host_->stop();
    return true;
  }
  if (what == "press-button") {
    if (!user.pressPluginButton()) {
      reason = "the host shows no plug-in button";
      return false;
    }
    return true;
  }
  if ((what == "click" || what == "click-at") && w.size() == 4) {
    const double a = std::strtod(w[2].c_str(), nullptr);
    const double b = std::strtod(w[3].c_str(), nullptr);
    const bool ok = what == "click" ? user.clickMapPoint(host::GeoPoint{a, b}) : user.clickMapPointAt(host::PlanePoint{a, b});
    if (!ok) {
      reason = "the host was not waiting for a map point";
      return false;
    }
    return true;
  }
  if (what == "system" && w.size() >= 3) {
    if (lower(w[2]) == "geographic") {
      user.chooseGeographic();
      return true;
    }
    long long width = 0;
    long long zone = 0;
    if (lower(w[2]) == "gk" && w.size() >= 5 && parseInt(w[3], width) && parseInt(w[4], zone) &&
        user.chooseGaussKrueger(static_cast<int>(width), static_cast<int>(zone),
                                w.size() >= 6 && lower(w[5]) == "zone-in-easting")) {
      return true;
    }
    reason = "host system geographic | gk 3|6 ZONE [zone-in-easting]";
    return false;
  }
  if (what == "move" && (w.size() == 4 || w.size() == 5)) {
    std::optional<int> level;
    long long n = 0;
    if (w.size() == 5 && parseInt(w[4], n)) level = static_cast<int>(n);
    user.moveMapView(host::GeoPoint{std::strtod(w[2].c_str(), nullptr), std::strtod(w[3].c_str(), nullptr)}, level);
    return true;
  }
  if (what == "fault") return stepHostFault(w, reason);
  if (what == "add" || what == "select" || what == "geojson" || what == "set") return stepHostObjects(w, reason);
  if (what == "dump" && w.size() == 3) {
    // Into the output folder (or the sandbox), like saved drawings: never the working directory.
    const std::filesystem::path file = outputFile(w[2]);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::ofstream f(file, std::ios::binary);
    f << host_->dumpJson();
    if (!f) {
      reason = "cannot write " + w[2];
      return false;
    }
    return true;
  }
  if (what == "show") {
    std::istringstream in(host_->describe());
    std::string line;
    while (std::getline(in, line)) desktop_->transcript().add("host", line);
    return true;
  }
  reason = "unknown host step";
  return false;
}

bool DeskSession::stepHostFault(const Words& w, std::string& reason) {
  // host fault forget-links | refuse-registration | registration-zero | api N | busy | hung |
  //            latency MS | answer CODE VALUE | answer-all VALUE | clear
  const std::string what = w.size() > 2 ? lower(w[2]) : "";
  long long a = 0;
  long long b = 0;
  if (what == "forget-links") host_->forgetLinks();
  else if (what == "refuse-registration") host_->setRegistrationAnswer(host::RegistrationAnswer::Refuse);
  else if (what == "registration-zero") host_->setRegistrationAnswer(host::RegistrationAnswer::Zero);
  else if (what == "api" && w.size() == 4 && parseInt(w[3], a)) host_->setApiVersion(static_cast<std::int32_t>(a));
  else if (what == "busy") host_->setBusy(true);
  else if (what == "hung") host_->setHung(true);
  else if (what == "latency" && w.size() == 4 && parseInt(w[3], a)) host_->setLatency(static_cast<DWORD>(a));
  else if (what == "answer" && w.size() == 5 && parseInt(w[3], a) && parseInt(w[4], b))
    host_->overrideAnswer(static_cast<std::uint16_t>(a), static_cast<std::int32_t>(b));
  else if (what == "answer-all" && w.size() == 4 && parseInt(w[3], a))
    host_->overrideAllAnswers(static_cast<std::int32_t>(a));
  else if (what == "clear") {
    host_->setRegistrationAnswer(host::RegistrationAnswer::LinkNumber);
    host_->setBusy(false);
    host_->setHung(false);
    host_->setLatency(0);
    host_->overrideAllAnswers(std::nullopt);
  } else {
    reason = "unknown host fault";
    return false;
  }
  return true;
}

int runScenario(const Scenario& scenario, const RunOptions& options, std::ostream& out, std::string& reason) {
  std::filesystem::path sandbox = options.sandbox;
  bool temporary = false;
  if (sandbox.empty()) {
    static int counter = 0;
    sandbox = std::filesystem::temp_directory_path() /
              ("vurkarx-desk-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(sandbox);
    temporary = true;
  }
  int result = 0;
  {
    DeskSession session(sandbox, out);
    session.setScenarioFolder(std::filesystem::path(scenario.name).parent_path());
    session.setOutputFolder(options.outDir);
    for (const Step& step : scenario.steps) {
      out << "> " << step.text << "\n";
      std::string why;
      if (!session.run(step, why)) {
        reason = "line " + std::to_string(step.line) + ": " + why;
        result = 1;
        break;
      }
    }
    std::string why;
    if (result == 0 && !session.finish(why)) {
      reason = why;
      result = 1;
    }
  }
  if (temporary) {
    std::error_code ec;
    std::filesystem::remove_all(sandbox, ec);
  }
  return result;
}

}  // namespace desk
