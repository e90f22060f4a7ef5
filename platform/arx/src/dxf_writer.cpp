// Writing DXF: group formatting, the parts every object and entity has, and the order of the
// sections (HEADER, CLASSES, TABLES, BLOCKS, ENTITIES, OBJECTS). The header is written last
// into its place, because the hand seed is known only when everything else is written.
#include <charconv>
#include <cmath>
#include <fstream>

#include "arx/dbapserv.h"
#include "arx/dbblkref.h"
#include "arx/dbcomplex.h"
#include "arx/dbdict.h"
#include "arx/dbimage.h"
#include "arx/dbsort.h"
#include "arx/dbsymtb.h"
#include "arx/dxf.h"
#include "db_internal.h"
#include "dxf_codepage.h"
#include "dxf_write.h"
#include "resbuf_kind.h"
#include "win32/unicode.h"

namespace arxdxf {
namespace detail {

using arxdetail::DbAccess;

Writer::Writer(const AcDbDatabase& db, const WriteOptions& options, std::string& out)
    : db_(db), options_(options), out_(out), next_(db.handseed().value()) {}

void Writer::raw(int code, std::string_view value) {
  char buf[16];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, code);
  (void)ec;
  const std::size_t n = static_cast<std::size_t>(p - buf);
  if (n < 3) out_.append(3 - n, ' ');
  out_.append(buf, n);
  out_ += '\n';
  out_.append(value);
  out_ += '\n';
}

void Writer::str(int code, std::u16string_view value) {
  raw(code, encodeText(value, options_.codePage, r2013()));
}

void Writer::real(int code, double value) {
  if (!std::isfinite(value)) {
    warn("group " + std::to_string(code) + ": a value that is not finite is written as 0");
    value = 0.0;
  }
  char buf[40];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value);
  (void)ec;
  std::string s(buf, p);
  // The shortest exact form; a decimal point makes it read as a real everywhere.
  if (s.find_first_of(".en") == std::string::npos) {
    s += ".0";
  } else if (s.find('.') == std::string::npos && s.find('e') != std::string::npos) {
    s.insert(s.find('e'), ".0");
  }
  raw(code, s);
}

void Writer::integer(int code, long long value) { raw(code, std::to_string(value)); }

void Writer::handle(int code, AcDbHandle h) { raw(code, win32::utf16ToUtf8(h.ascii())); }

void Writer::point(int code, const AcGePoint3d& p) {
  real(code, p.x);
  real(code + 10, p.y);
  real(code + 20, p.z);
}

void Writer::point2d(int code, double x, double y) {
  real(code, x);
  real(code + 10, y);
}

void Writer::normal(const AcGeVector3d& n) {
  if (n.isEqualTo(AcGeVector3d::kZAxis)) return;
  vector(210, n);
}

void Writer::begin(std::string_view type, AcDbHandle h, const AcDbObject* obj, AcDbHandle owner,
                   const std::vector<AcDbHandle>& extraReactors, int handleCode) {
  raw(0, type);
  handle(handleCode, h);
  std::vector<AcDbHandle> reactors;
  if (obj)
    for (AcDbObjectId id : obj->persistentReactorIds())
      if (id.isValid() && !id.isErased()) reactors.push_back(id.handle());
  reactors.insert(reactors.end(), extraReactors.begin(), extraReactors.end());
  if (!reactors.empty()) {
    raw(102, "{ACAD_REACTORS");
    for (AcDbHandle r : reactors) handle(330, r);
    raw(102, "}");
  }
  if (obj && obj->extensionDictionary().isValid() && !obj->extensionDictionary().isErased()) {
    raw(102, "{ACAD_XDICTIONARY");
    handle(360, obj->extensionDictionary());
    raw(102, "}");
  }
  handle(330, owner);
}

void Writer::color(const AcCmColor& c, bool layer, bool off) {
  int aci = c.colorIndex();
  if (c.isByColor()) aci = AcCmEntityColor::lookUpACI(c.red(), c.green(), c.blue());
  if (layer) {
    if (aci < 1 || aci > 255) aci = 7;
    integer(62, off ? -aci : aci);
  } else if (!c.isByLayer()) {
    integer(62, aci);
  }
  if (c.isByColor()) {
    integer(420, (static_cast<long long>(c.red()) << 16) | (static_cast<long long>(c.green()) << 8) | c.blue());
    if (!c.colorName().empty())
      str(430, c.bookName().empty() ? c.colorName() : c.bookName() + u"$" + c.colorName());
  }
}

