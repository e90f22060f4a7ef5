#include "host/plugin_messenger.h"

#include "host/host_record.h"
#include "host/message_codes.h"
#include "win32/clock.h"
#include "win32/unicode.h"
#include "win32/winuser.h"

namespace host {

void PluginMessenger::registerProgressMessages() {
  mapFileProgress_ = RegisterWindowMessageW(kMapFileProgressName);
  contourProgress_ = RegisterWindowMessageW(kContourProgressName);
}

std::optional<LRESULT> PluginMessenger::send(const std::u16string& pluginClass, std::uint16_t code,
                                             std::vector<std::uint8_t> bytes, std::uint64_t duringRequest,
                                             std::span<const FieldSpec> fields) {
  SentMessageEntry entry;
  entry.time = GetTickCount64();
  entry.code = code;
  entry.name = std::string(pluginMessageName(code));
  entry.message = WM_COPYDATA;
  entry.wParam = kCopyDataWParam;
  entry.target = win32::utf16ToUtf8(pluginClass);
  entry.duringRequest = duringRequest;
  if (!fields.empty()) readFields(fields, ByteReader(bytes), 0, "", entry.fields);
  entry.bytes = std::move(bytes);

  const HWND window = FindWindowW(pluginClass.c_str(), nullptr);
  // Enter the message before sending: the plug-in may answer with a request of its own.
  const std::uint64_t serial = record_.addMessage(std::move(entry));
  if (!window) return std::nullopt;

  SentMessageEntry* sent = record_.message(serial);
  COPYDATASTRUCT cds{};
  cds.dwData = code;
  cds.cbData = static_cast<DWORD>(sent->bytes.size());
  // The window manager hands the receiver its own copy, so the record's bytes stay intact.
  cds.lpData = sent->bytes.empty() ? nullptr : sent->bytes.data();
  const LRESULT r = SendMessageW(window, WM_COPYDATA, kCopyDataWParam, reinterpret_cast<LPARAM>(&cds));
  sent = record_.message(serial);  // the record may have grown during the call
  sent->delivered = true;
  sent->pluginResult = r;
  return r;
}

bool PluginMessenger::postProgress(const std::u16string& pluginClass, UINT message, WPARAM position, LPARAM total,
                                   std::uint64_t duringRequest) {
  SentMessageEntry entry;
  entry.time = GetTickCount64();
  entry.name = message == contourProgress_ ? "ContourProgress" : "MapFileProgress";
  entry.posted = true;
  entry.message = message;
  entry.wParam = position;
  entry.lParam = total;
  entry.target = win32::utf16ToUtf8(pluginClass);
  entry.duringRequest = duringRequest;
  const HWND window = message != 0 ? FindWindowW(pluginClass.c_str(), nullptr) : nullptr;
  entry.delivered = window && PostMessageW(window, message, position, total);
  const bool ok = entry.delivered;
  record_.addMessage(std::move(entry));
  return ok;
}

}  // namespace host
