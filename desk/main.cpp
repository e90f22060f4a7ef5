// vurkarx-desk: AutoCAD with the VurkArx plug-in and the host map application on one
// simulated desktop, driven by a scenario.
//
//   vurkarx-desk tour [--out DIR]
//   vurkarx-desk run SCENARIO [--sandbox DIR] [--out DIR]
//   vurkarx-desk count DRAWING.dxf
//   vurkarx-desk encode DRAWING.dxf [--map-scale S] [--out FILE.json] [--raw FILE]
//   vurkarx-desk send DRAWING.dxf [--out FILE.geojson] [--coords SYSTEM]
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "count_command.h"
#include "desk_session.h"
#include "encode_command.h"
#include "scenario.h"
#include "send_command.h"

namespace {

int usage() {
  std::cerr << "usage: vurkarx-desk tour [--out DIR]\n"
               "       vurkarx-desk run SCENARIO [--sandbox DIR] [--out DIR]\n"
               "       vurkarx-desk count DRAWING.dxf\n"
               "       vurkarx-desk encode DRAWING.dxf [--map-scale S] [--out FILE.json] [--raw FILE]\n"
               "       vurkarx-desk send DRAWING.dxf [--out FILE.geojson] [--coords SYSTEM]\n";
  return 2;
}

int runFile(const std::string& path, const desk::RunOptions& options) {
  desk::Scenario scenario;
  std::string error;
  if (!desk::loadScenario(path, scenario, error)) {
    std::cerr << "vurkarx-desk: " << error << "\n";
    return 2;
  }
  std::ostringstream transcript;
  std::string reason;
  // The transcript goes to the terminal as it happens and, with --out, into a file.
  struct Tee : std::streambuf {
    std::streambuf* a;
    std::streambuf* b;
    int overflow(int c) override {
      if (c == EOF) return 0;
      a->sputc(static_cast<char>(c));
      b->sputc(static_cast<char>(c));
      return c;
    }
  } tee;
  tee.a = std::cout.rdbuf();
  tee.b = transcript.rdbuf();
  std::ostream out(&tee);
  const int rc = desk::runScenario(scenario, options, out, reason);
  out.flush();
  if (!options.outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    std::ofstream(options.outDir / "transcript.txt", std::ios::binary) << transcript.str();
  }
  if (rc != 0) {
    std::cout << "FAILED: " << reason << "\n";
    std::cerr << "vurkarx-desk: " << path << ": " << reason << "\n";
  } else {
    std::cout << "scenario passed\n";
  }
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string verb = argv[1];
  if (verb == "count") return argc == 3 ? desk::runCountCommand(argv[2], std::cout, std::cerr) : usage();
  if (verb == "encode") return desk::runEncodeCommand({argv + 2, argv + argc}, std::cout, std::cerr);
  if (verb == "send") return desk::runSendCommand({argv + 2, argv + argc}, std::cout, std::cerr);
  desk::RunOptions options;
  std::string scenarioPath;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    if ((a == "--out" || a == "--sandbox") && i + 1 < argc) {
      (a == "--out" ? options.outDir : options.sandbox) = argv[++i];
    } else if (verb == "run" && scenarioPath.empty() && a.rfind("--", 0) != 0) {
      scenarioPath = a;
    } else {
      return usage();
    }
  }
  if (verb == "tour") {
    if (!options.sandbox.empty()) return usage();
    return runFile(std::string(VURKARX_EXAMPLES_DIR) + "/tour.scn", options);
  }
  if (verb == "run" && !scenarioPath.empty()) return runFile(scenarioPath, options);
  return usage();
}
