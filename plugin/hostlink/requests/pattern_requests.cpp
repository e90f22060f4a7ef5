// Requests about hatch patterns.
#include "hostlink/request_catalogue.h"
#include "hostlink/requests/main_channel_send.h"

namespace vurk {

int GetPatternList() { return SendStatusForm(HostRequest::GetPatternList, {}); }

int SetPatternList(PatternList& list) {
  const std::vector<std::uint8_t> bytes = EncodePatternList(list);
  const int status = SendStatusForm(HostRequest::SetPatternList, bytes);
  ReleasePatternList(list);
  return status;
}

}  // namespace vurk
