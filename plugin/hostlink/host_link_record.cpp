#include "hostlink/host_link_record.h"

#include <algorithm>
#include <cassert>

#include "win32/winuser.h"

namespace vurk {

namespace {
std::unique_ptr<HostLink> g_hostLink;  // process-wide from start-up to unload
}

void SetPluginName(HostLinkRecord& record, std::u16string_view name) {
  const std::size_t cut = name.find(u'\0');
  if (cut != std::u16string_view::npos) name = name.substr(0, cut);
  const std::size_t n = std::min(name.size(), HostLinkRecord::kNameUnits - 1);
  std::fill(std::begin(record.pluginName), std::end(record.pluginName), u'\0');
  std::copy_n(name.begin(), n, record.pluginName);
}

std::u16string_view PluginNameOf(const HostLinkRecord& record) {
  std::size_t n = 0;
  while (n < HostLinkRecord::kNameUnits && record.pluginName[n] != u'\0') ++n;
  return std::u16string_view(record.pluginName, n);
}

HostLink::HostLink(std::u16string_view pluginName)
    : mapFileProgress_(RegisterWindowMessageW(u"V_URK_API_MSG_GET_MAP_FILE_PROGRESS")),
      contourProgress_(RegisterWindowMessageW(u"V_URK_API_MSG_GET_CONTOUR_LINE_PROGRESS")) {
  SetPluginName(main_, pluginName);
}

void StartHostLink(std::u16string_view pluginName) { g_hostLink = std::make_unique<HostLink>(pluginName); }
std::unique_ptr<HostLink> StopHostLink() { return std::move(g_hostLink); }
HostLink* CurrentHostLink() { return g_hostLink.get(); }

HostLink& RequireHostLink() {
  assert(g_hostLink && "the host link is used before start-up or after unload");
  return *g_hostLink;
}

NotificationRoutes& Routes() { return RequireHostLink().routes(); }
HostAnswers& Answers() { return RequireHostLink().answers(); }
NotificationFlags& Flags() { return RequireHostLink().flags(); }

}  // namespace vurk
