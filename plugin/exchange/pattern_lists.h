// The two hatch pattern lists of a send: the host's list (fetched with GetPatternList when it
// is first needed) and the new-pattern list (custom patterns met while sending, given to the
// host with SetPatternList at the end of the send). Pattern ids of custom patterns are the
// Hash31 of their line images.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "arx/dbhatch.h"
#include "hostlink/pattern_list.h"

namespace vurk {

class PatternLists {
 public:
  // How the host's list is fetched; nothing when it cannot be (then every name is unknown).
  using Fetch = std::function<std::optional<PatternList>()>;
  explicit PatternLists(Fetch fetch = FetchFromHost);

  // The host's list, fetched once per send; null when it could not be fetched.
  const PatternList* hostList();
  // The id of the host pattern with exactly this name.
  std::optional<std::uint32_t> idOfName(const std::string& utf8Name);
  // The host pattern with this id.
  const HostPattern* patternOfId(std::uint32_t id);
  // Registers a custom pattern (its lines in place) and returns its id.
  std::uint32_t registerCustomPattern(const HostPattern& entry);
  const PatternList& newPatterns() const { return newPatterns_; }

  // The end of a send: the new patterns go to the host (when there are any and sendNew is
  // set), then both lists are freed so that the next send fetches the host's list again.
  // Returns the SetPatternList status, or 0 when nothing was sent.
  int endOfSend(bool sendNew = true);

  // GetPatternList through the running host link (nothing without one).
  static std::optional<PatternList> FetchFromHost();

 private:
  Fetch fetch_;
  std::optional<PatternList> host_;
  bool fetched_ = false;
  PatternList newPatterns_;
};

// The pattern id of line images: Hash31 over each line's first 208 bytes, bytes 44..47 zero.
std::uint32_t PatternLinesId(const std::vector<std::uint8_t>& lines);

// The custom pattern entry of a hatch: name cut at the first comma (at most 63 bytes), default
// scale 2.0, one line per pattern definition.
HostPattern CustomPatternOf(const AcDbHatch& hatch);

}  // namespace vurk
