// The walk over a received object block, the folder names, label sizes, contour labels, and the
// wiring of the host's object tree into the drawing.
#include "receive/receive_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <unordered_set>

#include "arx/acedads.h"
#include "arx/aced.h"
#include "arx/acutads.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/acdocman.h"
#include "arx/dbhatch.h"
#include "coords/coordinate_state.h"
#include "exchange/doc_id_manager.h"
#include "exchange/document_links.h"
#include "exchange/opened_object.h"
#include "exchange/record_layouts.h"
#include "exchange/styles.h"
#include "hostlink/host_link_record.h"
#include "hostlink/notification_routes.h"
#include "hostlink/notification_window.h"
#include "hostlink/request_catalogue.h"
#include "receive/ignored_objects_dialog.h"
#include "receive/receive_parts.h"
#include "settings/settings_store.h"
#include "util/byte_io.h"

namespace vurk {

namespace {

namespace H = object_header_layout;

// The object block has the layout of a SetObjTree stream: the entries' total length in the
// batch header, the entries after it.
constexpr std::size_t kTotalOffset = object_stream_layout::kHeadSize + object_stream_layout::kBatchEntryBytes;
constexpr std::size_t kEntriesOffset = object_stream_layout::kEntries;
constexpr std::size_t kHeaderSize = object_header_layout::kSize;
constexpr auto kFolderKind = static_cast<std::uint32_t>(RecordKind::Folder);
constexpr std::int32_t kDefaultFontSize = 14;
constexpr double kLabelDivisor = 1.414;
constexpr std::uint32_t kFallbackLabelHeight = 60;
constexpr std::uint32_t kPlacedPointIcon = 4;
constexpr std::u16string_view kIgnoredHead = u"以下[块/面域]对象被系统忽略：\r\n";
constexpr std::u16string_view kConversionFailed = u"\n转化失败信息：星衡对象转化为断面时出错！";

struct FolderEntry {
  std::string name;
  std::u16string layer;
};
std::unordered_map<std::uint32_t, FolderEntry> g_folders;
std::unordered_set<const AcApDocument*> g_contourDocuments;
CrossSectionHook g_crossSection;
PatternLists* g_walkPatterns = nullptr;
std::u16string g_pendingNotice;

void ShowPendingNotice() {
  const std::u16string text = std::move(g_pendingNotice);
  g_pendingNotice.clear();
  if (!text.empty()) ShowIgnoredObjects(text);
}

std::u16string LayerName(const std::string& utf8) {
  std::u16string layer = HostText(utf8);
  static constexpr std::u16string_view kNotAllowed = u"<>/\\\":;?*|,=`";
  for (char16_t& c : layer) {
    if (kNotAllowed.find(c) != std::u16string_view::npos) c = u'_';
  }
  return layer;
}

// The live entities of the drawing that carry the map object: linked entities, labels and
// icons, the points of a point set and the pieces of a line.
std::vector<std::uint64_t> HoldersOf(DocumentLinks& links, AcDbDatabase* db, std::int32_t id) {
  std::vector<std::uint64_t> all = links.holders(id);
  const auto icons = links.iconHolders(id);
  all.insert(all.end(), icons.begin(), icons.end());
  for (auto* registry : {&links.pointSets(), &links.joinedLines()}) {
    if (const auto it = registry->find(id); it != registry->end()) {
      all.insert(all.end(), it->second.members.begin(), it->second.members.end());
    }
  }
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  std::erase_if(all, [db](std::uint64_t h) { return !IsLiveHandle(db, h); });
  return all;
}

void EraseObject(AcDbObjectId id) {
  AcDbObject* object = nullptr;
  if (acdbOpenObject(object, id, AcDb::kForWrite) != Acad::eOk) return;
  object->erase(true);
  object->close();
}

// The boundaries of an area's hatch that belong to it alone (no link of their own).
AcDbObjectIdArray OwnBoundaries(DocumentLinks& links, AcDbObjectId id) {
  AcDbObjectIdArray boundaries;
  OpenedObject<AcDbHatch> hatch(id, AcDb::kForRead);
  if (!hatch || !hatch->associative()) return boundaries;
  AcDbObjectIdArray all;
  hatch->getAssocObjIds(all);
  for (const AcDbObjectId b : all) {
    if (!links.find(b.handle().value())) boundaries.append(b);
  }
  return boundaries;
}

// Erases the entities (an area's hatch with its boundaries) and drops their links (the links
// first, so nothing sees a linked entity go away and asks the host to delete its object).
void EraseHolders(DocumentLinks& links, AcDbDatabase* db, const std::vector<std::uint64_t>& handles) {
  for (const std::uint64_t h : handles) {
    links.forget(h);
    AcDbObjectId id;
    if (db->getAcDbObjectId(id, false, AcDbHandle(h)) != Acad::eOk) continue;
    const AcDbObjectIdArray boundaries = OwnBoundaries(links, id);
    EraseObject(id);
    for (const AcDbObjectId b : boundaries) EraseObject(b);
  }
}

std::uint64_t HandleOf(AcDbObjectId id) { return id.isNull() ? 0 : id.handle().value(); }

// Scope guard of a transfer: the status bar comes back on every way out.
class StatusBarRestore {
 public:
  ~StatusBarRestore() {
    if (HostLink* link = CurrentHostLink(); link && link->routes().meterRestore) link->routes().meterRestore();
  }
};

// The walk's pattern lists live as long as the walk.
class WalkPatterns {
 public:
  WalkPatterns() { g_walkPatterns = &lists_; }
  ~WalkPatterns() { g_walkPatterns = nullptr; }

