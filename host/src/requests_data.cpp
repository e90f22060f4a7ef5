// Requests for data the host generates: contour lines and map files. This host has no
// elevation data and draws no map files yet; it says so in its answers.
#include "host/byte_writer.h"
#include "host/host_app.h"
#include "host/message_layouts.h"
#include "host/object_stream.h"

namespace host {

namespace L = layout;

namespace {
constexpr std::int32_t kElevationDataMissing = -7;
constexpr std::int32_t kNoElevationDownloaded = 0;  // sub-status: nothing downloaded at all
}  // namespace

LRESULT HostApp::onGetContour(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::request_head::kSize + L::contour_request::kSize)) {
    note(req, "no whole contour request in the payload");
    return kNotProcessed;
  }
  fields(req, fields::kRequestHead);
  const std::size_t count = (p.size() - L::request_head::kSize) / L::contour_request::kSize;
  if ((p.size() - L::request_head::kSize) % L::contour_request::kSize != 0) {
    note(req, "bytes after the last whole contour request ignored");
  }
  const std::vector<std::uint8_t> noObjects = writeObjectStream(0, {});
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t base = L::request_head::kSize + i * L::contour_request::kSize;
    fields(req, fields::kContourRequest, base, "request[" + std::to_string(i) + "].");
    postContourProgress(i + 1, static_cast<LPARAM>(count));
    // The answer repeats the request and fills in the outcome.
    ByteWriter w(L::contour_answer::kObjects + noObjects.size());
    w.raw(0, *p.slice(base, L::contour_request::kSize));
    w.i32(L::contour_answer::kSubStatus, kNoElevationDownloaded);
    w.i32(L::contour_answer::kStatus, kElevationDataMissing);
    w.u32(L::contour_answer::kObjectCount, 0);
    w.raw(L::contour_answer::kObjects, noObjects);
    answer(req, PluginMessage::ContourAnswer, w.take());
  }
  note(req, "no elevation data downloaded in this host");
  return 0;
}

LRESULT HostApp::onGetMapFile(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::request_head::kSize)) {
    note(req, "payload shorter than the 16-byte head");
    return kNotProcessed;
  }
  fields(req, fields::kRequestHead);
  const std::size_t count = (p.size() - L::request_head::kSize) / L::map_file_request::kSize;
  for (std::size_t i = 0; i < count; ++i) {
    fields(req, fields::kMapFileRequest, L::request_head::kSize + i * L::map_file_request::kSize,
           "file[" + std::to_string(i) + "].");
  }
  note(req, "this host draws no map files yet");
  return kNotProcessed;
}

}  // namespace host