void Writer::entityProperties(const AcDbEntity& e, bool paperSpace) {
  raw(100, "AcDbEntity");
  if (paperSpace) integer(67, 1);
  std::u16string layer = nameOf(e.layerId());
  str(8, layer.empty() ? u"0" : layer);
  std::u16string lt = nameOf(e.linetypeId());
  if (!lt.empty() && !arxdetail::namesEqual(lt, u"ByLayer")) str(6, lt);
  color(e.color());
  if (e.lineWeight() != AcDb::kLnWtByLayer) integer(370, e.lineWeight());
  if (e.linetypeScale() != 1.0) real(48, e.linetypeScale());
  if (e.visibility() == AcDb::kInvisible) integer(60, 1);
  if (!e.transparency().isByLayer() && !e.transparency().isInvalid())
    integer(440, static_cast<long long>(e.transparency().serializeOut()));
}

void Writer::xdata(const AcDbObject& o) {
  resbuf* chain = o.xData(nullptr);
  for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
    using arxdetail::RbKind;
    const int code = rb->restype;
    switch (arxdetail::rbKindOf(code)) {
      case RbKind::kString:
        str(code, rb->resval.rstring ? std::u16string_view(rb->resval.rstring) : std::u16string_view());
        break;
      case RbKind::kReal: real(code, rb->resval.rreal); break;
      case RbKind::kPoint:
        real(code, rb->resval.rpoint[0]);
        if (code >= 1010 && code <= 1013) {
          real(code + 10, rb->resval.rpoint[1]);
          real(code + 20, rb->resval.rpoint[2]);
        }
        break;
      case RbKind::kInt16: integer(code, rb->resval.rint); break;
      case RbKind::kInt32: integer(code, rb->resval.rlong); break;
      case RbKind::kInt64: integer(code, rb->resval.mnInt64); break;
      case RbKind::kBinary: {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string hex;
        for (short i = 0; i < rb->resval.rbinary.clen; ++i) {
          auto b = static_cast<unsigned char>(rb->resval.rbinary.buf[i]);
          hex += kHex[b >> 4];
          hex += kHex[b & 15];
        }
        raw(code, hex);
        break;
      }
      case RbKind::kName: {
        AcDbObjectId id;
        acdbGetObjectId(id, rb->resval.rlname);
        handle(code, id);
        break;
      }
      case RbKind::kNone:
      case RbKind::kInvalid:
        break;
    }
  }
  acutRelRb(chain);
}

void Writer::rawGroups(const std::vector<AcDbRawGroup>& groups, AcDbHandle owner) {
  for (const AcDbRawGroup& g : groups) {
    if (g.code == 0) {
      str(0, g.value);
      handle(5, newHandle());
      handle(330, owner);
      continue;
    }
    str(g.code, g.value);
  }
}

std::u16string Writer::nameOf(AcDbObjectId recordId) const {
  auto* rec = DbAccess::peekAs<AcDbSymbolTableRecord>(recordId);
  return rec ? rec->getName() : std::u16string();
}

bool needsClassRecord(std::u16string_view n) {
  static constexpr std::u16string_view kBuiltIn[] = {
      u"3DFACE", u"3DSOLID", u"ACAD_PROXY_ENTITY", u"ARC", u"ATTDEF", u"ATTRIB", u"BODY", u"CIRCLE",
      u"DIMENSION", u"ELLIPSE", u"HATCH", u"INSERT", u"LEADER", u"LINE", u"LWPOLYLINE", u"MLINE", u"MTEXT",
      u"OLEFRAME", u"OLE2FRAME", u"POINT", u"POLYLINE", u"RAY", u"REGION", u"SEQEND", u"SHAPE", u"SOLID",
      u"SPLINE", u"TEXT", u"TOLERANCE", u"TRACE", u"VERTEX", u"VIEWPORT", u"XLINE", u"ACAD_PROXY_OBJECT",
      u"DICTIONARY", u"GROUP", u"MLINESTYLE", u"XRECORD", u"TABLE", u"VPORT", u"LTYPE", u"LAYER", u"STYLE",
      u"VIEW", u"UCS", u"APPID", u"DIMSTYLE", u"BLOCK_RECORD"};
  for (std::u16string_view b : kBuiltIn)
    if (b == n) return false;
  return !n.empty();
}

