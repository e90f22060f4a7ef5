// The host's table of registered plug-ins: link numbers handed out at registration, the
// window class each plug-in named, and the fault switches of registration.
//
// Numbers are small positive values (first, first + step, ...) so that (number << 16) stays a
// positive 32-bit value; after 32767 the numbering starts again at the first number, skipping
// numbers still in use.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace host {

enum class RegistrationAnswer {
  LinkNumber,  // a new link number (the normal case)
  Zero,        // 0: registration failed
  Refuse,      // -10: the host refuses the plug-in
};

class LinkRegistry {
 public:
  struct Link {
    std::int32_t number = 0;
    std::u16string pluginClass;  // the window class the plug-in registered under
  };

  void setAnswer(RegistrationAnswer answer) { answer_ = answer; }
  RegistrationAnswer answer() const { return answer_; }
  // Numbering of new links; first and step must be at least 1 (other values are ignored).
  void setNumbering(std::int32_t first, std::int32_t step);

  // Registers a plug-in window class; returns the value to answer (a link number, 0 or -10).
  std::int32_t registerPlugin(const std::u16string& pluginClass);
  bool knows(std::int32_t number) const { return links_.count(number) != 0; }
  const Link* find(std::int32_t number) const;
  // The host restarted its link table: every link number becomes unknown (the host still knows
  // which window the latest plug-in registered).
  void forgetAll() { links_.clear(); }
  // The program ended: nothing is known any more.
  void clear() {
    links_.clear();
    latestClass_.reset();
  }

  // The window class of the latest successful registration; nothing before the first.
  const std::optional<std::u16string>& latestPluginClass() const { return latestClass_; }
  const std::map<std::int32_t, Link>& links() const { return links_; }

 private:
  RegistrationAnswer answer_ = RegistrationAnswer::LinkNumber;
  std::int32_t first_ = 1;
  std::int32_t step_ = 1;
  std::int32_t next_ = 1;
  std::optional<std::u16string> latestClass_;
  std::map<std::int32_t, Link> links_;
};

}  // namespace host
