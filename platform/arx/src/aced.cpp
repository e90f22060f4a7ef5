#include "arx/aced.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "arx/acad_app.h"
#include "arx/acdocman.h"
#include "arx/dbapserv.h"
#include "arx/dbdatabase.h"
#include "arx/dbents.h"
#include "arx/dbpl.h"
#include "arx/dbsymtb.h"
#include "db_internal.h"
#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"

ACRX_DEFINE_MEMBERS(AcRxEventReactor, AcRxObject)
ACRX_DEFINE_MEMBERS(AcEditorReactor, AcRxEventReactor)
ACRX_DEFINE_MEMBERS(AcEditor, AcRxObject)

using arxdetail::DbAccess;

void AcEditorReactor::commandWillStart(const ACHAR*) {}
void AcEditorReactor::commandEnded(const ACHAR*) {}
void AcEditorReactor::commandCancelled(const ACHAR*) {}
void AcEditorReactor::commandFailed(const ACHAR*) {}
void AcEditorReactor::beginDoubleClick(const AcGePoint3d&) {}
void AcEditorReactor::viewChanged() {}

void AcEditor::addReactor(AcRxEventReactor* reactor) {
  if (auto* r = AcEditorReactor::cast(reactor)) arx::currentEditor()->add(r);
}

void AcEditor::removeReactor(AcRxEventReactor* reactor) {
  if (auto* r = AcEditorReactor::cast(reactor)) arx::currentEditor()->remove(r);
}

Acad::ErrorStatus AcEdSelectionSetService::remove(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= removed_.size()) return Acad::eInvalidIndex;
  removed_[static_cast<std::size_t>(index)] = true;
  return Acad::eOk;
}

void AcEdSSGetFilter::ssgetAddFilter(int, AcEdSelectionSetService&, const AcDbObjectIdArray&,
                                     const AcDbObjectIdArray&) {}

Acad::ErrorStatus AcEdSSGetFilter::ssgetRolloverFilter(const AcDbFullSubentPath&, AcDbFullSubentPath&) {
  return Acad::eOk;
}

Acad::ErrorStatus addSSgetFilterInputContextReactor(AcApDocument* doc, AcEdSSGetFilter* filter) {
  if (!filter) return Acad::eNullObjectPointer;
  if (!acDocManager->isOpen(doc)) return Acad::eNoDocument;
  auto& list = doc->filters_;
  if (std::find(list.begin(), list.end(), filter) == list.end()) list.push_back(filter);
  return Acad::eOk;
}

Acad::ErrorStatus removeSSgetFilterInputContextReactor(AcApDocument* doc, AcEdSSGetFilter* filter) {
  if (!acDocManager->isOpen(doc)) return Acad::eNoDocument;
  auto& list = doc->filters_;
  auto it = std::find(list.begin(), list.end(), filter);
  if (it == list.end()) return Acad::eKeyNotFound;
  list.erase(it);
  return Acad::eOk;
}

