#include "exchange/pattern_lists.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "hostlink/host_link_record.h"
#include "hostlink/notification_routes.h"
#include "hostlink/request_catalogue.h"
#include "reactors/view_record.h"
#include "util/byte_io.h"
#include "util/hash.h"
#include "util/utf8_text.h"

namespace vurk {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::size_t kCustomNameBytes = 64;
constexpr double kCustomDefaultScale = 2.0;

}  // namespace

PatternLists::PatternLists(Fetch fetch) : fetch_(std::move(fetch)) {}

std::optional<PatternList> PatternLists::FetchFromHost() {
  if (CurrentHostLink() == nullptr) return std::nullopt;
  std::optional<PatternList> answer;
  auto& route = Routes().patternList;
  auto saved = std::move(route);
  // The host answers with message 20601 while the request is in progress.
  route = [&answer](PatternList list) { answer = std::move(list); };
  const int status = GetPatternList();
  route = std::move(saved);
  if (status < 0) return std::nullopt;
  return answer;
}

const PatternList* PatternLists::hostList() {
  if (!fetched_) {
    fetched_ = true;
    if (fetch_) host_ = fetch_();
  }
  return host_ ? &*host_ : nullptr;
}

std::optional<std::uint32_t> PatternLists::idOfName(const std::string& utf8Name) {
  const PatternList* list = hostList();
  if (!list) return std::nullopt;
  for (const HostPattern& p : list->entries) {
    if (p.name() == utf8Name) return p.patternId();
  }
  return std::nullopt;
}

const HostPattern* PatternLists::patternOfId(std::uint32_t id) {
  const PatternList* list = hostList();
  if (!list) return nullptr;
  for (const HostPattern& p : list->entries) {
    if (p.patternId() == id) return &p;
  }
  return nullptr;
}

std::uint32_t PatternLists::registerCustomPattern(const HostPattern& entry) {
  const std::uint32_t id = PatternLinesId(entry.lines);
  if (patternOfId(id)) return id;
  for (const HostPattern& p : newPatterns_.entries) {
    if (p.patternId() == id) return id;
  }
  HostPattern copy = entry;
  copy.setPatternId(id);
  newPatterns_.entries.push_back(std::move(copy));
  return id;
}

int PatternLists::endOfSend(bool sendNew) {
  int status = 0;
  if (sendNew && !newPatterns_.entries.empty()) status = SetPatternList(newPatterns_);
  ReleasePatternList(newPatterns_);
  if (host_) ReleasePatternList(*host_);
  host_.reset();
  fetched_ = false;
  return status;
}

std::uint32_t PatternLinesId(const std::vector<std::uint8_t>& lines) {
  namespace L = pattern_line_layout;
  const std::size_t count = lines.size() / L::kSize;
  std::vector<std::uint8_t> images;
  images.reserve(count * L::kHashedBytes);
  for (std::size_t i = 0; i < count; ++i) {
    const auto begin = lines.begin() + static_cast<std::ptrdiff_t>(i * L::kSize);
    const std::size_t at = images.size();
    images.insert(images.end(), begin, begin + L::kHashedBytes);
    std::fill(images.begin() + static_cast<std::ptrdiff_t>(at + L::kUnhashedFrom),
              images.begin() + static_cast<std::ptrdiff_t>(at + L::kUnhashedTo), std::uint8_t{0});
  }
  return Hash31(images.data(), images.size());
}

HostPattern CustomPatternOf(const AcDbHatch& hatch) {
  namespace L = pattern_line_layout;
  HostPattern p;
  std::u16string name = hatch.patternName();
  if (const auto comma = name.find(u','); comma != std::u16string::npos) name.resize(comma);
  char field[kCustomNameBytes] = {};
  ToUtf8(name, field, sizeof field);
  p.setName(field);
  p.setDefaultScale(kCustomDefaultScale);
  const AcGePoint3d origin(hatch.origin().x, hatch.origin().y, 0.0);
  for (int i = 0; i < hatch.numPatternDefinitions(); ++i) {
    double angle = 0, baseX = 0, baseY = 0, offsetX = 0, offsetY = 0;
    AcGeDoubleArray dashes;
    if (hatch.getPatternDefinitionAt(i, angle, baseX, baseY, offsetX, offsetY, dashes) != Acad::eOk) continue;
    std::array<std::uint8_t, L::kSize> line{};
    putF64le(line, L::kAngle, angle * 180.0 / kPi);
    putF64le(line, L::kBaseX, baseX);
    putF64le(line, L::kBaseY, baseY);
    putF64le(line, L::kSpacing, DistanceAlongDirection(AcGePoint3d(offsetX, offsetY, 0.0), origin, angle));
    const auto n = std::min<std::uint32_t>(static_cast<std::uint32_t>(dashes.length()), L::kMaxDashes);
    putU32le(line, L::kDashCount, n);
    for (std::uint32_t k = 0; k < n; ++k) putF64le(line, L::kDashes + 8 * k, dashes[static_cast<int>(k)]);
    p.addLine(line);
  }
  return p;
}

}  // namespace vurk
