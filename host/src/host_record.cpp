#include "host/host_record.h"

#include <charconv>
#include <cmath>
#include <type_traits>

#include "host/json_writer.h"

namespace host {

const RecordedField* RequestEntry::field(std::string_view fieldName) const {
  for (const RecordedField& f : fields) {
    if (f.name == fieldName) return &f;
  }
  return nullptr;
}

std::uint64_t HostRecord::beginRequest(std::uint64_t time, std::uint16_t code, std::string name, std::int32_t link,
                                       std::uint64_t nestedIn, std::vector<std::uint8_t> payload) {
  RequestEntry e;
  e.serial = requests_.size() + 1;
  e.time = time;
  e.code = code;
  e.name = std::move(name);
  e.link = link;
  e.nestedIn = nestedIn;
  e.payload = std::move(payload);
  requests_.push_back(std::move(e));
  return requests_.back().serial;
}

RequestEntry* HostRecord::request(std::uint64_t serial) {
  if (serial == 0 || serial > requests_.size()) return nullptr;
  return &requests_[serial - 1];
}

void HostRecord::finishRequest(std::uint64_t serial, std::int64_t result) {
  if (RequestEntry* e = request(serial)) {
    e->result = result;
    e->finished = true;
  }
}

std::uint64_t HostRecord::addMessage(SentMessageEntry entry) {
  entry.serial = messages_.size() + 1;
  entry.afterRequest = requests_.size();
  messages_.push_back(std::move(entry));
  return messages_.back().serial;
}

SentMessageEntry* HostRecord::message(std::uint64_t serial) {
  if (serial == 0 || serial > messages_.size()) return nullptr;
  return &messages_[serial - 1];
}

const RequestEntry* HostRecord::lastRequest(std::uint16_t code) const {
  for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
    if (it->code == code) return &*it;
  }
  return nullptr;
}

std::size_t HostRecord::countRequests(std::uint16_t code) const {
  std::size_t n = 0;
  for (const RequestEntry& e : requests_) n += e.code == code ? 1 : 0;
  return n;
}

std::vector<const SentMessageEntry*> HostRecord::messagesDuring(std::uint64_t requestSerial) const {
  std::vector<const SentMessageEntry*> out;
  for (const SentMessageEntry& m : messages_) {
    if (m.duringRequest == requestSerial) out.push_back(&m);
  }
  return out;
}

std::string fieldText(const FieldValue& value) {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>) {
          return "\"" + v + "\"";
        } else if constexpr (std::is_same_v<T, double>) {
          if (!std::isfinite(v)) return std::isnan(v) ? "nan" : (v > 0 ? "inf" : "-inf");
          char buf[40];
          const auto r = std::to_chars(buf, buf + sizeof buf, v);
          return std::string(buf, r.ptr);
        } else {
          return std::to_string(v);
        }
      },
      value);
}

void writeFieldsJson(JsonWriter& json, const std::vector<RecordedField>& fields) {
  json.beginArray();
  for (const RecordedField& f : fields) {
    json.beginObject();
    json.key("name").value(f.name);
    json.key("value");
    std::visit([&json](const auto& v) { json.value(v); }, f.value);
    json.endObject();
  }
  json.endArray();
}

std::string HostRecord::describe() const {
  std::string out;
  for (const RegistrationEntry& r : registrations_) {
    out += "registration \"" + r.pluginName + "\" -> " + std::to_string(r.answer) + "\n";
  }
  std::size_t nextMessage = 0;
  // A message stands after the request it answered, or, when the host sent it on its own
  // account (a click, a button press), after the last request made before it.
  auto position = [](const SentMessageEntry& m) { return m.duringRequest != 0 ? m.duringRequest : m.afterRequest; };
  auto flushMessages = [&](std::uint64_t upTo) {
    while (nextMessage < messages_.size() && position(messages_[nextMessage]) <= upTo) {
      const SentMessageEntry& m = messages_[nextMessage++];
      out += "  -> " + m.name + " (" + std::to_string(m.posted ? m.message : m.code) + ") " +
             (m.posted ? "posted" : std::to_string(m.bytes.size()) + " bytes") +
             (m.delivered ? ", plug-in returned " + std::to_string(m.pluginResult) : ", not delivered") + "\n";
    }
  };
  for (const RequestEntry& e : requests_) {
    flushMessages(e.serial - 1);
    out += "#" + std::to_string(e.serial) + " " + e.name + " (" + std::to_string(e.code) + ") link " +
           std::to_string(e.link) + ", " + std::to_string(e.payload.size()) + " bytes";
    for (const RecordedField& f : e.fields) out += ", " + f.name + "=" + fieldText(f.value);
    out += " -> " + std::to_string(e.result);
    if (!e.note.empty()) out += " (" + e.note + ")";
    out += "\n";
  }
  flushMessages(requests_.size() + 1);
  // Messages sent on the host's own account after the last request.
  while (nextMessage < messages_.size()) {
    const SentMessageEntry& m = messages_[nextMessage++];
    out += "  -> " + m.name + (m.delivered ? " delivered" : " not delivered") + "\n";
  }
  return out;
}

void HostRecord::writeJson(JsonWriter& json) const {
  json.key("registrations").beginArray();
  for (const RegistrationEntry& r : registrations_) {
    json.beginObject();
    json.key("request").value(r.request);
    json.key("pluginName").value(r.pluginName);
    json.key("answer").value(static_cast<std::int64_t>(r.answer));
    json.endObject();
  }
  json.endArray();

  json.key("requests").beginArray();
  for (const RequestEntry& e : requests_) {
    json.beginObject();
    json.key("serial").value(e.serial);
    json.key("time").value(e.time);
    json.key("code").value(static_cast<std::int64_t>(e.code));
    json.key("name").value(e.name);
    json.key("link").value(static_cast<std::int64_t>(e.link));
    if (e.nestedIn != 0) json.key("nestedIn").value(e.nestedIn);
    json.key("bytes").value(static_cast<std::uint64_t>(e.payload.size()));
    json.key("fields");
    writeFieldsJson(json, e.fields);
    json.key("result").value(e.result);
    if (!e.note.empty()) json.key("note").value(e.note);
    json.endObject();
  }
  json.endArray();

  json.key("messages").beginArray();
  for (const SentMessageEntry& m : messages_) {
    json.beginObject();
    json.key("serial").value(m.serial);
    json.key("time").value(m.time);
    json.key("name").value(m.name);
    if (m.posted) {
      json.key("posted").value(true);
      json.key("message").value(static_cast<std::uint64_t>(m.message));
      json.key("wParam").value(static_cast<std::uint64_t>(m.wParam));
      json.key("lParam").value(static_cast<std::int64_t>(m.lParam));
    } else {
      json.key("code").value(static_cast<std::int64_t>(m.code));
      json.key("bytes").value(static_cast<std::uint64_t>(m.bytes.size()));
    }
    json.key("target").value(m.target);
    json.key("delivered").value(m.delivered);
    if (m.delivered && !m.posted) json.key("pluginResult").value(m.pluginResult);
    if (m.duringRequest != 0) json.key("duringRequest").value(m.duringRequest);
    if (!m.fields.empty()) {
      json.key("fields");
      writeFieldsJson(json, m.fields);
    }
    json.endObject();
  }
  json.endArray();
}

void HostRecord::clear() {
  requests_.clear();
  messages_.clear();
  registrations_.clear();
}

}  // namespace host