namespace {

struct ClassInfo {
  std::u16string dxfName;
  std::u16string className;
  std::u16string app;
  int flags = 0;
  bool entity = false;
};

// Classes the writer itself writes.
const ClassInfo kOwnClasses[] = {
    {u"ACDBDICTIONARYWDFLT", u"AcDbDictionaryWithDefault", u"ObjectDBX Classes", 0, false},
    {u"ACDBPLACEHOLDER", u"AcDbPlaceHolder", u"ObjectDBX Classes", 0, false},
    {u"LAYOUT", u"AcDbLayout", u"ObjectDBX Classes", 0, false},
    {u"IMAGE", u"AcDbRasterImage", u"ISM", 127, true},
    {u"IMAGEDEF", u"AcDbRasterImageDef", u"ISM", 0, false},
    {u"IMAGEDEF_REACTOR", u"AcDbRasterImageDefReactor", u"ISM", 1, false},
    {u"RASTERVARIABLES", u"AcDbRasterVariables", u"ISM", 0, false},
    {u"SORTENTSTABLE", u"AcDbSortentsTable", u"ObjectDBX Classes", 0, false},
};

class DxfOut {
 public:
  DxfOut(const AcDbDatabase& db, const WriteOptions& options, std::string& body) : w_(db, options, body), db_(db) {}
  Writer& writer() { return w_; }

  void prepare();
  void writeClasses();
  std::vector<ClassInfo> classes;

 private:
  void noteClass(const std::u16string& dxf, const std::u16string& cls, int flags, bool entity);

  Writer w_;
  const AcDbDatabase& db_;
};

void DxfOut::noteClass(const std::u16string& dxf, const std::u16string& cls, int flags, bool entity) {
  if (!needsClassRecord(dxf)) return;
  for (const ClassInfo& c : classes)
    if (c.dxfName == dxf) return;
  for (const ClassInfo& c : kOwnClasses)
    if (c.dxfName == dxf) {
      classes.push_back(c);
      return;
    }
  classes.push_back({dxf, cls.empty() ? u"AcDbProxy" + dxf : cls, u"ObjectDBX Classes", flags, entity});
}

void DxfOut::prepare() {
  const AcDbObjectIdArray ids = db_.objectIds();
  for (AcDbObjectId id : ids) {
    AcDbObject* o = DbAccess::peek(id);
    if (!o) continue;
    if (auto* seq = AcDbSequenceEnd::cast(o)) w_.seqEnds[seq->ownerId()] = id;
    if (AcDbProxyObject::cast(o)) w_.ownedProxies[o->ownerId()].push_back(id);
    resbuf* xd = o->xData(nullptr);
    for (resbuf* rb = xd; rb; rb = rb->rbnext)
      if (rb->restype == 1001 && rb->resval.rstring) w_.xdataApps.insert(rb->resval.rstring);
    acutRelRb(xd);
    if (auto* p = AcDbProxyEntity::cast(o)) noteClass(p->originalDxfName(), p->originalClassName(), p->proxyFlags(), true);
    if (auto* p = AcDbProxyObject::cast(o)) noteClass(p->originalDxfName(), p->originalClassName(), p->proxyFlags(), false);
    if (AcDbRasterImage::cast(o)) {
      noteClass(u"IMAGE", u"", 0, true);
      noteClass(u"IMAGEDEF_REACTOR", u"", 0, false);
    }
    if (AcDbRasterImageDef::cast(o)) noteClass(u"IMAGEDEF", u"", 0, false);
    if (AcDbSortentsTable::cast(o)) noteClass(u"SORTENTSTABLE", u"", 0, false);
  }
  // Images and their definitions are joined by reactor objects made here.
  for (AcDbObjectId id : ids) {
    auto* img = DbAccess::peekAs<AcDbRasterImage>(id);
    if (!img || img->imageDefId().isNull() || !img->imageDefId().isValid()) continue;
    AcDbHandle h = w_.newHandle();
    w_.imageReactorOfImage[id] = h;
    w_.imageReactorsOfDef[img->imageDefId()].push_back(h);
  }
  // What AutoCAD expects and the database may lack.
  auto* nod = DbAccess::peekAs<AcDbDictionary>(db_.namedObjectsDictionaryId());
  if (!nod || !nod->has(u"ACAD_LAYOUT")) {
    w_.layoutDict = w_.newHandle();
    w_.layoutModel = w_.newHandle();
    w_.layoutPaper = w_.newHandle();
    noteClass(u"LAYOUT", u"", 0, false);
  }
  if (!nod || !nod->has(u"ACAD_GROUP")) w_.groupDict = w_.newHandle();
  AcDbObjectId mlsDict;
  if (nod && nod->getAt(u"ACAD_MLINESTYLE", mlsDict) == Acad::eOk) {
    if (auto* d = DbAccess::peekAs<AcDbDictionary>(mlsDict)) {
      AcDbObjectId standard;
      if (d->getAt(u"Standard", standard) == Acad::eOk) w_.standardMlineStyle = standard.handle();
    }
  } else {
    w_.mlineStyleDict = w_.newHandle();
    w_.mlineStyleStandard = w_.newHandle();
    w_.standardMlineStyle = w_.mlineStyleStandard;
  }
  // Tables the database does not hold are written from proxies when a drawing had them.
  auto hasProxyTable = [&](std::u16string_view name) {
    for (AcDbObjectId id : ids)
      if (auto* p = DbAccess::peekAs<AcDbProxyObject>(id))
        if (std::u16string_view(p->originalDxfName()) == u"TABLE" && !p->rawGroups().empty() &&
            p->rawGroups().front().value == name)
          return true;
    return false;
  };
  if (!hasProxyTable(u"VPORT")) {
    w_.vportTable = w_.newHandle();
    w_.vportActive = w_.newHandle();
  }
  if (!hasProxyTable(u"UCS")) w_.ucsTable = w_.newHandle();
  if (!hasProxyTable(u"DIMSTYLE")) {
    w_.dimstyleTable = w_.newHandle();
    w_.dimstyleStandard = w_.newHandle();
  }
  std::set<std::u16string> apps = w_.xdataApps;
  apps.insert(u"ACAD");
  for (const std::u16string& app : apps)
    if (arxdetail::findRecord(db_.regAppTableId(), app).isNull()) w_.extraApps[app] = w_.newHandle();
}

void DxfOut::writeClasses() {
  for (const ClassInfo& c : classes) {
    w_.raw(0, "CLASS");
    w_.str(1, c.dxfName);
    w_.str(2, c.className);
    w_.str(3, c.app);
    w_.integer(90, c.flags);
    w_.integer(280, 0);
    w_.integer(281, c.entity ? 1 : 0);
  }
}

}  // namespace

