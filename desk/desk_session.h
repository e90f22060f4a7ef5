// A desk session: the AutoCAD stand-in with the plug-in, on one simulated desktop whose drives
// live in a sandbox folder. It runs scenario steps and prints the transcript of what a person at
// the screen would have seen.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "arx/dxf.h"
#include "scenario.h"
#include "win32/resources.h"

namespace win32 {
class Desktop;
class DesktopScope;
}  // namespace win32
namespace arx {
class AcadApplication;
class AcadScope;
}  // namespace arx

class AcDbDatabase;
class AcDbHostApplicationServices;
class AcDbHostServicesScope;

namespace host {
class HostApp;
}

namespace desk {

class DeskSession {
 public:
  DeskSession(const std::filesystem::path& sandbox, std::ostream& out);
  ~DeskSession();
  DeskSession(const DeskSession&) = delete;
  DeskSession& operator=(const DeskSession&) = delete;

  // Runs one step. False with a one-line reason when the step failed or its expectation did
  // not hold.
  bool run(const Step& step, std::string& reason);
  // The checks at the end of a scenario: every box was answered and no answer is left over.
  bool finish(std::string& reason);

  // Where relative drawing files of the scenario are read from, and where saved ones go.
  void setScenarioFolder(std::filesystem::path folder) { scenarioFolder_ = std::move(folder); }
  void setOutputFolder(std::filesystem::path folder) { outputFolder_ = std::move(folder); }

  win32::Desktop& desktop() { return *desktop_; }
  arx::AcadApplication& acad() { return *acad_; }
  // The current document's drawing (asserts that a document is open).
  AcDbDatabase& drawing();
  // The host map application, or null before "host start".
  host::HostApp* hostApp() { return host_.get(); }
  const std::u16string& pluginPath() const { return pluginPath_; }

 private:
  using Words = std::vector<std::string>;
  bool dispatch(const Words& w, std::string& reason);
  bool stepPlugin(const Words& w, std::string& reason);
  bool stepSet(const Words& w, std::string& reason);
  bool stepExpect(const Words& w, std::string& reason);
  bool stepShow(const Words& w, std::string& reason);
  bool stepWrite(const Words& w, std::string& reason);
  bool stepAnswer(const Words& w, std::string& reason);
  // Steps at the AutoCAD screen (cad_steps.cpp).
  static bool isCadStep(const std::string& verb);
  bool stepCad(const Words& w, std::string& reason);
  bool stepDocument(const Words& w, std::string& reason);
  bool stepHost(const Words& w, std::string& reason);
  bool stepDrawing(const Words& w, std::string& reason);
  bool stepAdd(const Words& w, std::string& reason);
  bool stepView(const Words& w, std::string& reason);
  void replaceDrawing(std::unique_ptr<AcDbDatabase> db, const std::u16string& windowsPath);
  std::filesystem::path fileNearScenario(const std::string& path) const;
  std::filesystem::path outputFile(const std::string& path) const;
  // Reads a DXF drawing named in a step: one saved earlier in the session is found where it was
  // saved, others beside the scenario. Null with a reason when it cannot be read.
  arxdxf::ReadResult readDrawingFile(const std::string& name, std::filesystem::path& file, std::string& reason) const;
  bool stepHostFault(const Words& w, std::string& reason);
  bool stepHostObjects(const Words& w, std::string& reason);  // host_object_steps.cpp
  bool expectEntry(const std::string& channel, const std::string& text, bool present, std::string& reason);
  void note(const std::string& text);
  void installPluginFiles();
  std::filesystem::path hostPath(const std::string& windowsPath);

  std::ostream& out_;
  win32::ResourceTable pluginResources_;
  std::unique_ptr<win32::Desktop> desktop_;
  std::unique_ptr<win32::DesktopScope> desktopScope_;
  std::unique_ptr<arx::AcadApplication> acad_;
  std::unique_ptr<arx::AcadScope> acadScope_;
  // The working database follows AutoCAD's current document.
  std::unique_ptr<AcDbHostApplicationServices> services_;
  std::unique_ptr<AcDbHostServicesScope> servicesScope_;
  // The host map application (created by "host start").
  std::unique_ptr<host::HostApp> host_;
  std::u16string pluginFolder_;
  std::u16string pluginPath_;
  std::map<std::string, std::size_t> cursors_;
  std::filesystem::path scenarioFolder_;
  std::filesystem::path outputFolder_;  // per channel: entries already matched
};

struct RunOptions {
  std::filesystem::path sandbox;  // empty: a fresh temporary folder, removed afterwards
  std::filesystem::path outDir;   // empty: no output files
};

// Runs a scenario and prints its transcript; returns 0 when every step ran and every
// expectation held, otherwise 1 with a one-line reason.
int runScenario(const Scenario& scenario, const RunOptions& options, std::ostream& out, std::string& reason);

}  // namespace desk
