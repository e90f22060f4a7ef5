#include "arx/acad_app.h"

#include <algorithm>
#include <cassert>

#include "arx/acdocman.h"
#include "arx/aced.h"
#include "arx/acutads.h"
#include "arx/cad_commands.h"
#include "win32/case_fold.h"
#include "win32/desktop.h"
#include "win32/winuser.h"
#include "mfc/afxwin.h"

namespace arx {

namespace {

AcadApplication* g_current = nullptr;

std::u16string upper(const std::u16string& s) { return win32::upcaseName(s); }

std::u16string withoutExtension(const std::u16string& fileName) {
  const std::size_t dot = fileName.rfind(u'.');
  return dot == std::u16string::npos ? fileName : fileName.substr(0, dot);
}

// Makes an application and its desktop current for a scope (teardown runs outside the
// session's own scopes).
class SelfScope {
 public:
  explicit SelfScope(AcadApplication& app) : desktop_(app.desktop()), acad_(app) {}

 private:
  win32::DesktopScope desktop_;
  AcadScope acad_;
};

}  // namespace

std::u16string fileNameOf(const std::u16string& path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

bool namesApplication(const std::u16string& path, const std::u16string& query) {
  if (query.empty()) return false;
  if (win32::equalsNoCase(path, query)) return true;
  const std::u16string file = fileNameOf(path);
  return win32::equalsNoCase(file, query) || win32::equalsNoCase(withoutExtension(file), query);
}

struct AcadApplication::LoadedApp {
  std::u16string path;
  const ModuleImage* image = nullptr;
  HINSTANCE instance = nullptr;
  std::unique_ptr<AppPacket> packet;
  bool locked = true;  // applications start locked; unlockApplication allows unloading
  bool mdiAware = false;
};

AcadApplication::AcadApplication(win32::Desktop& desktop)
    : desktop_(desktop), dynamicLinker_(std::make_unique<AcRxDynamicLinker>(*this)) {
  exeInstance_ = desktop_.registerModule(kExePath);
  mfcState_ = std::make_unique<mfc::AppState>(exeInstance_);
  sysRegistry_.atPut(ACRX_DYNAMIC_LINKER, dynamicLinker_.get());
  sysVars_.defineStandardVariables();
  defineViewVariables();
  commandStack_.setOwnerSource([this] { return servedModule(); });
  editor_ = std::make_unique<Editor>(*this);
  commands_ = std::make_unique<CommandProcessor>(*this);
  docManager_ = std::make_unique<AcApDocManager>(*this);
  view_.addListener([this] { editor_->fireViewChanged(); });
  moduleAvailable_[upper(u"acISMobj24.dbx")] = true;
  moduleAvailable_[upper(u"AcGeomentObj.dbx")] = true;
  createMainWindow();
}

void AcadApplication::defineViewVariables() {
  // The view of a plan view of model space in the one tiled viewport.
  sysVars_.defineComputed(u"VIEWCTR", RT3DPOINT, [this] {
    return SysVarValue::point3d(view_.centre().x, view_.centre().y, 0.0);
  });
  sysVars_.defineComputed(u"VIEWSIZE", RTREAL, [this] { return SysVarValue::realValue(view_.height()); });
  sysVars_.defineComputed(u"SCREENSIZE", RTPOINT, [this] {
    return SysVarValue::point2d(view_.screenWidth(), view_.screenHeight());
  });
  sysVars_.define(u"VIEWMODE", SysVarValue::shortValue(0), true);
  sysVars_.define(u"TILEMODE", SysVarValue::shortValue(1), true);
  sysVars_.define(u"CVPORT", SysVarValue::shortValue(2), true);
  sysVars_.define(u"LENSLENGTH", SysVarValue::realValue(50.0), true);
  sysVars_.define(u"VIEWTWIST", SysVarValue::realValue(0.0), true);
  sysVars_.define(u"FRONTZ", SysVarValue::realValue(0.0), true);
  sysVars_.define(u"BACKZ", SysVarValue::realValue(0.0), true);
  sysVars_.define(u"TARGET", SysVarValue::point3d(0.0, 0.0, 0.0), true);
  sysVars_.define(u"VIEWDIR", SysVarValue::point3d(0.0, 0.0, 1.0), true);
}

AcadApplication::~AcadApplication() {
  {
    SelfScope scope(*this);
    while (!apps_.empty()) unload(*apps_.back(), true);
    if (mainFrame_) {
      mfcState_->setMainWnd(nullptr);
      mainFrame_->DestroyWindow();
      mainFrame_.reset();
    }
    mfcState_->deleteTemporaryObjects();
    desktop_.unregisterModule(exeInstance_);
  }
  assert(g_current != this && "an AutoCAD application is destroyed while it is still current");
}

void AcadApplication::createMainWindow() {
  SelfScope scope(*this);
  WNDCLASSW wc{};
  wc.lpfnWndProc = AfxWndProc;
  wc.hInstance = exeInstance_;
  wc.lpszClassName = kMainFrameClass;
  const bool registered = AfxRegisterClass(&wc) != FALSE;
  assert(registered && "the main frame's window class could not be registered");
  mainFrame_ = std::make_unique<CWnd>();
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE | WS_MAXIMIZE;
  if (registered && mainFrame_->CreateEx(0, kMainFrameClass, kDefaultTitle, style, 0, 0, desktop_.screenWidth(),
                                         desktop_.screenHeight(), nullptr, nullptr)) {
    mainWindow_ = mainFrame_->m_hWnd;
    mfcState_->setMainWnd(mainFrame_.get());
  } else {
    assert(false && "the main frame window could not be created");
    mainFrame_.reset();
  }
}

AcadApplication& AcadApplication::current() {
  assert(g_current && "no AutoCAD application is installed; create one and an AcadScope");
  return *g_current;
}

AcadApplication* AcadApplication::currentOrNull() { return g_current; }

CWnd* AcadApplication::mainFrame() const { return mainFrame_.get(); }

bool AcadApplication::setMainWindowTitle(const std::u16string& title) {
  if (!mainWindow_) return false;
  win32::DesktopScope scope(desktop_);
  return SetWindowTextW(mainWindow_, title.c_str()) != FALSE;
}

std::u16string AcadApplication::mainWindowTitle() const {
  if (!mainWindow_) return {};
  win32::DesktopScope scope(desktop_);
  const int length = GetWindowTextLengthW(mainWindow_);
  if (length <= 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  const int got = GetWindowTextW(mainWindow_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return text;
}

// ----- ARX applications

void AcadApplication::registerModuleImage(ModuleImage image) {
  std::erase_if(images_, [&](const ModuleImage& m) { return win32::equalsNoCase(m.fileName, image.fileName); });
  images_.push_back(std::move(image));
}

const ModuleImage* AcadApplication::findImage(const std::u16string& windowsPath) const {
  const std::u16string file = fileNameOf(windowsPath);
  for (const auto& m : images_) {
    if (win32::equalsNoCase(m.fileName, file)) return &m;
  }
  return nullptr;
}

AcadApplication::LoadedApp* AcadApplication::findApp(const std::u16string& name) const {
  for (const auto& a : apps_) {
    if (namesApplication(a->path, name)) return a.get();
  }
  return nullptr;
}

AcadApplication::LoadedApp* AcadApplication::findAppByPacket(const void* appId) const {
  if (!appId) return nullptr;
  for (const auto& a : apps_) {
    if (a->packet.get() == appId) return a.get();
  }
  return nullptr;
}

AcRx::AppRetCode AcadApplication::deliver(LoadedApp& app, AcRx::AppMsgCode msg, void* pkt) {
  AcRxEntryPointFn entry = app.image->entryPoint;
  served_.push_back(app.instance);
  const AcRx::AppRetCode rc = entry(msg, pkt);
  served_.pop_back();
  return rc;
}

bool AcadApplication::loadApplication(const std::u16string& windowsPath) {
  const ModuleImage* image = findImage(windowsPath);
  if (!image || !image->entryPoint) return false;
  if (findApp(fileNameOf(windowsPath))) return false;  // a module of that name is loaded already

  auto app = std::make_unique<LoadedApp>();
  app->path = windowsPath;
  app->image = image;
  app->instance = desktop_.registerModule(windowsPath, image->resources);
  app->packet = std::make_unique<AppPacket>(AppPacket{app->instance, windowsPath});
  LoadedApp* raw = app.get();
  apps_.push_back(std::move(app));

  if (image->dllMain) image->dllMain(raw->instance, kDllProcessAttach);
  const AcRx::AppRetCode rc = deliver(*raw, AcRx::kInitAppMsg, raw->packet.get());
  if (rc == AcRx::kRetError) {
    // AutoCAD unloads a module that refused to initialise, without kUnloadAppMsg.
    if (image->dllMain) image->dllMain(raw->instance, kDllProcessDetach);
    std::erase_if(lispFunctions_, [raw](const auto& kv) { return kv.second.owner == raw->instance; });
    desktop_.unregisterModule(raw->instance);
    std::erase_if(apps_, [raw](const auto& a) { return a.get() == raw; });
    return false;
  }
  appNames_.insert(upper(withoutExtension(fileNameOf(windowsPath))));
  return true;
}

bool AcadApplication::unload(LoadedApp& app, bool force) {
  if (app.locked && !force) return false;
  const AcRx::AppRetCode rc = deliver(app, AcRx::kUnloadAppMsg, app.packet.get());
  if (rc == AcRx::kRetError && !force) return false;
  if (app.image->dllMain) app.image->dllMain(app.instance, kDllProcessDetach);
  const HINSTANCE instance = app.instance;
  std::erase_if(lispFunctions_, [instance](const auto& kv) { return kv.second.owner == instance; });
  appNames_.erase(upper(withoutExtension(fileNameOf(app.path))));
  desktop_.unregisterModule(instance);
  std::erase_if(apps_, [&app](const auto& a) { return a.get() == &app; });
  return true;
}

bool AcadApplication::unloadApplication(const std::u16string& name) {
  LoadedApp* app = findApp(name);
  return app && unload(*app, false);
}

bool AcadApplication::isLoaded(const std::u16string& name) const { return findApp(name) != nullptr; }

std::vector<std::u16string> AcadApplication::loadedApplications() const {
  std::vector<std::u16string> out;
  for (const auto& a : apps_) out.push_back(a->path);
  return out;
}

HINSTANCE AcadApplication::applicationInstance(const std::u16string& name) const {
  const LoadedApp* app = findApp(name);
  return app ? app->instance : nullptr;
}

std::optional<AcRx::AppRetCode> AcadApplication::sendAppMessage(const std::u16string& name, AcRx::AppMsgCode msg) {
  LoadedApp* app = findApp(name);
  if (!app) return std::nullopt;
  return deliver(*app, msg, app->packet.get());
}

std::optional<AcRx::AppRetCode> AcadApplication::sendAppMessage(const std::u16string& name, AcRx::AppMsgCode msg,
                                                                void* pkt) {
  LoadedApp* app = findApp(name);
  if (!app) return std::nullopt;
  return deliver(*app, msg, pkt);
}

HINSTANCE AcadApplication::packetInstance(const void* appId) const {
  const LoadedApp* app = findAppByPacket(appId);
  return app ? app->instance : nullptr;
}

HINSTANCE AcadApplication::servedModule() const { return served_.empty() ? nullptr : served_.back(); }

// ----- dynamic linker state

bool AcadApplication::setApplicationUnlocked(const void* appId, bool unlocked) {
  LoadedApp* app = findAppByPacket(appId);
  if (!app) return false;
  app->locked = !unlocked;
  return true;
}

bool AcadApplication::setApplicationMDIAware(const void* appId, bool aware) {
  LoadedApp* app = findAppByPacket(appId);
  if (!app) return false;
  app->mdiAware = aware;
  return true;
}

bool AcadApplication::isApplicationLocked(const std::u16string& name) const {
  const LoadedApp* app = findApp(name);
  return app && app->locked;
}

bool AcadApplication::isApplicationMDIAware(const std::u16string& name) const {
  const LoadedApp* app = findApp(name);
  return app && app->mdiAware;
}

void AcadApplication::setModuleAvailable(const std::u16string& fileName, bool available) {
  moduleAvailable_[upper(fileNameOf(fileName))] = available;
}

bool AcadApplication::isModuleAvailable(const std::u16string& fileName) const {
  auto it = moduleAvailable_.find(upper(fileNameOf(fileName)));
  return it != moduleAvailable_.end() && it->second;
}

bool AcadApplication::loadModule(const std::u16string& fileName) {
  if (fileName.empty() || !isModuleAvailable(fileName)) return false;
  ++moduleLoads_[upper(fileNameOf(fileName))];
  return true;
}

bool AcadApplication::unloadModule(const std::u16string& fileName) {
  auto it = moduleLoads_.find(upper(fileNameOf(fileName)));
  if (it == moduleLoads_.end()) return false;
  if (--it->second == 0) moduleLoads_.erase(it);
  return true;
}

int AcadApplication::moduleLoadCount(const std::u16string& fileName) const {
  auto it = moduleLoads_.find(upper(fileNameOf(fileName)));
  return it == moduleLoads_.end() ? 0 : it->second;
}

// ----- application names

void AcadApplication::registerAppName(const std::u16string& appName) {
  if (!appName.empty()) appNames_.insert(upper(appName));
}

bool AcadApplication::unregisterAppName(const std::u16string& appName) { return appNames_.erase(upper(appName)) != 0; }

bool AcadApplication::isAppNameRegistered(const std::u16string& appName) const {
  return appNames_.count(upper(appName)) != 0;
}

// ----- LISP functions

int AcadApplication::defineLispFunction(const ACHAR* name, int funcCode) {
  if (!name || !*name || funcCode < 0 || served_.empty()) return RTERROR;
  lispFunctions_[upper(name)] = LispFunction{name, funcCode, served_.back()};
  return RTNORM;
}

int AcadApplication::undefineLispFunction(const ACHAR* name, int funcCode) {
  if (!name) return RTERROR;
  auto it = lispFunctions_.find(upper(name));
  if (it == lispFunctions_.end() || it->second.code != funcCode) return RTERROR;
  lispFunctions_.erase(it);
  return RTNORM;
}

bool AcadApplication::isLispFunctionDefined(const std::u16string& name) const {
  return lispFunctions_.count(upper(name)) != 0;
}

std::optional<AcRx::AppRetCode> AcadApplication::invokeLispFunction(const std::u16string& name) {
  auto it = lispFunctions_.find(upper(name));
  if (it == lispFunctions_.end()) return std::nullopt;
  LoadedApp* owner = nullptr;
  for (const auto& a : apps_) {
    if (a->instance == it->second.owner) owner = a.get();
  }
  if (!owner) return std::nullopt;
  const int outer = pendingFunctionCode_;
  pendingFunctionCode_ = it->second.code;
  const AcRx::AppRetCode rc = deliver(*owner, AcRx::kInvkSubrMsg, owner->packet.get());
  pendingFunctionCode_ = outer;
  return rc;
}

// ----- system variables

bool AcadApplication::defineSysVar(const std::u16string& name, SysVarValue initial, bool readOnly,
                                   std::optional<SysVarRange> range) {
  return sysVars_.define(name, std::move(initial), readOnly, range);
}

bool AcadApplication::defineComputedSysVar(const std::u16string& name, int type, SysVarTable::Provider provider) {
  return sysVars_.defineComputed(name, type, std::move(provider));
}

// ----- commands

const AcEdCommand* AcadApplication::findCommand(const std::u16string& name) const {
  if (!name.empty() && name[0] == u'_') return commandStack_.lookupGlobalCmd(name.substr(1).c_str());
  if (name.empty()) return nullptr;
  const AcEdCommand* cmd = commandStack_.lookupLocalCmd(name.c_str());
  return cmd ? cmd : commandStack_.lookupGlobalCmd(name.c_str());
}

int AcadApplication::runCommand(const std::u16string& name) {
  const AcEdCommand* cmd = findCommand(name);
  if (!cmd) {
    acutPrintf(u"\nUnknown command \"%s\".  Press F1 for help.", upper(name).c_str());
    return RTERROR;
  }
  const std::u16string global = upper(cmd->globalName());
  commands_->bracket(global, [this, cmd] {
    runCommandFunction(*cmd);
    return CommandOutcome::kEnded;
  });
  return RTNORM;
}

// The one place a registered command's function runs (inside its bracket).
void AcadApplication::runCommandFunction(const AcEdCommand& cmd) {
  // The command may remove itself (unloading its application): keep what is needed.
  const AcRxFunctionPtr fn = cmd.functionAddr();
  const HINSTANCE owner = cmd.ownerModule();
  const std::u16string global = upper(cmd.globalName());
  const std::u16string outer = activeCommand_;
  activeCommand_ = global;
  sysVars_.setValue(u"CMDNAMES", SysVarValue::stringValue(outer.empty() ? global : outer + u"'" + global));
  served_.push_back(owner);
  fn();
  served_.pop_back();
  activeCommand_ = outer;
  sysVars_.setValue(u"CMDNAMES", SysVarValue::stringValue(outer));
}

// ----- scope

AcadScope::AcadScope(AcadApplication& app) : previous_(g_current) {
  g_current = &app;
  previousMfc_ = mfc::AppState::install(&app.mfcState());
}

AcadScope::~AcadScope() {
  mfc::AppState::install(previousMfc_);
  g_current = previous_;
}

}  // namespace arx

// ----- free functions of the current application

AcRxDictionary* acrxSysRegistry() { return &arx::AcadApplication::current().sysRegistry(); }

AcEdCommandStack* arx::currentCommandStack() { return &arx::AcadApplication::current().commandStack(); }

AcGsConfig* acgsGetConfig() { return &arx::AcadApplication::current().gsConfig(); }

CWnd* acedGetAcadFrame() { return arx::AcadApplication::current().mainFrame(); }

HWND adsw_acadMainWnd() { return arx::AcadApplication::current().mainWindow(); }