 private:
  PatternLists lists_;
};

void StartClearSendingTimer() {
  if (CMessageDlg* window = NotificationWindow()) {
    window->SetTimer(kTimerClearSending, 100);
  } else if (HostLink* link = CurrentHostLink()) {
    link->flags().sendingFlag = false;
  }
}

class Walk {
 public:
  Walk(std::span<const std::uint8_t> block, ReceiveReport& report) : block_(block), report_(report) {
    db_ = acdbHostApplicationServices()->workingDatabase();
    links_ = ReceiveLinks();
  }

  void run() {
    if (block_.size() < kEntriesOffset) {
      report_.truncated = true;
      return;
    }
    const std::uint64_t total = getU32le(block_, kTotalOffset);
    const std::uint64_t available = block_.size() - kEntriesOffset;
    if (total > available) report_.truncated = true;
    end_ = kEntriesOffset + std::min(total, available);
    std::uint64_t at = kEntriesOffset;
    while (true) {
      const auto next = nextEntry(at);
      if (!next) break;
      ++report_.entries;
      std::uint32_t skipFollowing = 0;
      entry(at, skipFollowing);
      at = *next;
      for (std::uint32_t i = 0; i < skipFollowing; ++i) {
        const auto after = nextEntry(at);
        if (!after) break;
        ++report_.skipped;
        at = *after;
      }
    }
  }

  bool ignoredSomething() const { return ignoredSomething_; }
  // "\r\n" and the name of each ignored folder, once each.
  const std::u16string& ignored() const { return ignored_; }

 private:
  // The offset after the entry at `at`; nothing when no whole entry is left.
  std::optional<std::uint64_t> nextEntry(std::uint64_t at) {
    if (at > end_ || end_ - at < kHeaderSize) {
      if (at < end_) report_.truncated = true;
      return std::nullopt;
    }
    const std::uint64_t bodyLength = getU32le(block_, at + H::kBodyLength);
    if (bodyLength > end_ - at - kHeaderSize) {
      report_.truncated = true;
      return std::nullopt;
    }
    return at + kHeaderSize + bodyLength;
  }

