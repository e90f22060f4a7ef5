// The desk's `send` verb.
#include "send_command.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "arx/dbdatabase.h"
#include "arx/dbsymtb.h"
#include "desk_session.h"
#include "host/host_app.h"
#include "host/object_store.h"
#include "scenario.h"
#include "count_command.h"
#include "scratch_folder.h"

namespace desk {

namespace {

struct Options {
  std::string drawing;
  std::string geojsonOut;
  std::string coords = "gk 3 38";
};

bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--out" && hasValue) {
      o.geojsonOut = args[++i];
    } else if (a == "--coords" && hasValue) {
      o.coords = args[++i];
    } else if (o.drawing.empty() && a.rfind("--", 0) != 0) {
      o.drawing = a;
    } else {
      error = "unexpected argument " + a;
      return false;
    }
  }
  if (o.drawing.empty()) error = "no drawing given";
  return !o.drawing.empty();
}


std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// A reason on one line (a message box's text may span several).
std::string OneLine(std::string s) {
  std::replace(s.begin(), s.end(), '\n', ' ');
  return s;
}

}  // namespace

int runSendCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options o;
  std::string error;
  if (!ParseOptions(args, o, error)) {
    err << "vurkarx-desk: send: " << error << "\n";
    return 2;
  }
  const std::filesystem::path drawing = std::filesystem::absolute(o.drawing);
  if (!std::filesystem::is_regular_file(drawing)) {
    err << "vurkarx-desk: send: no drawing file " << o.drawing << "\n";
    return 1;
  }
  const std::string name = drawing.filename().string();
  const std::string script = "host start\nhost system " + o.coords + "\nmkdir C:\\drawings\ndrawing open " +
                             Quoted(drawing.string()) + " as " + Quoted("C:\\drawings\\" + name) +
                             "\nplugin load\nselect all\ntoolbar press 32768\nwait 100\n";
  Scenario scenario;
  if (!parseScenario(script, scenario, error)) {
    err << "vurkarx-desk: send: " << error << "\n";
    return 2;
  }
  ScratchFolder scratch("send");
  std::ostringstream transcript;
  DeskSession session(scratch.path(), transcript);
  for (const Step& step : scenario.steps) {
    std::string why;
    if (!session.run(step, why)) {
      err << "vurkarx-desk: send: " << step.text << ": " << OneLine(why) << "\n";
      return 1;
    }
  }
  std::string why;
  if (!session.finish(why)) {
    err << "vurkarx-desk: send: " << OneLine(why) << "\n";
    return 1;
  }
  const host::HostApp* hostApp = session.hostApp();
  long objects = 0;
  long folders = 0;
  for (const host::MapObject* m : hostApp->objects().inTreeOrder()) {
    (m->kind == host::RecordKind::Folder ? folders : objects) += 1;
  }
  const long entities = static_cast<long>(modelSpaceIds(session.drawing()).length());
  if (entities > 0 && objects == 0) {
    err << "vurkarx-desk: send: the host received no map object from " << name << "\n";
    return 1;
  }
  if (!o.geojsonOut.empty()) {
    std::ofstream f(o.geojsonOut, std::ios::binary);
    f << hostApp->geoJson();
    if (!f) {
      err << "vurkarx-desk: send: cannot write " << o.geojsonOut << "\n";
      return 1;
    }
  }
  out << "sent\tentities " << entities << "\tobjects " << objects << "\tfolders " << folders << '\n';
  return 0;
}

}  // namespace desk