namespace arx {

namespace {

constexpr std::intptr_t kSetTag = 0x5353;  // the second word of a selection-set name
constexpr std::size_t kMaxSets = 128;

std::u16string echoOf(const UserInput& in) {
  switch (in.kind) {
    case UserInput::kEnter: return u"";
    case UserInput::kEscape: return u"*Cancel*";
    default: return in.text;
  }
}

// The path of an entity for picking: chains of points along it, and whether the area inside
// its extents box counts as the entity (texts, images, hatches and other non-curves).
struct PickShape {
  std::vector<std::vector<AcGePoint2d>> chains;
  bool filledBox = false;
  AcGePoint2d lo, hi;
};

AcGePoint2d flat(const AcGePoint3d& p) { return {p.x, p.y}; }

PickShape shapeOf(const AcDbEntity* e) {
  PickShape s;
  if (auto* line = AcDbLine::cast(e)) {
    s.chains.push_back({flat(line->startPoint()), flat(line->endPoint())});
    return s;
  }
  if (auto* pl = AcDbPolyline::cast(e)) {
    std::vector<AcGePoint2d> chain;
    const unsigned n = pl->numVerts();
    const unsigned segments = pl->isClosed() ? n : (n == 0 ? 0 : n - 1);
    for (unsigned i = 0; i < segments; ++i) {
      for (int k = 0; k < 16; ++k) {
        AcGePoint3d p;
        if (pl->getPointAtParam(i + k / 16.0, p) == Acad::eOk) chain.push_back(flat(p));
      }
    }
    AcGePoint3d last;
    if (n > 0 && pl->getPointAtParam(static_cast<double>(segments), last) == Acad::eOk) chain.push_back(flat(last));
    s.chains.push_back(chain);
    return s;
  }
  if (auto* curve = AcDbCurve::cast(e)) {
    double a = 0, b = 0;
    if (curve->getStartParam(a) == Acad::eOk && curve->getEndParam(b) == Acad::eOk && b > a) {
      std::vector<AcGePoint2d> chain;
      for (int k = 0; k <= 256; ++k) {
        AcGePoint3d p;
        if (curve->getPointAtParam(a + (b - a) * k / 256.0, p) == Acad::eOk) chain.push_back(flat(p));
      }
      s.chains.push_back(chain);
      return s;
    }
  }
  if (auto* point = AcDbPoint::cast(e)) {
    s.chains.push_back({flat(point->position())});
    return s;
  }
  AcDbExtents ext;
  if (e->getGeomExtents(ext) == Acad::eOk) {
    s.filledBox = true;
    s.lo = flat(ext.minPoint());
    s.hi = flat(ext.maxPoint());
    s.chains.push_back({s.lo, {s.hi.x, s.lo.y}, s.hi, {s.lo.x, s.hi.y}, s.lo});
  }
  return s;
}

double segmentDistance(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool inside(const AcGePoint2d& p, const AcGePoint2d& lo, const AcGePoint2d& hi) {
  return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y;
}

// Whether segment ab meets the box (Liang-Barsky clipping).
bool segmentMeetsBox(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& lo, const AcGePoint2d& hi) {
  double t0 = 0.0, t1 = 1.0;
  const double d[2] = {b.x - a.x, b.y - a.y};
  const double from[2] = {a.x, a.y};
  const double mins[2] = {lo.x, lo.y};
  const double maxs[2] = {hi.x, hi.y};
  for (int axis = 0; axis < 2; ++axis) {
    if (d[axis] == 0.0) {
      if (from[axis] < mins[axis] || from[axis] > maxs[axis]) return false;
      continue;
    }
    double ta = (mins[axis] - from[axis]) / d[axis];
    double tb = (maxs[axis] - from[axis]) / d[axis];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  return true;
}

AcDbDatabase* currentDatabase() {
  AcApDocument* doc = acDocManager->curDocument();
  return doc ? doc->database() : nullptr;
}

}  // namespace

bool parsePointText(const std::u16string& text, AcGePoint3d& p) {
  const std::string s = win32::utf16ToUtf8(text);
  double v[3] = {0, 0, 0};
  const char* at = s.c_str();
  int n = 0;
  while (n < 3) {
    char* end = nullptr;
    v[n] = std::strtod(at, &end);
    if (end == at || !std::isfinite(v[n])) return false;
    ++n;
    at = end;
    if (*at == '\0') break;
    if (*at != ',') return false;
    ++at;
  }
  if (*at != '\0' || n < 2) return false;
  p = AcGePoint3d(v[0], v[1], v[2]);
  return true;
}

Editor::Editor(AcadApplication& app) : app_(app) {}
Editor::~Editor() = default;

Editor* currentEditor() { return &AcadApplication::current().editor(); }

// ----- reactors

void Editor::add(AcEditorReactor* reactor) {
  if (reactor && std::find(reactors_.begin(), reactors_.end(), reactor) == reactors_.end()) reactors_.push_back(reactor);
}

void Editor::remove(AcEditorReactor* reactor) { std::erase(reactors_, reactor); }

namespace {
template <class Fn>
void each(const std::vector<AcEditorReactor*>& live, Fn fn) {
  const std::vector<AcEditorReactor*> snapshot = live;
  for (AcEditorReactor* r : snapshot)
    if (std::find(live.begin(), live.end(), r) != live.end()) fn(r);
}
}  // namespace

void Editor::fireCommand(CommandOutcome* outcome, const std::u16string& name) {
  const ACHAR* n = name.c_str();
  if (!outcome) {
    each(reactors_, [n](AcEditorReactor* r) { r->commandWillStart(n); });
    return;
  }
  switch (*outcome) {
    case CommandOutcome::kEnded: each(reactors_, [n](AcEditorReactor* r) { r->commandEnded(n); }); break;
    case CommandOutcome::kCancelled: each(reactors_, [n](AcEditorReactor* r) { r->commandCancelled(n); }); break;
    case CommandOutcome::kFailed: each(reactors_, [n](AcEditorReactor* r) { r->commandFailed(n); }); break;
  }
}

void Editor::fireBeginDoubleClick(const AcGePoint3d& point) {
  each(reactors_, [&point](AcEditorReactor* r) { r->beginDoubleClick(point); });
}

void Editor::fireViewChanged() {
  each(reactors_, [](AcEditorReactor* r) { r->viewChanged(); });
}

// ----- input

void Editor::pushScript(std::deque<UserInput> answers) { scripts_.push_back(std::move(answers)); }

std::deque<UserInput> Editor::popScript() {
  if (scripts_.empty()) return {};
  std::deque<UserInput> rest = std::move(scripts_.back());
  scripts_.pop_back();
  return rest;
}

std::optional<UserInput> Editor::ask(const std::u16string& prompt) {
  auto& line = app_.desktop().transcript();
  std::deque<UserInput>* source = nullptr;
  if (!scripts_.empty() && !scripts_.back().empty()) source = &scripts_.back();
  else if (!userInput_.empty()) source = &userInput_;
  if (!source) {
    ++unanswered_;
    lastUnanswered_ = prompt;
    line.commandLine(prompt + u"*Cancel*\n");
    return std::nullopt;
  }
  UserInput in = std::move(source->front());
  source->pop_front();
  line.commandLine(prompt + echoOf(in) + u"\n");
  return in;
}

// ----- geometry of picks

double Editor::pickTolerance() const {
  short pickbox = 3;
  if (auto v = app_.sysVars().value(u"PICKBOX")) pickbox = static_cast<short>(v->integer);
  const ViewModel& view = const_cast<AcadApplication&>(app_).view();
  const double pixel = view.screenHeight() > 0 ? view.height() / view.screenHeight() : 1.0;
  return std::max(1, static_cast<int>(pickbox)) * pixel;
}

std::vector<AcDbObjectId> Editor::allEntities() const {
  std::vector<AcDbObjectId> out;
  AcDbDatabase* db = currentDatabase();
  if (!db) return out;
  auto* space = DbAccess::peekAs<AcDbBlockTableRecord>(db->modelSpaceId());
  if (!space) return out;
  for (AcDbObjectId id : DbAccess::entities(*space))
    if (!id.isNull() && !id.isErased()) out.push_back(id);
  return out;
}

std::vector<AcDbObjectId> Editor::hitAt(const AcGePoint3d& p3) const {
  std::vector<AcDbObjectId> out;
  const double tol = pickTolerance();
  const AcGePoint2d p = flat(p3);
  for (AcDbObjectId id : allEntities()) {
    auto* e = DbAccess::peekAs<AcDbEntity>(id);
    if (!e) continue;
    const PickShape s = shapeOf(e);
    bool hit = s.filledBox && inside(p, s.lo, s.hi);
    for (const auto& chain : s.chains) {
      if (hit) break;
      if (chain.size() == 1) hit = chain[0].distanceTo(p) <= tol;
      for (std::size_t i = 1; i < chain.size() && !hit; ++i) hit = segmentDistance(p, chain[i - 1], chain[i]) <= tol;
    }
    if (hit) out.push_back(id);
  }
  return out;
}

std::vector<AcDbObjectId> Editor::inWindow(const AcGePoint3d& a, const AcGePoint3d& b, bool crossing) const {
  const AcGePoint2d lo(std::min(a.x, b.x), std::min(a.y, b.y));
  const AcGePoint2d hi(std::max(a.x, b.x), std::max(a.y, b.y));
  std::vector<AcDbObjectId> out;
  for (AcDbObjectId id : allEntities()) {
    auto* e = DbAccess::peekAs<AcDbEntity>(id);
    if (!e) continue;
    const PickShape s = shapeOf(e);
    bool all = std::any_of(s.chains.begin(), s.chains.end(), [](const auto& c) { return !c.empty(); });
    bool any = false;
    for (const auto& chain : s.chains) {
      for (const auto& q : chain) {
        if (inside(q, lo, hi)) any = true;
        else all = false;
      }
      for (std::size_t i = 1; i < chain.size() && !any; ++i) any = segmentMeetsBox(chain[i - 1], chain[i], lo, hi);
    }
    // A window inside a filled box crosses it.
    if (s.filledBox && lo.x <= s.hi.x && hi.x >= s.lo.x && lo.y <= s.hi.y && hi.y >= s.lo.y) any = true;
    if (crossing ? any : all) out.push_back(id);
  }
  return out;
}

// ----- selection

std::vector<AcDbObjectId> Editor::filtered(const std::vector<AcDbObjectId>& ids, int ssgetFlags) const {
  AcApDocument* doc = acDocManager->curDocument();
  std::vector<AcDbObjectId> kept = ids;
  if (!doc || kept.empty()) return kept;
  const std::vector<AcEdSSGetFilter*> filters = doc->selectionFilters();
  for (AcEdSSGetFilter* f : filters) {
    if (kept.empty()) break;
    const auto& live = doc->selectionFilters();
    if (std::find(live.begin(), live.end(), f) == live.end()) continue;
    AcDbObjectIdArray added;
    for (AcDbObjectId id : kept) added.append(id);
    AcEdSelectionSetService service(added.length());
    f->ssgetAddFilter(ssgetFlags, service, added, AcDbObjectIdArray{});
    std::vector<AcDbObjectId> next;
    for (int i = 0; i < added.length(); ++i)
      if (!service.isRemoved(i)) next.push_back(added[i]);
    kept = std::move(next);
  }
  return kept;
}

std::size_t Editor::userSelects(const std::vector<AcDbObjectId>& ids, bool add) {
  AcApDocument* doc = acDocManager->curDocument();
  if (!doc) return 0;
  std::vector<AcDbObjectId> set = add ? pickfirst(doc) : std::vector<AcDbObjectId>{};
  std::vector<AcDbObjectId> fresh;
  for (AcDbObjectId id : ids)
    if (std::find(set.begin(), set.end(), id) == set.end()) fresh.push_back(id);
  for (AcDbObjectId id : filtered(fresh, 0)) set.push_back(id);
  const std::size_t n = set.size();
  setPickfirst(doc, std::move(set));
  return n;
}

const std::vector<AcDbObjectId>& Editor::pickfirst(const AcApDocument* doc) const {
  static const std::vector<AcDbObjectId> kNone;
  auto it = pickfirst_.find(doc);
  return it == pickfirst_.end() ? kNone : it->second;
}

void Editor::setPickfirst(const AcApDocument* doc, std::vector<AcDbObjectId> ids) {
  if (ids.empty()) pickfirst_.erase(doc);
  else pickfirst_[doc] = std::move(ids);
}

void Editor::forgetDocument(const AcApDocument* doc) { pickfirst_.erase(doc); }

AcDbFullSubentPath Editor::hover(const AcGePoint3d& p) {
  const std::vector<AcDbObjectId> hits = hitAt(p);
  AcApDocument* doc = acDocManager->curDocument();
  if (hits.empty() || !doc) return {};
  const AcDbFullSubentPath proposed(hits.back(), AcDbSubentId());
  AcDbFullSubentPath highlight = proposed;
  const std::vector<AcEdSSGetFilter*> filters = doc->selectionFilters();
  for (AcEdSSGetFilter* f : filters) {
    const auto& live = doc->selectionFilters();
    if (std::find(live.begin(), live.end(), f) != live.end()) f->ssgetRolloverFilter(proposed, highlight);
  }
  return highlight;
}

bool Editor::newSet(std::vector<AcDbObjectId> ids, ads_name out) {
  out[0] = out[1] = 0;
  if (sets_.size() >= kMaxSets) return false;
  const std::intptr_t key = nextSet_++;
  sets_[key] = std::move(ids);
  out[0] = key;
  out[1] = kSetTag;
  return true;
}

std::vector<AcDbObjectId>* Editor::set(const ads_name name) {
  if (!name || name[1] != kSetTag) return nullptr;
  auto it = sets_.find(name[0]);
  return it == sets_.end() ? nullptr : &it->second;
}

bool Editor::freeSet(const ads_name name) {
  if (!set(name)) return false;
  sets_.erase(name[0]);
  return true;
}

// ----- status bar

int Editor::startMeter(const std::u16string& label, int minPos, int maxPos) {
  if (minPos > maxPos || meterShowing_) return -1;
  meterShowing_ = true;
  app_.desktop().transcript().add("status", "progress " + win32::utf16ToUtf8(label) + " " + std::to_string(minPos) +
                                                ".." + std::to_string(maxPos));
  return 0;
}

int Editor::meterPos(int pos) {
  if (!meterShowing_) return -1;
  app_.desktop().transcript().add("status", "progress at " + std::to_string(pos));
  return 0;
}

void Editor::restoreStatusBar() {
  if (!meterShowing_) return;
  meterShowing_ = false;
  app_.desktop().transcript().add("status", "progress ended");
}

void Editor::postCommandPrompt() {
  ++commandPrompts_;
  app_.desktop().transcript().commandLine(u"\nCommand:\n");
}

}  // namespace arx

// ----- free functions

namespace {

arx::Editor& editor() { return *arx::currentEditor(); }

void toPoint(const AcGePoint3d& p, ads_point out) {
  out[0] = p.x;
  out[1] = p.y;
  out[2] = p.z;
}

AcGePoint3d fromPoint(const void* pt) {
  const auto* d = static_cast<const double*>(pt);
  return {d[0], d[1], d[2]};
}

bool wildMatch(const std::u16string& pattern, const std::u16string& text) {
  const std::u16string& p = pattern;
  std::size_t pi = 0, ti = 0, star = std::u16string::npos, mark = 0;
  const auto up = [](char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; };
  while (ti < text.size()) {
    if (pi < p.size() && (p[pi] == u'?' || up(p[pi]) == up(text[ti]))) {
      ++pi;
      ++ti;
    } else if (pi < p.size() && p[pi] == u'*') {
      star = pi++;
      mark = ti;
    } else if (star != std::u16string::npos) {
      pi = star + 1;
      ti = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'*') ++pi;
  return pi == p.size();
}

bool matchesAny(const std::u16string& patterns, const std::u16string& text) {
  std::size_t at = 0;
  while (true) {
    const std::size_t comma = patterns.find(u',', at);
    if (wildMatch(patterns.substr(at, comma == std::u16string::npos ? std::u16string::npos : comma - at), text))
      return true;
    if (comma == std::u16string::npos) return false;
    at = comma + 1;
  }
}

// The DXF entity type of a class (group 0 of a selection filter).
std::u16string dxfTypeOf(const AcDbEntity* e) {
  static const struct {
    const char16_t* cls;
    const char16_t* dxf;
  } kTypes[] = {{u"AcDbLine", u"LINE"},          {u"AcDbCircle", u"CIRCLE"},     {u"AcDbArc", u"ARC"},
                {u"AcDbPolyline", u"LWPOLYLINE"}, {u"AcDb2dPolyline", u"POLYLINE"}, {u"AcDb3dPolyline", u"POLYLINE"},
                {u"AcDbPoint", u"POINT"},        {u"AcDbText", u"TEXT"},         {u"AcDbMText", u"MTEXT"},
                {u"AcDbHatch", u"HATCH"},        {u"AcDbBlockReference", u"INSERT"}, {u"AcDbRasterImage", u"IMAGE"},
                {u"AcDbEllipse", u"ELLIPSE"},    {u"AcDbSpline", u"SPLINE"},     {u"AcDbMline", u"MLINE"},
                {u"AcDbSolid", u"SOLID"},        {u"AcDbRegion", u"REGION"},     {u"AcDbAttributeDefinition", u"ATTDEF"}};
  const std::u16string name = e->isA()->name();
  for (const auto& t : kTypes)
    if (name == t.cls) return t.dxf;
  return name;
}

// Applies a filter list; false for a group code that is not modelled.
bool applyFilterList(const resbuf* filter, std::vector<AcDbObjectId>& ids) {
  for (const resbuf* rb = filter; rb; rb = rb->rbnext) {
    const bool type = rb->restype == 0 || rb->restype == RTDXF0;
    if ((!type && rb->restype != 8) || !rb->resval.rstring) return false;
    const std::u16string pattern = rb->resval.rstring;
    std::erase_if(ids, [&](AcDbObjectId id) {
      auto* e = arxdetail::DbAccess::peekAs<AcDbEntity>(id);
      if (!e) return true;
      return !matchesAny(pattern, type ? dxfTypeOf(e) : e->layer());
    });
  }
  return true;
}

int toAdsName(AcDbObjectId id, ads_name out) {
  ads_name name = {0, 0};
  const Acad::ErrorStatus es = acdbGetAdsName(name, id);
  out[0] = name[0];
  out[1] = name[1];
  return es == Acad::eOk ? RTNORM : RTERROR;
}

int returnSet(std::vector<AcDbObjectId> ids, ads_name ss) {
  if (ids.empty()) return RTERROR;
  return editor().newSet(std::move(ids), ss) ? RTNORM : RTERROR;
}

int selectInteractively(std::vector<AcDbObjectId>& out);

}  // namespace

namespace arx {

// The user's answers at "Select objects:" (points, ALL, W/C and two corners, L) until Enter.
// RTNORM with what was chosen (before filters), RTCAN for Esc.
int askForSelection(std::vector<AcDbObjectId>& out) { return selectInteractively(out); }

}  // namespace arx

namespace {

int selectInteractively(std::vector<AcDbObjectId>& out) {
  arx::Editor& ed = editor();
  const auto addAll = [&out](const std::vector<AcDbObjectId>& ids) {
    for (AcDbObjectId id : ids)
      if (std::find(out.begin(), out.end(), id) == out.end()) out.push_back(id);
  };
  while (true) {
    std::optional<arx::UserInput> in = ed.ask(u"\nSelect objects: ");
    if (!in || in->kind == arx::UserInput::kEscape) return RTCAN;
    if (in->kind == arx::UserInput::kEnter) return RTNORM;
    std::u16string upperWord;
    for (char16_t c : in->text) upperWord += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    AcGePoint3d p;
    if (arx::parsePointText(in->text, p)) {
      const auto hits = ed.hitAt(p);
      if (!hits.empty()) addAll({hits.back()});
    } else if (upperWord == u"ALL") {
      addAll(ed.allEntities());
    } else if (upperWord == u"L") {
      const auto all = ed.allEntities();
      if (!all.empty()) addAll({all.back()});
    } else if (upperWord == u"W" || upperWord == u"C") {
      AcGePoint3d a, b;
      std::optional<arx::UserInput> first = ed.ask(u"\nSpecify first corner: ");
      if (!first || first->kind == arx::UserInput::kEscape) return RTCAN;
      std::optional<arx::UserInput> second = ed.ask(u"\nSpecify opposite corner: ");
      if (!second || second->kind == arx::UserInput::kEscape) return RTCAN;
      if (arx::parsePointText(first->text, a) && arx::parsePointText(second->text, b))
        addAll(ed.inWindow(a, b, upperWord == u"C"));
    }
  }
}

}  // namespace

int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss) {
  ss[0] = ss[1] = 0;
  arx::Editor& ed = editor();
  AcApDocument* doc = acDocManager->curDocument();
  if (!doc) return RTERROR;
  const std::u16string mode = str ? std::u16string(str) : std::u16string();
  std::vector<AcDbObjectId> ids;
  if (mode == u"I" || mode == u"_I") {
    std::vector<AcDbObjectId> implied = ed.pickfirst(doc);
    std::erase_if(implied, [](AcDbObjectId id) { return id.isErased(); });
    if (!applyFilterList(filter, implied)) return RTERROR;
    return returnSet(std::move(implied), ss);
  }
  if (mode.empty() && pt1) {
    ids = ed.hitAt(fromPoint(pt1));
  } else if ((mode == u"W" || mode == u"C" || mode == u"_W" || mode == u"_C") && pt1 && pt2) {
    ids = ed.inWindow(fromPoint(pt1), fromPoint(pt2), mode.back() == u'C');
  } else if (mode == u"X" || mode == u"_X") {
    ids = ed.allEntities();
  } else if (mode == u"L" || mode == u"_L") {
    ids = ed.allEntities();
    if (ids.size() > 1) ids.erase(ids.begin(), ids.end() - 1);
  } else if (mode.empty()) {
    if (selectInteractively(ids) != RTNORM) return RTCAN;
  } else {
    return RTERROR;  // a mode that is not modelled fails rather than selecting something else
  }
  if (!applyFilterList(filter, ids)) return RTERROR;
  return returnSet(ed.filtered(ids, 0), ss);
}

int acedSSSetFirst(const ads_name pset, const ads_name) {
  AcApDocument* doc = acDocManager->curDocument();
  if (!doc) return RTERROR;
  if (!pset || (pset[0] == 0 && pset[1] == 0)) {
    editor().setPickfirst(doc, {});
    return RTNORM;
  }
  const std::vector<AcDbObjectId>* set = editor().set(pset);
  if (!set) return RTERROR;
  editor().setPickfirst(doc, *set);
  return RTNORM;
}

int acedSSLength(const ads_name ss, Adesk::Int32* len) {
  const std::vector<AcDbObjectId>* set = editor().set(ss);
  if (!set || !len) return RTERROR;
  *len = static_cast<Adesk::Int32>(set->size());
  return RTNORM;
}

int acedSSName(const ads_name ss, Adesk::Int32 i, ads_name entres) {
  const std::vector<AcDbObjectId>* set = editor().set(ss);
  if (!set || i < 0 || static_cast<std::size_t>(i) >= set->size()) return RTERROR;
  return toAdsName((*set)[static_cast<std::size_t>(i)], entres);
}

int acedSSFree(const ads_name ss) { return editor().freeSet(ss) ? RTNORM : RTERROR; }

int acedSSAdd(const ads_name ename, const ads_name ss, ads_name result) {
  AcDbObjectId id;
  const bool hasEntity = ename && (ename[0] != 0 || ename[1] != 0);
  if (hasEntity && acdbGetObjectId(id, ename) != Acad::eOk) return RTERROR;
  if (!ss || (ss[0] == 0 && ss[1] == 0)) {
    std::vector<AcDbObjectId> ids;
    if (hasEntity) ids.push_back(id);
    return editor().newSet(std::move(ids), result) ? RTNORM : RTERROR;
  }
  std::vector<AcDbObjectId>* set = editor().set(ss);
  if (!set) return RTERROR;
  if (hasEntity && std::find(set->begin(), set->end(), id) == set->end()) set->push_back(id);
  result[0] = ss[0];
  result[1] = ss[1];
  return RTNORM;
}

int acedSSDel(const ads_name ename, const ads_name ss) {
  AcDbObjectId id;
  std::vector<AcDbObjectId>* set = editor().set(ss);
  if (!set || acdbGetObjectId(id, ename) != Acad::eOk) return RTERROR;
  auto it = std::find(set->begin(), set->end(), id);
  if (it == set->end()) return RTERROR;
  set->erase(it);
  return RTNORM;
}

int acedSSMemb(const ads_name ename, const ads_name ss) {
  AcDbObjectId id;
  std::vector<AcDbObjectId>* set = editor().set(ss);
  if (!set || acdbGetObjectId(id, ename) != Acad::eOk) return RTERROR;
  return std::find(set->begin(), set->end(), id) != set->end() ? RTNORM : RTERROR;
}

namespace {

// A point prompt: RTNORM with a point, RTNONE for Enter, RTCAN for Esc or no answer. A text
// that is no point is asked again, as AutoCAD does ("Invalid point.").
int askPoint(const ACHAR* prompt, AcGePoint3d& p) {
  const std::u16string text = prompt ? prompt : u"";
  for (int tries = 0; tries < 16; ++tries) {
    std::optional<arx::UserInput> in = editor().ask(text);
    if (!in || in->kind == arx::UserInput::kEscape) return RTCAN;
    if (in->kind == arx::UserInput::kEnter) return RTNONE;
    if (arx::parsePointText(in->text, p)) return RTNORM;
    arx::AcadApplication::current().desktop().transcript().commandLine(u"Invalid point.\n");
  }
  return RTCAN;
}

}  // namespace

int acedGetPoint(const ads_point, const ACHAR* prompt, ads_point result) {
  AcGePoint3d p;
  const int rc = askPoint(prompt, p);
  if (rc == RTNORM) toPoint(p, result);
  return rc;
}

int acedGetCorner(const ads_point base, const ACHAR* prompt, ads_point result) {
  return acedGetPoint(base, prompt, result);
}

int acedEntSel(const ACHAR* prompt, ads_name entres, ads_point ptres) {
  entres[0] = entres[1] = 0;
  std::optional<arx::UserInput> in = editor().ask(prompt ? prompt : u"\nSelect object: ");
  if (!in || in->kind == arx::UserInput::kEscape) return RTCAN;
  AcGePoint3d p;
  if (in->kind == arx::UserInput::kEnter || !arx::parsePointText(in->text, p)) return RTERROR;
  const std::vector<AcDbObjectId> hits = editor().hitAt(p);
  if (hits.empty()) return RTERROR;
  toPoint(p, ptres);
  return toAdsName(hits.back(), entres);
}

int acedGetString(int, const ACHAR* prompt, ACHAR* result, std::size_t bufLen) {
  if (!result || bufLen == 0) return RTERROR;
  std::optional<arx::UserInput> in = editor().ask(prompt ? prompt : u"");
  if (!in || in->kind == arx::UserInput::kEscape) return RTCAN;
  const std::u16string& text = in->text;
  if (text.size() + 1 > bufLen) return RTERROR;
  std::copy(text.begin(), text.end(), result);
  result[text.size()] = 0;
  return RTNORM;
}

int acedGetReal(const ACHAR* prompt, ads_real* result) {
  std::optional<arx::UserInput> in = editor().ask(prompt ? prompt : u"");
  if (!in || in->kind == arx::UserInput::kEscape) return RTCAN;
  if (in->kind == arx::UserInput::kEnter) return RTNONE;
  const std::string s = win32::utf16ToUtf8(in->text);
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0' || !std::isfinite(v)) return RTERROR;
  if (result) *result = v;
  return RTNORM;
}

int acedGetInt(const ACHAR* prompt, int* result) {
  std::optional<arx::UserInput> in = editor().ask(prompt ? prompt : u"");
  if (!in || in->kind == arx::UserInput::kEscape) return RTCAN;
  if (in->kind == arx::UserInput::kEnter) return RTNONE;
  const std::string s = win32::utf16ToUtf8(in->text);
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || v < -32768 || v > 32767) return RTERROR;
  if (result) *result = static_cast<int>(v);
  return RTNORM;
}

void acedPostCommandPrompt() { editor().postCommandPrompt(); }

int acedSetStatusBarProgressMeter(const ACHAR* label, int minPos, int maxPos) {
  return editor().startMeter(label ? label : u"", minPos, maxPos);
}

int acedSetStatusBarProgressMeterPos(int pos) { return editor().meterPos(pos); }

void acedRestoreStatusBar() { editor().restoreStatusBar(); }