  void entry(std::uint64_t at, std::uint32_t& skipFollowing) {
    const auto header = block_.subspan(at, kHeaderSize);
    const std::uint32_t bodyLength = getU32le(header, H::kBodyLength);
    const std::uint32_t kind = getU32le(header, H::kKind);
    const std::int32_t id = getI32le(header, H::kMapObjectId);
    const std::uint32_t parent = getU32le(header, H::kParentFolder);
    const auto body = block_.subspan(at + kHeaderSize, bodyLength);
    const bool linkable = id > 0 && links_ != nullptr;

    std::vector<std::uint64_t> old;
    if (linkable) {
      old = HoldersOf(*links_, db_, id);
      if (old.empty() && parent != 0 && !links_->holders(static_cast<std::int32_t>(parent)).empty()) {
        ++report_.skipped;  // inside a block or region that is still in the drawing
        return;
      }
    }
    std::optional<MapRecord> record = readRecord(body, kind);
    if (!record) {
      ++report_.skipped;
      return;
    }
    if (kind == kFolderKind) {
      folder(std::get<FolderRecord>(*record), id, linkable && !old.empty(), skipFollowing);
      return;
    }
    const std::u16string layer = linkable ? LayerOfFolder(parent) : std::u16string();
    draw(*record, id, parent, linkable, layer, old);
  }

  void folder(const FolderRecord& f, std::int32_t id, bool linked, std::uint32_t& skipFollowing) {
    if (id > 0 && !g_folders.contains(static_cast<std::uint32_t>(id))) {
      RememberFolderName(static_cast<std::uint32_t>(id), f.name);
    }
    if (!linked) return;
    // A block or region the drawing sent: its contents are still in the drawing.
    if (listed_.insert(id).second) ignored_ += u"\r\n" + HostText(f.name);
    ignoredSomething_ = true;
    skipFollowing = f.childCount;
    ++report_.skipped;
  }

  // Cross-section mode: marks and lines are converted and drawn, areas converted and not
  // drawn, multi-part records skipped. False when nothing is to be drawn.
  bool crossSection(MapRecord& record) {
    if (!g_crossSection.active || !g_crossSection.active()) return true;
    const RecordKind kind = KindOf(record);
    if (kind == RecordKind::MultiPart) return false;
    const bool converted = g_crossSection.convert && g_crossSection.convert(record);
    if (!converted) acutPrintf(std::u16string(kConversionFailed).c_str());
    return kind != RecordKind::Area;
  }

  void draw(MapRecord& record, std::int32_t id, std::uint32_t parent, bool linkable, std::u16string layer,
            const std::vector<std::uint64_t>& old) {
    if (!crossSection(record)) {
      ++report_.skipped;
      return;
    }
    AcDbObjectId primary;
    MarkEntities mark;
    bool linkedInside = false;
    const MarkRecord* markRecord = nullptr;
    std::string name, text;
    switch (KindOf(record)) {
      case RecordKind::Mark: {
        auto& m = std::get<MarkRecord>(record);
        mark = CreateMarkEntities(m, layer, false);
        primary = !mark.text.isNull() ? mark.text : (!mark.icon.isNull() ? mark.icon : mark.point);
        markRecord = &m;
        name = m.name;
        text = m.text;
        break;
      }
      case RecordKind::Line: {
        auto& line = std::get<LineRecord>(record);
        if (ContourMode(acDocManager->curDocument())) {
          layer = std::u16string(kContourLayer);
          auto label = ContourLabel(line);
          if (!label) break;  // a contour without vertices draws nothing
          CreateMarkEntities(*label, layer, false);
        }
        primary = CreateLineEntities(line, layer, linkable ? id : 0, &linkedInside);
        name = line.name;
        text = line.text;
        break;
      }
      case RecordKind::Area: {
        const auto& area = std::get<AreaRecord>(record);
        primary = CreateAreaEntities(area, layer);
        name = area.name;
        text = area.text;
        break;
      }
      case RecordKind::MultiPart: {
        const auto& multi = std::get<MultiPartRecord>(record);
        primary = CreateMultiPartPolyline(multi, layer);
        name = multi.name;
        text = multi.text;
        break;
      }
      default: break;
    }
    if (primary.isNull() && !linkedInside) {
      ++report_.skipped;  // nothing new: the old entities and their links stay
      return;
    }
    ++report_.created;
    if (!linkable) return;
    if (!old.empty()) {
      EraseHolders(*links_, db_, old);
      ++report_.replaced;
    }
    if (linkedInside) return;
    EntityLink link = ReceivedLink(HandleOf(primary), id, name, text);
    link.parentFolderId = parent;
    if (markRecord) {
      const MarkRecord& m = *markRecord;
      link.iconId = m.iconId;
      link.savedPosition = AcGePoint3d(m.east, m.north, 0);
      link.labelFixed = m.labelFixed != 0 ? 1 : 0;
      if (!mark.icon.isNull() && !mark.text.isNull()) {
        link.companionHandle = HandleOf(mark.icon);
        EntityLink icon = ReceivedLink(HandleOf(mark.icon), id, name, text);
        icon.parentFolderId = parent;
        icon.iconId = m.iconId;
        icon.companionHandle = HandleOf(mark.text);
        links_->putLink(icon.entityKey, icon, false);
      }
    }
    links_->putLink(link.entityKey, link, false);
  }

