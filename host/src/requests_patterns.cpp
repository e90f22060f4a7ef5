// Requests on the hatch pattern list.
#include "host/host_app.h"

namespace host {

LRESULT HostApp::onGetPatternList(Request& req) {
  answer(req, PluginMessage::PatternList, patterns_.writeList());
  return 0;
}

LRESULT HostApp::onSetPatternList(Request& req) {
  std::string why;
  std::size_t trailing = 0;
  const auto list = readPatternList(req.payload.bytes(), &why, &trailing);
  if (!list) {
    note(req, why);
    return kNotProcessed;
  }
  if (trailing != 0) note(req, std::to_string(trailing) + " bytes after the last entry ignored");
  for (std::size_t i = 0; i < list->size(); ++i) {
    const std::string prefix = "pattern[" + std::to_string(i) + "].";
    field(req, prefix + "name", (*list)[i].name);
    field(req, prefix + "id", std::uint64_t{(*list)[i].id});
    field(req, prefix + "lineCount", static_cast<std::uint64_t>((*list)[i].lines.size()));
  }
  const std::size_t added = patterns_.merge(*list);
  note(req, std::to_string(added) + " patterns added");
  return static_cast<LRESULT>(added);
}

}  // namespace host
