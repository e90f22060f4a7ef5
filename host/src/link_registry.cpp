#include "host/link_registry.h"

#include "host/message_codes.h"

namespace host {

namespace {
constexpr std::int32_t kLargestLink = 32767;
}

void LinkRegistry::setNumbering(std::int32_t first, std::int32_t step) {
  if (first < 1 || first > kLargestLink || step < 1 || step > kLargestLink) return;
  first_ = first;
  step_ = step;
  next_ = first;
}

std::int32_t LinkRegistry::registerPlugin(const std::u16string& pluginClass) {
  switch (answer_) {
    case RegistrationAnswer::Zero: return 0;
    case RegistrationAnswer::Refuse: return kRegistrationRefused;
    case RegistrationAnswer::LinkNumber: break;
  }
  // Find the next free number; the table can never hold all 32767 numbers for long, but a
  // full table answers 0 rather than looping.
  for (std::int32_t tries = 0; tries < kLargestLink; ++tries) {
    const std::int32_t n = next_;
    next_ = (next_ > kLargestLink - step_) ? first_ : next_ + step_;
    if (links_.count(n) != 0) continue;
    links_[n] = Link{n, pluginClass};
    latestClass_ = pluginClass;
    return n;
  }
  return 0;
}

const LinkRegistry::Link* LinkRegistry::find(std::int32_t number) const {
  const auto it = links_.find(number);
  return it == links_.end() ? nullptr : &it->second;
}

}  // namespace host