  std::span<const std::uint8_t> block_;
  ReceiveReport& report_;
  AcDbDatabase* db_ = nullptr;
  DocumentLinks* links_ = nullptr;
  std::uint64_t end_ = 0;
  std::set<std::int32_t> listed_;
  bool ignoredSomething_ = false;
  std::u16string ignored_;
};

}  // namespace

// ---------------------------------------------------------------------------- shared parts

const SettingsRecord& ReceiveSettings() {
  static const SettingsRecord defaults = SettingsRecord::defaults();
  const SettingsStore* store = CurrentSettings();
  return store ? store->record() : defaults;
}

EntityProps ReceivedProps(std::uint32_t colourRef, const std::u16string& layer, int opacityPercent) {
  EntityProps props = DefaultEntityProps();
  props.byLayerColor = ReceiveSettings().byLayerColourFromHost ? 1 : 0;
  props.color = ColourOf(colourRef);
  props.layer = layer;
  props.opacityPercent = std::clamp(opacityPercent, 0, 100);
  return props;
}

std::u16string LinetypeOfStyle(std::uint8_t lineStyle) {
  static constexpr std::u16string_view kNames[] = {u"Continuous", u"DOT",       u"JIS_02_1.0", u"DASHDOT",
                                                   u"DIVIDE",     u"DASHED",    u"DASHDOTX2",  u"DIVIDEX2"};
  return std::u16string(lineStyle < std::size(kNames) ? kNames[lineStyle] : kNames[0]);
}

PatternLists& ReceivePatterns() {
  if (g_walkPatterns) return *g_walkPatterns;
  static PatternLists outside;
  return outside;
}

DocumentLinks* ReceiveLinks() {
  DocIdManager* state = CurrentDocState();
  return state ? &state->links : nullptr;
}

EntityLink ReceivedLink(std::uint64_t handle, std::int32_t mapObjectId, const std::string& name,
                        const std::string& text) {
  EntityLink link;
  link.entityKey = handle;
  link.mapObjectId = mapObjectId;
  link.name = HostText(name);
  link.comment = HostText(text);
  return link;
}

// ---------------------------------------------------------------------------- folder names

void RememberFolderName(std::uint32_t folderId, const std::string& utf8Name) {
  if (folderId == 0 || folderId > static_cast<std::uint32_t>(INT32_MAX)) return;
  g_folders[folderId] = FolderEntry{utf8Name, LayerName(utf8Name)};
}

std::u16string LayerOfFolder(std::uint32_t folderId) {
  const auto it = g_folders.find(folderId);
  return it == g_folders.end() ? std::u16string() : it->second.layer;
}

std::size_t FolderNameCount() { return g_folders.size(); }
void ClearFolderNames() { g_folders.clear(); }

// ---------------------------------------------------------------------------- contours

void SetContourMode(AcApDocument* document, bool on) {
  if (on) {
    g_contourDocuments.insert(document);
  } else {
    g_contourDocuments.erase(document);
  }
}

bool ContourMode(AcApDocument* document) { return document && g_contourDocuments.contains(document); }

std::optional<MarkRecord> ContourLabel(const LineRecord& line) {
  if (line.vertices.empty()) return std::nullopt;
  const MapVertex& middle = line.vertices[line.vertices.size() / 2];
  MarkRecord label = createMarkRecord();
  label.name = std::to_string(middle.altitude);
  label.north = middle.north;
  label.east = middle.east;
  label.altitude = middle.altitude;
  label.sourceKind = static_cast<std::uint8_t>(SourceKind::TextLabel);
  label.textColour = line.colour;
  label.colour = line.colour;
  label.labelFixed = 1;
  label.iconId = 0;
  const std::int64_t rest = std::llabs(static_cast<std::int64_t>(middle.altitude)) % 100;
  label.fontSize = rest == 0 ? 18 : (rest == 50 ? 16 : kDefaultFontSize);
  return label;
}

CrossSectionHook& CrossSection() { return g_crossSection; }

// ---------------------------------------------------------------------------- label sizes

double LabelTextHeight(std::int32_t fontSize, std::uint8_t level) {
  const double size = fontSize > 0 ? fontSize : kDefaultFontSize;
  double resolution = 0;
  if (HostLink* link = CurrentHostLink()) {
    const LevelResolutionTable& table = link->answers().levels;
    if (level >= 1 && level <= table.filled) resolution = table.levels[level - 1].north;
  }
  const double height = size * resolution / kLabelDivisor;
  if (std::isfinite(height) && height > 0) return height;
  const std::uint32_t fallback = ReceiveSettings().labelTextHeight;
  return fallback > 0 ? fallback : kFallbackLabelHeight;
}

std::uint8_t LevelOfLabelHeight(std::uint32_t labelTextHeight) {
  switch (labelTextHeight) {
    case 240: return 14;
    case 120: return 15;
    case 60: return 16;
    case 30: return 17;
    case 8: return 19;
    case 4: return 20;
    default: return 18;
  }
}

// ---------------------------------------------------------------------------- the walk

bool ReceiveObjects(std::span<const std::uint8_t> block, ReceiveReport* report) {
  ReceiveReport local;
  ReceiveReport& r = report ? *report : local;
  r = ReceiveReport{};
  StatusBarRestore restoreStatusBar;
  if (!CheckZoneConsistency(true)) {
    StartClearSendingTimer();
    return false;
  }
  if (HostLink* link = CurrentHostLink()) {
    link->answers().referencePointKnown = false;
    GetMapCenter();
    if (link->answers().referencePointKnown) {
      GetLevelResolution(link->answers().referencePoint.east, link->answers().referencePoint.north);
    }
  }
  std::u16string ignored;
  bool something = false;
  {
    AcAxDocLock lock;
    acedSSSetFirst(nullptr, nullptr);
    if (HostLink* link = CurrentHostLink()) link->flags().sendingFlag = true;
    WalkPatterns patterns;
    Walk walk(block, r);
    walk.run();
    something = walk.ignoredSomething();
    ignored = std::u16string(kIgnoredHead) + walk.ignored();
    StartClearSendingTimer();
    acedUpdateDisplay();
  }
  if (something) {
    // Shown after the host's message has been answered, not while the host waits for it.
    r.ignored = ignored;
    g_pendingNotice = ignored;
    if (!PostIgnoredObjectsNotice()) ShowPendingNotice();
  }
  return true;
}

void StartReceive() {
  // A freshly loaded plug-in knows no host folders: ids of an earlier session mean nothing now.
  ClearFolderNames();
  HostLink* link = CurrentHostLink();
  if (!link) return;
  NotificationRoutes& r = link->routes();
  r.objectTree = [](HostBytes block) { ReceiveObjects(block); };
  r.ignoredObjectsNotice = [] { ShowPendingNotice(); };
  r.drawingOpen = [] { return acDocManager->curDocument() != nullptr; };
  r.meterStart = [](const std::u16string& text) { acedSetStatusBarProgressMeter(text.c_str(), 0, 100); };
  r.meterSet = [](int position) { acedSetStatusBarProgressMeterPos(position); };
  r.meterRestore = [] { acedRestoreStatusBar(); };
  // A point placed at drawing coordinates becomes a mark of its own (an icon when icons are on).
  r.pointToIcon = [](double x, double y, AcDbObjectId& icon) {
    MarkRecord mark = createMarkRecord();
    mark.east = x;
    mark.north = y;
    mark.iconId = kPlacedPointIcon;
    mark.sourceKind = static_cast<std::uint8_t>(SourceKind::Point);
    icon = CreateMarkEntity(mark, u"", true);
    return !icon.isNull();
  };
}

}  // namespace vurk