WriteResult write(const AcDbDatabase& db, std::string& out, const WriteOptions& options) {
  WriteResult result;
  if (options.version == OutputVersion::kR2000 && options.codePage != 1252 && options.codePage != 936) {
    result.status = Acad::eInvalidInput;
    result.reason = "code page " + std::to_string(options.codePage) + " cannot be written (1252 or 936)";
    return result;
  }
  for (AcDbObjectId id : db.openObjectIds()) {
    AcDbObject* o = DbAccess::peek(id);
    if (o && o->isWriteEnabled()) {
      result.status = Acad::eWasOpenForWrite;
      result.reason = "object " + win32::utf16ToUtf8(id.handle().ascii()) + " (" +
                      win32::utf16ToUtf8(o->isA()->name()) + ") is open for write";
      return result;
    }
  }
  if (db.blockTableId().isNull() || db.modelSpaceId().isNull() || db.layerTableId().isNull()) {
    result.status = Acad::eNoDatabase;
    result.reason = "the database has no block table, model space or layer table";
    return result;
  }

  std::string body;
  DxfOut dxf(db, options, body);
  Writer& w = dxf.writer();
  dxf.prepare();

  w.raw(0, "SECTION");
  w.raw(2, "CLASSES");
  dxf.writeClasses();
  w.raw(0, "ENDSEC");
  w.raw(0, "SECTION");
  w.raw(2, "TABLES");
  writeTables(w);
  w.raw(0, "ENDSEC");

  // Blocks: every block record, the two layouts empty (their entities are in ENTITIES).
  w.raw(0, "SECTION");
  w.raw(2, "BLOCKS");
  auto* bt = DbAccess::peekAs<AcDbBlockTable>(db.blockTableId());
  const AcDbObjectId model = db.modelSpaceId(), paper = db.paperSpaceId();
  for (AcDbObjectId id : DbAccess::records(*bt)) {
    if (id.isErased()) continue;
    auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(id);
    if (!btr) continue;
    const bool layout = id == model || id == paper;
    const bool inPaper = id == paper;
    w.raw(0, "BLOCK");
    w.handle(5, w.newHandle());
    w.handle(330, id);
    w.raw(100, "AcDbEntity");
    if (inPaper) w.integer(67, 1);
    w.raw(8, "0");
    w.raw(100, "AcDbBlockBegin");
    w.str(2, btr->getName());
    bool attdefs = btr->hasAttributeDefinitions();
    w.integer(70, (btr->isAnonymous() ? 1 : 0) | (attdefs ? 2 : 0));
    w.point(10, btr->origin());
    w.str(3, btr->getName());
    w.raw(1, "");
    if (!btr->comments().empty()) w.str(4, btr->comments());
    if (!layout)
      for (AcDbObjectId e : DbAccess::entities(*btr))
        if (!e.isNull() && !e.isErased()) writeEntity(w, e, id.handle(), false);
    w.raw(0, "ENDBLK");
    w.handle(5, w.newHandle());
    w.handle(330, id);
    w.raw(100, "AcDbEntity");
    if (inPaper) w.integer(67, 1);
    w.raw(8, "0");
    w.raw(100, "AcDbBlockEnd");
  }
  w.raw(0, "ENDSEC");

  w.raw(0, "SECTION");
  w.raw(2, "ENTITIES");
  for (AcDbObjectId space : {model, paper}) {
    auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(space);
    if (!btr) continue;
    for (AcDbObjectId e : DbAccess::entities(*btr))
      if (!e.isNull() && !e.isErased()) writeEntity(w, e, space.handle(), space == paper);
  }
  w.raw(0, "ENDSEC");

  w.raw(0, "SECTION");
  w.raw(2, "OBJECTS");
  writeObjects(w);
  w.raw(0, "ENDSEC");
  w.raw(0, "EOF");

  // The header, now that the hand seed is known.
  out.clear();
  out.reserve(body.size() + 1024);
  Writer h(db, options, out);
  h.raw(0, "SECTION");
  h.raw(2, "HEADER");
  h.raw(9, "$ACADVER");
  h.raw(1, options.version == OutputVersion::kR2013 ? "AC1027" : "AC1015");
  h.raw(9, "$DWGCODEPAGE");
  h.raw(3, options.version == OutputVersion::kR2013 ? "ANSI_1252" : codePageName(options.codePage));
  h.raw(9, "$INSBASE");
  h.point(10, AcGePoint3d::kOrigin);
  AcDbExtents ext;
  bool haveExt = false;
  if (auto* ms = DbAccess::peekAs<AcDbBlockTableRecord>(model))
    for (AcDbObjectId e : DbAccess::entities(*ms)) {
      auto* ent = DbAccess::peekAs<AcDbEntity>(e);
      AcDbExtents one;
      if (ent && !e.isErased() && ent->getGeomExtents(one) == Acad::eOk) {
        ext.addExt(one);
        haveExt = true;
      }
    }
  if (haveExt) {
    h.raw(9, "$EXTMIN");
    h.point(10, ext.minPoint());
    h.raw(9, "$EXTMAX");
    h.point(10, ext.maxPoint());
  }
  h.raw(9, "$CLAYER");
  std::u16string clayer = h.nameOf(db.clayer());
  h.str(8, clayer.empty() ? u"0" : clayer);
  h.raw(9, "$HANDSEED");
  h.handle(5, w.handseed());
  h.raw(0, "ENDSEC");
  out += body;
  result.warnings = std::move(w.warnings);
  for (std::string& s : h.warnings) result.warnings.push_back(std::move(s));
  return result;
}

}  // namespace detail

WriteResult writeDxf(const AcDbDatabase& db, std::string& out, const WriteOptions& options) {
  return detail::write(db, out, options);
}

WriteResult writeDxfFile(const AcDbDatabase& db, const std::filesystem::path& hostPath, const WriteOptions& options) {
  std::string text;
  WriteResult r = detail::write(db, text, options);
  if (r.status != Acad::eOk) return r;
  std::ofstream f(hostPath, std::ios::binary | std::ios::trunc);
  if (f) f.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!f) {
    r.status = Acad::eFileAccessErr;
    r.reason = "cannot write " + hostPath.string();
  }
  return r;
}

}  // namespace arxdxf
