// Reading DXF: the file's header, the order of the sections, and the reader's shared services
// (object creation with the file's handles, entity properties, names, extended data and the
// references resolved once every object exists).
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "arx/dbsymtb.h"
#include "arx/dxf.h"
#include "db_internal.h"
#include "dxf_read.h"
#include "resbuf_kind.h"
#include "win32/codepage.h"
#include "win32/unicode.h"

namespace arxdxf {
namespace detail {

using arxdetail::DbAccess;

namespace {

constexpr std::size_t kMaxWarnings = 200;

bool isEntityCommonCode(int code) {
  switch (code) {
    case 8: case 6: case 62: case 420: case 430: case 440: case 370: case 48: case 60: case 67: case 410:
    case 347: case 348: case 390: case 284: case 92: case 160: case 310:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool PointReader::take(const Group& g, int base) {
  if (g.code == base) {
    p.x = toReal(g);
    seen = true;
    return true;
  }
  if (g.code == base + 10) {
    p.y = toReal(g);
    seen = true;
    return true;
  }
  if (g.code == base + 20) {
    p.z = toReal(g);
    return true;
  }
  return false;
}

bool ColorReader::take(const Reader& r, const Group& g) {
  switch (g.code) {
    case 62:
      aci = toInt32(g);
      hasAci = true;
      return true;
    case 420:
      rgb = toInt32(g);
      hasRgb = true;
      return true;
    case 430:
      name = r.text(g);
      return true;
    default:
      return false;
  }
}

AcCmColor ColorReader::color() const {
  AcCmColor c;
  if (hasRgb) {
    c.setRGB(static_cast<Adesk::UInt8>((rgb >> 16) & 0xFF), static_cast<Adesk::UInt8>((rgb >> 8) & 0xFF),
             static_cast<Adesk::UInt8>(rgb & 0xFF));
  } else {
    int index = aci < 0 ? -aci : aci;
    if (!c.setColorIndex(static_cast<Adesk::UInt16>(index > 257 ? 256 : index))) c.setColorIndex(256);
  }
  if (!name.empty()) {
    // "BOOK$COLOR"
    std::size_t dollar = name.find(u'$');
    if (dollar == std::u16string::npos)
      c.setNames(name);
    else
      c.setNames(name.substr(dollar + 1), name.substr(0, dollar));
  }
  return c;
}

void Reader::warn(std::uint32_t line, const std::string& message) {
  if (result_.warnings.size() >= kMaxWarnings) {
    ++suppressedWarnings_;
    return;
  }
  result_.warnings.push_back(line ? "line " + std::to_string(line) + ": " + message : message);
}

void Reader::keptAsProxy(std::string_view dxfName, bool entity) {
  auto& m = entity ? proxyEntities_ : proxyObjects_;
  ++m[std::string(dxfName)];
}

void Reader::finishWarnings() {
  for (const auto& [name, n] : proxyEntities_)
    result_.warnings.push_back(std::to_string(n) + " " + name + " entit" + (n == 1 ? "y" : "ies") +
                               " kept as proxy entit" + (n == 1 ? "y" : "ies") + " (AcDbProxyEntity)");
  for (const auto& [name, n] : proxyObjects_)
    result_.warnings.push_back(std::to_string(n) + " " + name + " object" + (n == 1 ? "" : "s") +
                               " kept as proxy object" + (n == 1 ? "" : "s") + " (AcDbProxyObject)");
  if (suppressedWarnings_)
    result_.warnings.push_back(std::to_string(suppressedWarnings_) + " more warnings not listed");
}

std::u16string Reader::proxyClassName(const SplitRecord& s, std::string_view ignoredMarker) const {
  if (auto cls = classNames.find(s.record->type); cls != classNames.end()) return cls->second;
  std::u16string name;
  for (const Group& g : s.record->groups) {
    if (g.code == 100 && trimmed(g.value) != ignoredMarker) name = text(trimmed(g.value));
  }
  return name;
}

SplitRecord Reader::split(const Record& r, bool entity) const {
  SplitRecord s;
  s.record = &r;
  const Group* g = r.groups.data();
  const Group* end = g + r.groups.size();
  bool hasMarkers = false;
  for (const Group* p = g; p != end; ++p)
    if (p->code == 100) {
      hasMarkers = true;
      break;
    }
  const Group* bodyStart = nullptr;
  const Group* xdataStart = end;
  bool haveHandle = false, haveOwner = false;
  ColorReader color;
  // Dimension styles name blocks with group 5; their handle is 105.
  const int handleCode = r.type == "DIMSTYLE" ? 105 : 5;
  for (const Group* p = g; p != end; ++p) {
    if (p->code == 1001) {
      xdataStart = p;
      break;
    }
    if (bodyStart && hasMarkers) continue;  // the class's own groups are the body's
    switch (p->code) {
      case 5:
      case 105:
        if (!haveHandle && p->code == handleCode) {
          s.handle = toHandle(*p);
          haveHandle = true;
          continue;
        }
        break;
      case 102: {
        std::string_view v = trimmed(p->value);
        if (v == "{ACAD_REACTORS" || v == "{ACAD_XDICTIONARY" || (!v.empty() && v.front() == '{')) {
          const bool reactors = v == "{ACAD_REACTORS", xdict = v == "{ACAD_XDICTIONARY";
          for (++p; p != end && !(p->code == 102 && trimmed(p->value) == "}"); ++p) {
            if (reactors && p->code == 330) s.reactors.push_back(toHandle(*p));
            if (xdict && p->code == 360) s.extDict = toHandle(*p);
          }
          if (p == end) --p;
          continue;
        }
        break;
      }
      case 330:
        if (!haveOwner) {
          s.owner = toHandle(*p);
          haveOwner = true;
          continue;
        }
        break;
      case 100:
        if (entity && trimmed(p->value) == "AcDbEntity") continue;
        bodyStart = p;
        continue;
      default:
        break;
    }
    if (entity && isEntityCommonCode(p->code) && !(p->code == 92 && !hasMarkers) &&
        !(p->code == 310 && !hasMarkers) && !(p->code == 160 && !hasMarkers)) {
      if (color.take(*this, *p)) {
        s.hasColor = true;
        continue;
      }
      switch (p->code) {
        case 8: s.layer = text(*p); break;
        case 6: s.linetype = text(*p); break;
        case 440:
          s.transparency.serializeIn(static_cast<Adesk::UInt32>(toInt32(*p)));
          s.hasTransparency = true;
          break;
        case 370:
          s.lineWeight = toInt32(*p);
          s.hasLineWeight = true;
          break;
        case 48: s.linetypeScale = toReal(*p); break;
        case 60: s.invisible = toInt(*p) != 0; break;
        case 67: s.paperSpace = toInt(*p) != 0; break;
        default: break;  // proxy graphics, plot style, material: not kept
      }
      continue;
    }
    // Without subclass markers (R12) the class's groups and the common ones are mixed.
    if (!bodyStart && !hasMarkers) bodyStart = p;
  }
  if (s.hasColor) s.color = color.color();
  if (!bodyStart) bodyStart = xdataStart;
  s.body = {bodyStart, xdataStart};
  s.xdata = {xdataStart, end};
  return s;
}

AcDbObjectId Reader::idOf(AcDbHandle h) {
  if (h.isNull()) return {};
  AcDbObjectId id;
  if (db_.getAcDbObjectId(id, false, h) != Acad::eOk || !id.isValid()) return {};
  return id;
}

AcDbHandle Reader::usableHandle(const SplitRecord& split) {
  AcDbHandle h = split.handle;
  if (!h.isNull() && idOf(h).isValid()) {
    warn(split.record ? split.record->line : 0,
         "handle " + win32::utf16ToUtf8(h.ascii()) + " is used twice; the second object gets a new handle");
    h = AcDbHandle();
  }
  return h;
}

AcDbObjectId Reader::add(std::unique_ptr<AcDbObject> obj, const SplitRecord& split, AcDbObjectId owner) {
  AcDbObjectId id = addRaw(obj.get(), split, owner, usableHandle(split));
  if (!id.isNull()) obj.release();
  return id;
}

void Reader::applyXdata(AcDbObject& obj, SplitRecord& split) {
  if (split.xdata.empty()) return;
  resbuf* xd = xdataChain(split.xdata);
  split.xdata = {};
  if (!xd) return;
  if (obj.setXData(xd) != Acad::eOk) warn(split.record ? split.record->line : 0, "extended data could not be kept");
  acutRelRb(xd);
}

AcDbObjectId Reader::addRaw(AcDbObject* obj, const SplitRecord& constSplit, AcDbObjectId owner, AcDbHandle h) {
  SplitRecord split = constSplit;
  const std::uint32_t line = split.record ? split.record->line : 0;
  applyXdata(*obj, split);
  AcDbObjectId id;
  Acad::ErrorStatus es = DbAccess::addObject(db_, obj, owner, h, false, id);
  if (id.isNull()) {
    warn(line, std::string("object could not be added (") + win32::utf16ToUtf8(acadErrorStatusText(es)) + ")");
    return {};
  }
  if (es != Acad::eOk) warn(line, "parts of the object could not be added");
  if (!split.extDict.isNull()) {
    AcDbHandle xd = split.extDict;
    later([this, id, xd, line] {
      AcDbObjectId d = idOf(xd);
      AcDbObject* o = DbAccess::peek(id);
      if (d.isValid() && o && DbAccess::peek(d)->isKindOf(AcDbDictionary::desc()))
        DbAccess::setExtDict(*o, d);
      else
        warn(line, "extension dictionary " + win32::utf16ToUtf8(xd.ascii()) + " not found");
    });
  }
  if (!split.reactors.empty()) {
    std::vector<AcDbHandle> reactors = split.reactors;
    later([this, id, reactors] {
      AcDbObject* o = DbAccess::peek(id);
      for (AcDbHandle h : reactors) {
        AcDbObjectId r = idOf(h);
        // Reactors that were not kept (image definition reactors are made again on writing)
        // are left out.
        if (r.isValid() && o) {
          DbAccess::OwnerEdit edit(*o);
          o->addPersistentReactor(r);
        }
      }
    });
  }
  return id;
}

void Reader::applyEntityProperties(AcDbEntity& e, const SplitRecord& s) {
  DbAccess::setEntityLayer(e, layerNamed(s.layer));
  DbAccess::setEntityLinetype(e, s.linetype.empty() ? db_.byLayerLinetype() : linetypeNamed(s.linetype));
  if (s.hasColor) e.setColor(s.color);
  if (s.hasTransparency && !s.transparency.isInvalid()) e.setTransparency(s.transparency);
  if (s.hasLineWeight) e.setLineWeight(static_cast<AcDb::LineWeight>(s.lineWeight));
  if (s.linetypeScale > 0.0) e.setLinetypeScale(s.linetypeScale);
  if (s.invisible) e.setVisibility(AcDb::kInvisible);
}

AcDbObjectId Reader::addEntity(std::unique_ptr<AcDbEntity> e, const SplitRecord& split, AcDbObjectId block) {
  auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block);
  if (!btr) return {};
  applyEntityProperties(*e, split);
  std::vector<std::pair<AcDbEntity*, SplitRecord>> subs;
  subs.swap(pendingSubs_);
  AcDbObjectId id;
  if (subs.empty()) {
    id = add(std::unique_ptr<AcDbObject>(e.release()), split, block);
  } else {
    // The owner's handle is reserved first so that its parts can name it as their owner.
    // Extended data first: a bad value must throw before any part is in the database.
    SplitRecord own = split;
    applyXdata(*e, own);
    for (auto& [sub, ss] : subs) applyXdata(*sub, ss);
    AcDbHandle h = usableHandle(own);
    if (h.isNull()) h = db_.handseed();
    AcDbObjectId reserved;
    db_.getAcDbObjectId(reserved, true, h);
    for (auto& [sub, ss] : subs) addRaw(sub, ss, reserved, usableHandle(ss));
    id = addRaw(e.get(), own, block, h);
    if (!id.isNull()) e.release();
  }
  if (!id.isNull()) DbAccess::entities(*btr).push_back(id);
  return id;
}

void Reader::registerXdataApps() {
  for (const std::u16string& app : xdataApps_) ensureRegApp(app);
}

void Reader::runFixups() {
  // Fixups may add more (an Xrecord's handles); run until none is left.
  for (std::size_t i = 0; i < fixups_.size(); ++i) {
    auto f = std::move(fixups_[i]);
    f();
  }
  fixups_.clear();
}

namespace {

AcDbObjectId findOrAdd(AcDbDatabase& db, AcDbObjectId table, const std::u16string& name,
                       const std::function<AcDbSymbolTableRecord*()>& make) {
  AcDbObjectId id = arxdetail::findRecord(table, name);
  if (!id.isNull()) return id;
  AcDbSymbolTableRecord* rec = make();
  if (rec->setName(name.c_str()) != Acad::eOk) {
    delete rec;
    return {};
  }
  return arxdetail::addRecordSilently(db, table, rec);
}

}  // namespace

AcDbObjectId Reader::layerNamed(const std::u16string& name) {
  const std::u16string n = name.empty() ? u"0" : name;
  AcDbObjectId id = findOrAdd(db_, db_.layerTableId(), n, [this] {
    auto* rec = new AcDbLayerTableRecord;
    AcCmColor white;
    white.setColorIndex(7);
    rec->setColor(white);
    rec->setLinetypeObjectId(db_.continuousLinetype());
    return rec;
  });
  return id.isNull() ? arxdetail::findRecord(db_.layerTableId(), u"0") : id;
}

AcDbObjectId Reader::linetypeNamed(const std::u16string& name) {
  if (name.empty()) return db_.byLayerLinetype();
  AcDbObjectId id = arxdetail::findRecord(db_.linetypeTableId(), name);
  if (!id.isNull()) return id;
  warn(0, "linetype \"" + win32::utf16ToUtf8(name) + "\" is not in the LTYPE table; added without dashes");
  id = findOrAdd(db_, db_.linetypeTableId(), name, [] { return new AcDbLinetypeTableRecord; });
  return id.isNull() ? db_.byLayerLinetype() : id;
}

AcDbObjectId Reader::textStyleNamed(const std::u16string& name) {
  const std::u16string n = name.empty() ? u"Standard" : name;
  AcDbObjectId id = arxdetail::findRecord(db_.textStyleTableId(), n);
  if (!id.isNull()) return id;
  return findOrAdd(db_, db_.textStyleTableId(), n, [] { return new AcDbTextStyleTableRecord; });
}

AcDbObjectId Reader::blockNamed(const std::u16string& name) { return arxdetail::findRecord(db_.blockTableId(), name); }

void Reader::ensureRegApp(const std::u16string& name) {
  if (name.empty()) return;
  findOrAdd(db_, db_.regAppTableId(), name, [] { return new AcDbRegAppTableRecord; });
}

namespace {

// Codes whose value starts a point (x here, y at +10, z at +20).
bool isPointStart(int code) {
  return (code >= 10 && code <= 18) || (code >= 110 && code <= 112) || code == 210 ||
         (code >= 1010 && code <= 1013);
}

std::vector<char> hexBytes(const Group& g) {
  std::string_view s = trimmed(g.value);
  if (s.size() % 2) fail(g.line, "group " + std::to_string(g.code) + ": odd number of hex digits");
  std::vector<char> out;
  out.reserve(s.size() / 2);
  auto hv = [&](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    fail(g.line, "group " + std::to_string(g.code) + ": not hexadecimal data");
  };
  for (std::size_t i = 0; i < s.size(); i += 2) out.push_back(static_cast<char>(hv(s[i]) * 16 + hv(s[i + 1])));
  return out;
}

}  // namespace

resbuf* Reader::dataChain(const GroupSpan& span, std::vector<std::pair<resbuf*, AcDbHandle>>& handleSlots) {
  // Released if a value turns out not to be a number half-way.
  struct ChainOwner {
    resbuf* head = nullptr;
    ~ChainOwner() { acutRelRb(head); }
  } owner;
  resbuf*& head = owner.head;
  resbuf** tail = &head;
  for (const Group* g = span.begin(); g != span.end(); ++g) {
    using arxdetail::RbKind;
    RbKind kind = arxdetail::rbKindOf(g->code);
    if (kind == RbKind::kInvalid || kind == RbKind::kNone) {
      warn(g->line, "group " + std::to_string(g->code) + " cannot be kept in a result buffer; left out");
      continue;
    }
    resbuf* rb = acutNewRb(g->code);
    if (!rb) break;
    *tail = rb;
    tail = &rb->rbnext;
    switch (kind) {
      case RbKind::kString:
        rb->resval.rstring = arxdetail::rbDupString(text(*g).c_str());
        break;
      case RbKind::kReal:
        rb->resval.rreal = toReal(*g);
        break;
      case RbKind::kPoint: {
        rb->resval.rpoint[0] = toReal(*g);
        if (isPointStart(g->code)) {
          const int base = g->code;
          for (int k = 1; k <= 2 && g + 1 != span.end() && g[1].code == base + 10 * k; ++k) {
            ++g;
            rb->resval.rpoint[k] = toReal(*g);
          }
        }
        break;
      }
      case RbKind::kInt16:
        rb->resval.rint = static_cast<short>(toInt(*g));
        break;
      case RbKind::kInt32:
        rb->resval.rlong = toInt32(*g);
        break;
      case RbKind::kInt64:
        rb->resval.mnInt64 = toInt(*g);
        break;
      case RbKind::kName:
        rb->resval.rlname[0] = rb->resval.rlname[1] = 0;
        handleSlots.emplace_back(rb, toHandle(*g));
        break;
      case RbKind::kBinary: {
        std::vector<char> bytes = hexBytes(*g);
        if (bytes.size() > 32767) bytes.resize(32767);
        rb->resval.rbinary.clen = static_cast<short>(bytes.size());
        rb->resval.rbinary.buf = nullptr;
        if (!bytes.empty()) {
          rb->resval.rbinary.buf = static_cast<char*>(std::malloc(bytes.size()));
          std::copy(bytes.begin(), bytes.end(), rb->resval.rbinary.buf);
        }
        break;
      }
      case RbKind::kNone:
      case RbKind::kInvalid:
        break;
    }
  }
  resbuf* chain = head;
  head = nullptr;
  return chain;
}

resbuf* Reader::xdataChain(const GroupSpan& span) {
  std::vector<std::pair<resbuf*, AcDbHandle>> unused;
  // Extended data keeps handles (1005) as text; only 1001..1071 belong here.
  GroupSpan s = span;
  // Applications are registered once every table is read (registerXdataApps), so that the
  // file's own APPID records come first.
  for (const Group* g = s.begin(); g != s.end(); ++g)
    if (g->code == 1001) xdataApps_.insert(text(*g));
  resbuf* chain = dataChain(s, unused);
  // A chain must start with an application name.
  if (chain && chain->restype != 1001) {
    warn(span.first->line, "extended data without an application name; left out");
    acutRelRb(chain);
    return nullptr;
  }
  return chain;
}

std::vector<AcDbRawGroup> Reader::rawGroups(const GroupSpan& span) const {
  std::vector<AcDbRawGroup> out;
  out.reserve(static_cast<std::size_t>(span.end() - span.begin()));
  for (const Group& g : span) out.push_back({g.code, text(g)});
  return out;
}

namespace {

int versionNumber(std::string_view v) {
  v = trimmed(v);
  if (v.size() < 6 || v.substr(0, 2) != "AC") return 0;
  int n = 0;
  for (char c : v.substr(2)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

void readClasses(Reader& r, const Section& s) {
  for (const Record& rec : s.records) {
    if (rec.type != "CLASS") continue;
    std::string dxfName;
    std::u16string className;
    int flags = 0;
    for (const Group& g : rec.groups) {
      if (g.code == 1) dxfName = std::string(trimmed(g.value));
      if (g.code == 2) className = r.text(g);
      if (g.code == 90) flags = toInt32(g);
    }
    if (!dxfName.empty() && !className.empty()) {
      r.classNames[dxfName] = className;
      r.classFlags[dxfName] = flags;
    }
  }
}

const Section* findSection(const std::vector<Section>& sections, std::string_view name) {
  for (const Section& s : sections)
    if (s.name == name) return &s;
  return nullptr;
}

// The largest handle the file gives any record (so new objects never take one of them).
Adesk::UInt64 maxFileHandle(const std::vector<Section>& sections) {
  Adesk::UInt64 maxHandle = 0;
  for (const Section& s : sections) {
    for (const Record& rec : s.records) {
      const int handleCode = rec.type == "DIMSTYLE" ? 105 : 5;
      for (const Group& g : rec.groups) {
        if (g.code == handleCode) {
          AcDbHandle h = toHandle(g);
          maxHandle = std::max(maxHandle, h.value());
          break;
        }
      }
    }
  }
  return maxHandle;
}

}  // namespace

ReadResult read(std::string_view bytes, const ReadOptions& options) {
  ReadResult result;
  std::vector<Section> sections;
  try {
    sections = splitSections(bytes);
  } catch (const DxfError& e) {
    result.status = e.status;
    result.reason = e.reason;
    return result;
  }

  // Header: version, code page, hand seed, current layer.
  int version = 0;
  UINT codePage = 0;
  std::string codePageText;
  AcDbHandle handseed;
  std::string_view clayerRaw;
  bool haveClayer = false;
  try {
    if (const Section* header = findSection(sections, "HEADER")) {
      for (const HeaderVar& v : header->vars) {
        if (v.groups.empty()) continue;
        const Group& g = v.groups.front();
        if (v.name == "$ACADVER") {
          result.acadVersion = std::string(trimmed(g.value));
          version = versionNumber(g.value);
        } else if (v.name == "$DWGCODEPAGE") {
          codePageText = std::string(trimmed(g.value));
          codePage = codePageFromName(g.value);
        } else if (v.name == "$HANDSEED") {
          handseed = toHandle(g);
        } else if (v.name == "$CLAYER") {
          clayerRaw = g.value;
          haveClayer = true;
        }
      }
    }
    if (!result.acadVersion.empty() && version == 0)
      throw DxfError{Acad::eUnknownDxfFileFormat, "unknown $ACADVER \"" + result.acadVersion + "\""};
  } catch (const DxfError& e) {
    result.status = e.status;
    result.reason = e.reason;
    return result;
  }

  const bool utf8 = version >= 1021;
  std::vector<std::string> early;
  if (!utf8) {
    if (codePage == 0) {
      if (!codePageText.empty()) early.push_back("unknown $DWGCODEPAGE \"" + codePageText + "\"; strings read as " +
                                                 codePageName(options.fallbackCodePage));
      codePage = options.fallbackCodePage;
    }
    if (!win32::isSupportedCodePage(codePage)) {
      early.push_back("code page " + codePageName(codePage) +
                      " cannot be converted here; non-ASCII bytes read as Windows-1252");
    }
  }
  TextDecoder decoder(codePage, utf8);
  result.codePage = utf8 ? 65001 : decoder.codePage();

  auto db = std::make_unique<AcDbDatabase>(false, true);
  Reader reader(*db, result, decoder, version);
  for (const std::string& w : early) reader.warn(0, w);
  try {
    Adesk::UInt64 seed = std::max(handseed.value(), maxFileHandle(sections) + 1);
    db->setHandseed(AcDbHandle(seed));
    if (const Section* s = findSection(sections, "CLASSES")) readClasses(reader, *s);
    if (const Section* s = findSection(sections, "TABLES")) readTables(reader, *s);
    ensureDefaultTables(reader);
    if (const Section* s = findSection(sections, "BLOCKS")) readBlocks(reader, *s);
    if (const Section* s = findSection(sections, "ENTITIES")) readEntities(reader, *s);
    if (const Section* s = findSection(sections, "OBJECTS")) readObjects(reader, *s);
    ensureNamedObjectsDictionary(reader);
    reader.registerXdataApps();
    reader.runFixups();
    for (const Section& s : sections) {
      if (s.name != "HEADER" && s.name != "CLASSES" && s.name != "TABLES" && s.name != "BLOCKS" &&
          s.name != "ENTITIES" && s.name != "OBJECTS" && s.name != "THUMBNAILIMAGE")
        reader.warn(s.line, "section " + std::string(s.name) + " is not kept");
    }
  } catch (const DxfError& e) {
    result.status = e.status;
    result.reason = e.reason;
    result.warnings.clear();
    return result;
  }
  if (haveClayer) {
    AcDbObjectId layer = arxdetail::findRecord(db->layerTableId(), decoder.decode(trimmed(clayerRaw)));
    if (!layer.isNull()) db->setClayer(layer);
  }
  reader.finishWarnings();
  result.database = std::move(db);
  return result;
}

}  // namespace detail

ReadResult readDxf(std::string_view bytes, const ReadOptions& options) { return detail::read(bytes, options); }

ReadResult readDxfFile(const std::filesystem::path& hostPath, const ReadOptions& options) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) {
    ReadResult r;
    r.status = Acad::eFileNotFound;
    r.reason = "cannot open " + hostPath.string();
    return r;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  std::string bytes = ss.str();
  ReadResult r = detail::read(bytes, options);
  if (r.database) r.database->setFilename(win32::utf8ToUtf16(hostPath.string()));
  return r;
}

}  // namespace arxdxf
