// What the host received and sent, in order: registrations, every request with its decoded
// fields and the value it returned, and every message it sent or posted to the plug-in with
// the plug-in's return value. The desk prints it and writes it as JSON; tests assert on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/field_table.h"

namespace host {

class JsonWriter;

struct RequestEntry {
  std::uint64_t serial = 0;        // 1, 2, ... in arrival order
  std::uint64_t time = 0;          // virtual milliseconds
  std::uint16_t code = 0;          // as on the wire
  std::string name;                // request name, "unknown" for a code the host does not know
  std::int32_t link = 0;           // link number from dwData
  std::uint64_t nestedIn = 0;      // serial of the request in progress when this one came, 0 = none
  std::vector<std::uint8_t> payload;
  std::vector<RecordedField> fields;
  std::int64_t result = 0;         // the value returned to the sender
  std::string note;                // why it was refused or what the host did, when worth saying
  bool finished = false;

  // The decoded field of that name; null when absent.
  const RecordedField* field(std::string_view fieldName) const;
};

struct SentMessageEntry {
  std::uint64_t serial = 0;
  std::uint64_t time = 0;
  std::uint16_t code = 0;          // WM_COPYDATA code; 0 for a posted progress message
  std::string name;
  bool posted = false;             // a registered progress message (PostMessageW)
  std::uint32_t message = 0;       // the window message number
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::string target;              // the window class looked up
  bool delivered = false;          // the window was found and took the message
  std::int64_t pluginResult = 0;   // what the plug-in's window returned
  std::uint64_t duringRequest = 0; // request serial in progress, 0 = sent on the host's own account
  std::uint64_t afterRequest = 0;  // how many requests had begun when it was sent
  std::vector<std::uint8_t> bytes;
  std::vector<RecordedField> fields;
};

struct RegistrationEntry {
  std::uint64_t request = 0;  // serial of the registration request
  std::string pluginName;     // UTF-8
  std::int32_t answer = 0;
};

class HostRecord {
 public:
  // Starts the entry of a request and returns its serial.
  std::uint64_t beginRequest(std::uint64_t time, std::uint16_t code, std::string name, std::int32_t link,
                             std::uint64_t nestedIn, std::vector<std::uint8_t> payload);
  RequestEntry* request(std::uint64_t serial);
  void finishRequest(std::uint64_t serial, std::int64_t result);

  std::uint64_t addMessage(SentMessageEntry entry);
  SentMessageEntry* message(std::uint64_t serial);
  void addRegistration(RegistrationEntry entry) { registrations_.push_back(std::move(entry)); }

  const std::vector<RequestEntry>& requests() const { return requests_; }
  const std::vector<SentMessageEntry>& messages() const { return messages_; }
  const std::vector<RegistrationEntry>& registrations() const { return registrations_; }

  // The latest request with that code; null when none.
  const RequestEntry* lastRequest(std::uint16_t code) const;
  std::size_t countRequests(std::uint16_t code) const;
  // The messages sent while the request ran.
  std::vector<const SentMessageEntry*> messagesDuring(std::uint64_t requestSerial) const;

  // One line per request and message, for the desk.
  std::string describe() const;
  void writeJson(JsonWriter& json) const;
  void clear();

 private:
  std::vector<RequestEntry> requests_;
  std::vector<SentMessageEntry> messages_;
  std::vector<RegistrationEntry> registrations_;
};

// The text of a recorded value, as the desk prints it.
std::string fieldText(const FieldValue& value);
void writeFieldsJson(JsonWriter& json, const std::vector<RecordedField>& fields);

}  // namespace host
