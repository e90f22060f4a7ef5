// Requests on the host's object tree: folders and map objects.
#include <vector>

#include "hostlink/request_catalogue.h"
#include "hostlink/request_head.h"
#include "hostlink/request_layouts.h"
#include "hostlink/requests/main_channel_send.h"
#include "util/byte_io.h"

namespace vurk {

namespace {

constexpr std::uint32_t kRootFolderId = 1;

int SendHeadOnly(HostRequest request, const RequestHeadFields& head) {
  RequestPayload payload(request_head::kSize);
  if (!payload.ok()) return ReportPayloadNotAllocated();
  WriteRequestHead(payload.bytes(), head);
  return SendStatusForm(request, payload.bytes());
}

}  // namespace

int GetObjList(std::uint32_t folderId) {
  RequestHeadFields head;
  head.arg2 = folderId == 0 ? kRootFolderId : folderId;
  return SendHeadOnly(HostRequest::GetObjList, head);
}

int GetObj(std::uint32_t objectId, std::uint8_t flag) {
  RequestHeadFields head;
  head.flag = flag;
  head.arg2 = objectId;
  return SendHeadOnly(HostRequest::GetObj, head);
}

int GetObjTree() {
  RequestHeadFields head;
  head.flag = kObjectTreeFlag;
  return SendHeadOnly(HostRequest::GetObjTree, head);
}

int AddObj(std::uint8_t kind, std::span<const std::uint8_t> record, std::uint32_t parentId, std::uint32_t replaceId,
           std::uint32_t option, std::int32_t* newId) {
  namespace L = add_obj_layout;
  const bool folder = kind == L::kFolderKind && record.size() == L::kFolderRecordSize;
  const bool area = kind == L::kAreaKind && record.size() >= L::kAreaMinimumBody;
  if (!folder && !area) return kInvalidArguments;
  HostLinkRecord* channel = MainChannel();
  if (!channel) return kRegistrationFailed;
  RequestPayload payload(std::uint64_t{L::kRecord} + record.size());
  if (!payload.ok()) return ReportPayloadNotAllocated();
  RequestHeadFields head;
  head.kind = kind;
  head.arg1 = (parentId == 0 && replaceId == 0) ? kRootFolderId : parentId;
  head.arg2 = replaceId;
  head.arg3 = option;
  const auto p = payload.bytes();
  WriteRequestHead(p, head);
  std::copy(record.begin(), record.end(), p.begin() + L::kRecord);
  return SendRequest(*channel, CodeOf(HostRequest::AddObj), p.data(), p.size(), newId, 0);
}

int DelObj(std::span<const std::uint32_t> ids, std::uint32_t flags) {
  namespace L = del_obj_layout;
  if (ids.empty()) return kInvalidArguments;
  RequestPayload payload(std::uint64_t{L::kFirstId} + 4 * std::uint64_t{ids.size()});
  if (!payload.ok()) return ReportPayloadNotAllocated();
  RequestHeadFields head;
  head.arg3 = flags;
  const auto p = payload.bytes();
  WriteRequestHead(p, head);
  for (std::size_t i = 0; i < ids.size(); ++i) putU32le(p, L::kFirstId + 4 * i, ids[i]);
  return SendStatusForm(HostRequest::DelObj, p);
}

int SrhObj(std::span<const std::uint8_t> searchRecord) {
  if (searchRecord.size() != search_record_layout::kSize) return kInvalidArguments;
  RequestPayload payload(search_record_layout::kSize);
  if (!payload.ok()) return ReportPayloadNotAllocated();
  std::copy(searchRecord.begin(), searchRecord.end(), payload.bytes().begin());
  return SendStatusForm(HostRequest::SrhObj, payload.bytes());
}

int SetObjTree(std::vector<std::uint8_t>& stream, bool releaseAfterSending) {
  const int status = stream.empty() ? kInvalidArguments : SendStatusForm(HostRequest::SetObjTree, stream);
  if (releaseAfterSending) std::vector<std::uint8_t>().swap(stream);
  return status;
}

}  // namespace vurk
