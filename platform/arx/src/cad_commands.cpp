#include "arx/cad_commands.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "arx/acad_app.h"
#include "arx/acdocman.h"
#include "arx/acutads.h"
#include "arx/dbdatabase.h"
#include "arx/dbelipse.h"
#include "arx/dbents.h"
#include "arx/dbhatch.h"
#include "arx/dbmline.h"
#include "arx/dbmtext.h"
#include "arx/dbpl.h"
#include "arx/dbpoly.h"
#include "arx/dbspline.h"
#include "arx/dbsymtb.h"
#include "arx/dbtext.h"
#include "arx/dxf.h"
#include "win32/case_fold.h"
#include "win32/desktop.h"
#include "win32/file_system.h"
#include "win32/transcript.h"
#include "win32/unicode.h"

namespace arx {

namespace {

std::u16string upper(const std::u16string& s) { return win32::upcaseName(s); }

constexpr const char16_t* kBuiltIns[] = {
    u"LINE",  u"CIRCLE", u"ARC",   u"PLINE", u"POINT",  u"TEXT",  u"DTEXT",      u"MTEXT",      u"HATCH",
    u"BHATCH", u"RECTANG", u"MOVE", u"COPY", u"ERASE", u"UNDO",  u"MUNDO",      u"MREDO",      u"REDO",
    u"STRETCH", u"QSAVE", u"SAVEAS", u"CLOSE", u"OPEN", u"QUIT", u"APPLOAD",    u"IMAGEFRAME", u"-LAYER",
    u"ZOOM",  u"PAN",    u"RIBBON", u"COMMANDLINE", u"EXPORTDWF", u"ELLIPSE", u"POLYGON", u"3DPOLY",
    u"GRADIENT", u"GRIP_STRETCH", u"SPLINE", u"MLINE", u"BLOCK",
    u"SAVE", u"CLOSEALL"};

constexpr struct {
  const char16_t* alias;
  const char16_t* global;
} kAliases[] = {{u"L", u"LINE"},    {u"C", u"CIRCLE"}, {u"A", u"ARC"},      {u"PL", u"PLINE"},  {u"PO", u"POINT"},
                {u"DT", u"DTEXT"},  {u"T", u"MTEXT"},  {u"MT", u"MTEXT"},   {u"H", u"HATCH"},   {u"BH", u"BHATCH"},
                {u"REC", u"RECTANG"}, {u"RECTANGLE", u"RECTANG"}, {u"M", u"MOVE"}, {u"CO", u"COPY"}, {u"CP", u"COPY"},
                {u"E", u"ERASE"},   {u"S", u"STRETCH"}, {u"Z", u"ZOOM"},    {u"P", u"PAN"},     {u"-LA", u"-LAYER"}};

bool needsNoDocument(const std::u16string& global) {
  return global == u"OPEN" || global == u"QUIT" || global == u"APPLOAD";
}

}  // namespace

// The built-in commands; each runs inside its bracket with the document write-locked.
struct BuiltIns {
  CommandProcessor& cp;
  AcadApplication& app;
  Editor& ed;
  AcApDocument* doc;

  // ----- prompts
  std::optional<UserInput> ask(const std::u16string& prompt) { return ed.ask(prompt); }
  static bool cancelled(const std::optional<UserInput>& in) { return !in || in->kind == UserInput::kEscape; }

  // RTNORM, RTNONE (Enter) or RTCAN.
  int point(const std::u16string& prompt, AcGePoint3d& p) {
    ads_point r{};
    const int rc = acedGetPoint(nullptr, prompt.c_str(), r);
    if (rc == RTNORM) p = AcGePoint3d(r[0], r[1], r[2]);
    return rc;
  }
  // A number or Enter (fallback); RTCAN for Esc.
  int number(const std::u16string& prompt, double fallback, double& out) {
    ads_real v = 0;
    const int rc = acedGetReal(prompt.c_str(), &v);
    if (rc == RTNONE) out = fallback;
    else if (rc == RTNORM) out = v;
    return rc == RTNONE ? RTNORM : rc;
  }
  void say(const std::u16string& text) { app.desktop().transcript().commandLine(text); }

  // ----- the drawing
  AcDbDatabase* db() const { return doc ? doc->database() : nullptr; }

  AcDbObjectId append(AcDbEntity* e) {
    AcDbBlockTableRecord* space = nullptr;
    if (!db() || acdbOpenObject(space, db()->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) {
      delete e;
      return {};
    }
    e->setDatabaseDefaults(db());
    AcDbObjectId id;
    if (space->appendAcDbEntity(id, e) != Acad::eOk) {
      delete e;
      space->close();
      return {};
    }
    e->close();
    space->close();
    cp.record({CommandProcessor::Step::kAppended, id, {}, {}});
    return id;
  }

  // Opens, changes and closes an entity, recording how to change it back.
  bool change(AcDbObjectId id, const std::function<void(AcDbEntity*)>& undo,
              const std::function<void(AcDbEntity*)>& redo) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, id, AcDb::kForWrite) != Acad::eOk) return false;
    redo(e);
    e->close();
    cp.record({CommandProcessor::Step::kChanged, id, undo, redo});
    return true;
  }

  bool moveBy(AcDbObjectId id, const AcGeVector3d& d) {
    const AcGeMatrix3d there = AcGeMatrix3d::translation(d);
    const AcGeMatrix3d back = AcGeMatrix3d::translation(-d);
    return change(id, [back](AcDbEntity* e) { e->transformBy(back); },
                  [there](AcDbEntity* e) { e->transformBy(there); });
  }

  // "Select objects": the pickfirst set when there is one (then cleared), else the user's.
  bool select(std::vector<AcDbObjectId>& ids) {
    ids = ed.pickfirst(doc);
    std::erase_if(ids, [](AcDbObjectId id) { return id.isErased(); });
    if (!ids.empty()) {
      ed.setPickfirst(doc, {});
      return true;
    }
    std::vector<AcDbObjectId> chosen;
    if (askForSelection(chosen) != RTNORM) return false;
    ids = ed.filtered(chosen, 0);
    return true;
  }

  CommandOutcome run(const std::u16string& g) {
    if (g == u"LINE") return line();
    if (g == u"CIRCLE") return circle();
    if (g == u"ARC") return arc();
    if (g == u"PLINE") return pline();
    if (g == u"POINT") return pointCommand();
    if (g == u"TEXT" || g == u"DTEXT") return text();
    if (g == u"MTEXT") return mtext();
    if (g == u"HATCH") return hatch();
    if (g == u"BHATCH") return bhatch();
    if (g == u"RECTANG") return rectang();
    if (g == u"MOVE") return move();
    if (g == u"COPY") return copy();
    if (g == u"ERASE") return erase();
    if (g == u"STRETCH") return stretch();
    if (g == u"UNDO" || g == u"MUNDO") return undo(true);
    if (g == u"REDO") return redo(false);
    if (g == u"MREDO") return redo(true);
    if (g == u"QSAVE") return save(false);
    if (g == u"SAVEAS" || g == u"SAVE") return save(true);
    if (g == u"CLOSE") return close();
    if (g == u"QUIT") return quit();
    if (g == u"CLOSEALL") return closeAll();
    if (g == u"OPEN") return open();
    if (g == u"APPLOAD") return appload();
    if (g == u"IMAGEFRAME") return imageframe();
    if (g == u"-LAYER") return layer();
    if (g == u"ZOOM") return zoom();
    if (g == u"PAN") return pan();
    if (g == u"ELLIPSE") return ellipse();
    if (g == u"POLYGON") return polygon();
    if (g == u"3DPOLY") return poly3d();
    if (g == u"GRADIENT") return gradient();
    if (g == u"GRIP_STRETCH") return gripStretch();
    if (g == u"SPLINE") return spline();
    if (g == u"MLINE") return mline();
    if (g == u"BLOCK") return block();
    if (g == u"EXPORTDWF") {
      // There is no DWF writer here: the command fails openly instead of claiming an export.
      say(u"\nEXPORTDWF: no DWF file was written (not available in this AutoCAD).\n");
      return CommandOutcome::kFailed;
    }
    return CommandOutcome::kEnded;  // RIBBON, COMMANDLINE: only the panels' visibility, not modelled
  }

  static CommandOutcome outcomeOf(int rc) { return rc == RTCAN ? CommandOutcome::kCancelled : CommandOutcome::kEnded; }

  CommandOutcome line() {
    AcGePoint3d from;
    int rc = point(u"\nSpecify first point: ", from);
    if (rc != RTNORM) return outcomeOf(rc);
    while (true) {
      AcGePoint3d to;
      rc = point(u"\nSpecify next point or [Undo]: ", to);
      if (rc != RTNORM) return outcomeOf(rc);
      append(new AcDbLine(from, to));
      from = to;
    }
  }

  CommandOutcome circle() {
    AcGePoint3d c;
    int rc = point(u"\nSpecify center point for circle: ", c);
    if (rc != RTNORM) return outcomeOf(rc);
    std::optional<UserInput> in = ask(u"\nSpecify radius of circle: ");
    if (cancelled(in)) return CommandOutcome::kCancelled;
    AcGePoint3d on;
    double r = 0;
    if (parsePointText(in->text, on)) r = c.distanceTo(on);
    else r = std::strtod(win32::utf16ToUtf8(in->text).c_str(), nullptr);
    if (!(r > 0) || !std::isfinite(r)) {
      say(u"Requires a positive number.\n");
      return CommandOutcome::kEnded;
    }
    append(new AcDbCircle(c, AcGeVector3d::kZAxis, r));
    return CommandOutcome::kEnded;
  }

  CommandOutcome arc() {
    AcGePoint3d p[3];
    const char16_t* prompts[3] = {u"\nSpecify start point of arc: ", u"\nSpecify second point of arc: ",
                                  u"\nSpecify end point of arc: "};
    for (int i = 0; i < 3; ++i) {
      const int rc = point(prompts[i], p[i]);
      if (rc != RTNORM) return outcomeOf(rc);
    }
    // The circle through the three points.
    const double ax = p[0].x, ay = p[0].y, bx = p[1].x, by = p[1].y, cx = p[2].x, cy = p[2].y;
    const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (std::fabs(d) < 1e-12) {
      say(u"Points are collinear.\n");
      return CommandOutcome::kEnded;
    }
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const AcGePoint3d centre((a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d,
                             (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d, p[0].z);
    const auto angle = [&centre](const AcGePoint3d& q) { return std::atan2(q.y - centre.y, q.x - centre.x); };
    // Counter-clockwise from start to end when the second point lies on that way.
    const bool ccw = d > 0;
    const double start = ccw ? angle(p[0]) : angle(p[2]);
    const double end = ccw ? angle(p[2]) : angle(p[0]);
    append(new AcDbArc(centre, centre.distanceTo(p[0]), start, end));
    return CommandOutcome::kEnded;
  }

  CommandOutcome pline() {
    std::vector<AcGePoint2d> pts;
    AcGePoint3d p;
    int rc = point(u"\nSpecify start point: ", p);
    if (rc != RTNORM) return outcomeOf(rc);
    pts.emplace_back(p.x, p.y);
    bool closed = false;
    CommandOutcome outcome = CommandOutcome::kEnded;
    while (true) {
      std::optional<UserInput> in = ask(u"\nSpecify next point or [Arc/Close/Halfwidth/Length/Undo/Width]: ");
      if (cancelled(in)) {
        outcome = CommandOutcome::kCancelled;
        break;
      }
      if (in->kind == UserInput::kEnter) break;
      if (upper(in->text) == u"C" && pts.size() >= 2) {
        closed = true;
        break;
      }
      if (parsePointText(in->text, p)) pts.emplace_back(p.x, p.y);
    }
    if (pts.size() >= 2) {
      auto* pl = new AcDbPolyline;
      for (unsigned i = 0; i < pts.size(); ++i) pl->addVertexAt(i, pts[i]);
      pl->setClosed(closed);
      append(pl);
    }
    return outcome;
  }

  CommandOutcome pointCommand() {
    AcGePoint3d p;
    const int rc = point(u"\nSpecify a point: ", p);
    if (rc != RTNORM) return outcomeOf(rc);
    append(new AcDbPoint(p));
    return CommandOutcome::kEnded;
  }

  CommandOutcome text() {
    AcGePoint3d at;
    int rc = point(u"\nSpecify start point of text: ", at);
    if (rc != RTNORM) return outcomeOf(rc);
    double height = 2.5, degrees = 0;
    if ((rc = number(u"\nSpecify height <2.5000>: ", 2.5, height)) != RTNORM) return outcomeOf(rc);
    if ((rc = number(u"\nSpecify rotation angle of text <0>: ", 0, degrees)) != RTNORM) return outcomeOf(rc);
    while (true) {
      std::optional<UserInput> in = ask(u"\nEnter text: ");
      if (cancelled(in)) return CommandOutcome::kCancelled;
      if (in->kind == UserInput::kEnter || in->text.empty()) return CommandOutcome::kEnded;
      auto* t = new AcDbText(at, in->text.c_str());
      t->setHeight(height);
      t->setRotation(degrees * std::numbers::pi / 180.0);
      append(t);
      at.y -= height * 5.0 / 3.0;
    }
  }

  CommandOutcome mtext() {
    AcGePoint3d a, b;
    int rc = point(u"\nSpecify first corner: ", a);
    if (rc != RTNORM) return outcomeOf(rc);
    if ((rc = point(u"\nSpecify opposite corner: ", b)) != RTNORM) return outcomeOf(rc);
    std::optional<UserInput> in = ask(u"\nEnter text: ");
    if (cancelled(in)) return CommandOutcome::kCancelled;
    if (in->text.empty()) return CommandOutcome::kEnded;
    auto* m = new AcDbMText;
    m->setLocation(AcGePoint3d(std::min(a.x, b.x), std::max(a.y, b.y), a.z));
    m->setWidth(std::fabs(b.x - a.x));
    m->setTextHeight(2.5);
    m->setContents(in->text.c_str());
    append(m);
    return CommandOutcome::kEnded;
  }

  AcDbObjectId appendHatchOver(const AcDbObjectIdArray& boundary, bool gradientFill = false) {
    auto* h = new AcDbHatch;
    h->setNormal(AcGeVector3d::kZAxis);
    if (gradientFill) {
      h->setHatchObjectType(AcDbHatch::kGradientObject);
      h->setGradient(AcDbHatch::kPreDefinedGradient, u"LINEAR");
    } else {
      h->setPattern(AcDbHatch::kPreDefined, u"ANSI31");
    }
    h->setAssociative(true);
    if (h->appendLoop(AcDbHatch::kExternal, boundary) != Acad::eOk || h->evaluateHatch() != Acad::eOk) {
      delete h;
      say(u"Valid hatch boundary not found.\n");
      return {};
    }
    return append(h);
  }

  CommandOutcome hatch(bool gradientFill = false) {
    std::vector<AcDbObjectId> ids;
    if (!select(ids)) return CommandOutcome::kCancelled;
    if (ids.empty()) return CommandOutcome::kEnded;
    AcDbObjectIdArray boundary;
    for (AcDbObjectId id : ids) boundary.append(id);
    appendHatchOver(boundary, gradientFill);
    return CommandOutcome::kEnded;
  }

  CommandOutcome gradient() { return hatch(true); }

  CommandOutcome ellipse() {
    AcGePoint3d c, axisEnd;
    int rc = point(u"\nSpecify center of ellipse: ", c);
    if (rc != RTNORM) return outcomeOf(rc);
    if ((rc = point(u"\nSpecify endpoint of axis: ", axisEnd)) != RTNORM) return outcomeOf(rc);
    double other = 0;
    if ((rc = number(u"\nSpecify distance to other axis: ", 0, other)) != RTNORM) return outcomeOf(rc);
    const AcGeVector3d major = axisEnd - c;
    const double majorLength = major.length();
    if (!(majorLength > 0) || !(other > 0)) {
      say(u"Invalid ellipse.\n");
      return CommandOutcome::kEnded;
    }
    // The major axis is the longer one.
    AcGeVector3d axis = major;
    double ratio = other / majorLength;
    if (ratio > 1) {
      axis = AcGeVector3d(-major.y, major.x, 0.0) * (other / majorLength);
      ratio = majorLength / other;
    }
    append(new AcDbEllipse(c, AcGeVector3d::kZAxis, axis, ratio));
    return CommandOutcome::kEnded;
  }

  CommandOutcome polygon() {
    int sides = 4;
    int rc = acedGetInt(u"\nEnter number of sides <4>: ", &sides);
    if (rc == RTCAN) return CommandOutcome::kCancelled;
    if (rc == RTNONE) sides = 4;
    if (rc == RTERROR || sides < 3 || sides > 1024) {
      say(u"Requires an integer between 3 and 1024.\n");
      return CommandOutcome::kEnded;
    }
    AcGePoint3d c, corner;
    if ((rc = point(u"\nSpecify center of polygon: ", c)) != RTNORM) return outcomeOf(rc);
    if ((rc = point(u"\nSpecify a vertex of the polygon: ", corner)) != RTNORM) return outcomeOf(rc);
    const double r = c.distanceTo(corner);
    const double start = std::atan2(corner.y - c.y, corner.x - c.x);
    auto* pl = new AcDbPolyline;
    for (int i = 0; i < sides; ++i) {
      const double a = start + 2 * std::numbers::pi * i / sides;
      pl->addVertexAt(static_cast<unsigned>(i), AcGePoint2d(c.x + r * std::cos(a), c.y + r * std::sin(a)));
    }
    pl->setClosed(true);
    append(pl);
    return CommandOutcome::kEnded;
  }

  CommandOutcome poly3d() {
    AcGePoint3dArray pts;
    const int rc = points(u"\nSpecify start point of polyline: ", u"\nSpecify endpoint of line: ", pts);
    if (pts.length() >= 2) append(new AcDb3dPolyline(AcDb::k3dSimplePoly, pts));
    return outcomeOf(rc);
  }

  // Points until Enter; RTCAN when Esc ended them.
  int points(const std::u16string& first, const std::u16string& next, AcGePoint3dArray& pts) {
    while (true) {
      AcGePoint3d p;
      const int rc = point(pts.isEmpty() ? first : next, p);
      if (rc != RTNORM) return rc;
      pts.append(p);
    }
  }

  // Control vertices until Enter: a clamped spline of degree up to 3 with uniform knots.
  CommandOutcome spline() {
    AcGePoint3dArray cvs;
    const int rc = points(u"\nSpecify first point or [Method/Knots/Object]: ", u"\nEnter next point or [Undo]: ", cvs);
    const int n = cvs.length();
    if (n >= 2) {
      const int degree = std::min(3, n - 1);
      AcGeDoubleArray knots;
      for (int i = 0; i <= degree; ++i) knots.append(0.0);
      for (int i = 1; i < n - degree; ++i) knots.append(static_cast<double>(i) / (n - degree));
      for (int i = 0; i <= degree; ++i) knots.append(1.0);
      append(new AcDbSpline(degree, false, false, false, cvs, knots, AcGeDoubleArray{}));
    }
    return outcomeOf(rc);
  }

  CommandOutcome mline() {
    AcGePoint3dArray pts;
    const int rc = points(u"\nSpecify start point or [Justification/Scale/STyle]: ",
                          u"\nSpecify next point or [Undo]: ", pts);
    if (pts.length() >= 2) {
      auto* m = new AcDbMline;
      m->setStyleName(u"STANDARD");
      for (int i = 0; i < pts.length(); ++i) m->appendSeg(pts[i]);
      append(m);
    }
    return outcomeOf(rc);
  }

  // A block definition from the selected entities (moved so the base point is its origin);
  // the entities themselves are erased, as the command line form does.
  CommandOutcome block() {
    std::optional<UserInput> name = ask(u"\nEnter block name or [?]: ");
    if (cancelled(name)) return CommandOutcome::kCancelled;
    if (name->text.empty()) return CommandOutcome::kEnded;
    AcDbBlockTable* existing = nullptr;
    if (db()->getBlockTable(existing, AcDb::kForRead) != Acad::eOk) return CommandOutcome::kFailed;
    const bool taken = existing->has(name->text.c_str());
    existing->close();
    if (taken) {
      say(u"Block \"" + name->text + u"\" already exists.\n");
      return CommandOutcome::kFailed;
    }
    AcGePoint3d base;
    int rc = point(u"\nSpecify insertion base point: ", base);
    if (rc != RTNORM) return outcomeOf(rc);
    std::vector<AcDbObjectId> ids;
    if (!select(ids)) return CommandOutcome::kCancelled;
    if (ids.empty()) return CommandOutcome::kEnded;
    AcDbBlockTable* table = nullptr;
    if (db()->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return CommandOutcome::kFailed;
    auto* def = new AcDbBlockTableRecord;
    def->setName(name->text.c_str());
    AcDbObjectId defId;
    const Acad::ErrorStatus es = table->add(defId, def);
    table->close();
    if (es != Acad::eOk) {
      delete def;
      return CommandOutcome::kFailed;
    }
    const AcGeMatrix3d toOrigin = AcGeMatrix3d::translation(AcGePoint3d::kOrigin - base);
    for (AcDbObjectId id : ids) {
      AcDbEntity* e = nullptr;
      if (acdbOpenAcDbEntity(e, id, AcDb::kForWrite) != Acad::eOk) continue;
      if (auto* copy = AcDbEntity::cast(e->clone())) {
        copy->transformBy(toOrigin);
        if (def->appendAcDbEntity(copy) == Acad::eOk) copy->close();
        else delete copy;
      }
      e->erase(true);
      e->close();
      cp.record({CommandProcessor::Step::kErased, id, {}, {}});
    }
    def->close();
    return CommandOutcome::kEnded;
  }

  // A grip dragged by the user: the end of a line or the vertex of a polyline at the first
  // point moves to the second; an entity grabbed by another grip moves as a whole.
  CommandOutcome gripStretch() {
    AcGePoint3d from, to;
    int rc = point(u"\nSpecify grip: ", from);
    if (rc != RTNORM) return outcomeOf(rc);
    if ((rc = point(u"\n** STRETCH **\nSpecify stretch point: ", to)) != RTNORM) return outcomeOf(rc);
    const std::vector<AcDbObjectId> hits = ed.hitAt(from);
    if (hits.empty()) return CommandOutcome::kEnded;
    const AcDbObjectId id = hits.back();
    const double tol = ed.pickTolerance();
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) return CommandOutcome::kEnded;
    if (auto* l = AcDbLine::cast(e)) {
      const AcGePoint3d s0 = l->startPoint(), e0 = l->endPoint();
      const bool moveStart = s0.distanceTo(from) <= tol, moveEnd = !moveStart && e0.distanceTo(from) <= tol;
      e->close();
      if (!moveStart && !moveEnd) {
        moveBy(id, to - from);
        return CommandOutcome::kEnded;
      }
      const AcGePoint3d s1 = moveStart ? to : s0, e1 = moveEnd ? to : e0;
      change(id,
             [s0, e0](AcDbEntity* x) {
               AcDbLine::cast(x)->setStartPoint(s0);
               AcDbLine::cast(x)->setEndPoint(e0);
             },
             [s1, e1](AcDbEntity* x) {
               AcDbLine::cast(x)->setStartPoint(s1);
               AcDbLine::cast(x)->setEndPoint(e1);
             });
      return CommandOutcome::kEnded;
    }
    if (auto* pl = AcDbPolyline::cast(e)) {
      for (unsigned i = 0; i < pl->numVerts(); ++i) {
        AcGePoint2d v;
        pl->getPointAt(i, v);
        if (v.distanceTo(AcGePoint2d(from.x, from.y)) > tol) continue;
        e->close();
        const AcGePoint2d after(to.x, to.y);
        change(id, [i, v](AcDbEntity* x) { AcDbPolyline::cast(x)->setPointAt(i, v); },
               [i, after](AcDbEntity* x) { AcDbPolyline::cast(x)->setPointAt(i, after); });
        return CommandOutcome::kEnded;
      }
    }
    e->close();
    moveBy(id, to - from);
    return CommandOutcome::kEnded;
  }

  // Boundary detection: the innermost closed polyline or circle around each picked point is
  // traced into a temporary polyline, the hatch is built on it, and the trace is erased.
  CommandOutcome bhatch() {
    while (true) {
      AcGePoint3d p;
      const int rc = point(u"\nPick internal point or [Select objects]: ", p);
      if (rc != RTNORM) return outcomeOf(rc);
      AcDbObjectId best;
      double bestArea = 0;
      for (AcDbObjectId id : ed.allEntities()) {
        AcDbEntity* e = nullptr;
        if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
        AcDbExtents ext;
        const bool closedCurve = (AcDbPolyline::cast(e) && AcDbPolyline::cast(e)->isClosed()) || AcDbCircle::cast(e);
        if (closedCurve && e->getGeomExtents(ext) == Acad::eOk && p.x >= ext.minPoint().x &&
            p.x <= ext.maxPoint().x && p.y >= ext.minPoint().y && p.y <= ext.maxPoint().y) {
          const double area = (ext.maxPoint().x - ext.minPoint().x) * (ext.maxPoint().y - ext.minPoint().y);
          if (best.isNull() || area < bestArea) {
            best = id;
            bestArea = area;
          }
        }
        e->close();
      }
      if (best.isNull()) {
        say(u"Valid hatch boundary not found.\n");
        continue;
      }
      AcDbEntity* source = nullptr;
      if (acdbOpenAcDbEntity(source, best, AcDb::kForRead) != Acad::eOk) continue;
      auto* trace = new AcDbPolyline;
      if (auto* pl = AcDbPolyline::cast(source)) {
        for (unsigned i = 0; i < pl->numVerts(); ++i) {
          AcGePoint2d v;
          double bulge = 0;
          pl->getPointAt(i, v);
          pl->getBulgeAt(i, bulge);
          trace->addVertexAt(i, v, bulge);
        }
      } else if (auto* c = AcDbCircle::cast(source)) {
        trace->addVertexAt(0, AcGePoint2d(c->center().x - c->radius(), c->center().y), 1.0);
        trace->addVertexAt(1, AcGePoint2d(c->center().x + c->radius(), c->center().y), 1.0);
      }
      source->close();
      trace->setClosed(true);
      const AcDbObjectId traceId = append(trace);
      if (traceId.isNull()) continue;
      AcDbObjectIdArray boundary;
      boundary.append(traceId);
      appendHatchOver(boundary);
      AcDbEntity* t = nullptr;
      if (acdbOpenAcDbEntity(t, traceId, AcDb::kForWrite) == Acad::eOk) {
        t->erase(true);
        t->close();
        cp.record({CommandProcessor::Step::kErased, traceId, {}, {}});
      }
    }
  }

  CommandOutcome rectang() {
    AcGePoint3d a, b;
    int rc = point(u"\nSpecify first corner point or [Chamfer/Elevation/Fillet/Thickness/Width]: ", a);
    if (rc != RTNORM) return outcomeOf(rc);
    rc = point(u"\nSpecify other corner point or [Area/Dimensions/Rotation]: ", b);
    if (rc != RTNORM) return outcomeOf(rc);
    auto* pl = new AcDbPolyline;
    pl->addVertexAt(0, AcGePoint2d(a.x, a.y));
    pl->addVertexAt(1, AcGePoint2d(b.x, a.y));
    pl->addVertexAt(2, AcGePoint2d(b.x, b.y));
    pl->addVertexAt(3, AcGePoint2d(a.x, b.y));
    pl->setClosed(true);
    append(pl);
    return CommandOutcome::kEnded;
  }

  // Base point and second point: the displacement; RTNORM, or how the prompts ended.
  int displacement(AcGeVector3d& d) {
    AcGePoint3d base, second;
    int rc = point(u"\nSpecify base point or [Displacement] <Displacement>: ", base);
    if (rc != RTNORM) return rc;
    rc = point(u"\nSpecify second point or <use first point as displacement>: ", second);
    if (rc == RTCAN) return rc;
    d = rc == RTNONE ? base - AcGePoint3d::kOrigin : second - base;
    return RTNORM;
  }

  CommandOutcome move() {
    std::vector<AcDbObjectId> ids;
    if (!select(ids)) return CommandOutcome::kCancelled;
    if (ids.empty()) return CommandOutcome::kEnded;
    AcGeVector3d d;
    const int rc = displacement(d);
    if (rc != RTNORM) return outcomeOf(rc);
    for (AcDbObjectId id : ids) moveBy(id, d);
    return CommandOutcome::kEnded;
  }

  CommandOutcome copy() {
    std::vector<AcDbObjectId> ids;
    if (!select(ids)) return CommandOutcome::kCancelled;
    if (ids.empty()) return CommandOutcome::kEnded;
    AcGePoint3d base;
    int rc = point(u"\nSpecify base point or [Displacement/mOde] <Displacement>: ", base);
    if (rc != RTNORM) return outcomeOf(rc);
    bool first = true;
    while (true) {
      AcGePoint3d second;
      rc = point(first ? u"\nSpecify second point or [Array] <use first point as displacement>: "
                       : u"\nSpecify second point or [Array/Exit/Undo] <Exit>: ",
                 second);
      if (rc == RTCAN) return CommandOutcome::kCancelled;
      if (rc == RTNONE && !first) return CommandOutcome::kEnded;
      const AcGeVector3d d = rc == RTNONE ? base - AcGePoint3d::kOrigin : second - base;
      AcDbObjectIdArray sources;
      for (AcDbObjectId id : ids) sources.append(id);
      AcDbIdMapping map;
      if (db()->deepCloneObjects(sources, db()->modelSpaceId(), map) != Acad::eOk) return CommandOutcome::kFailed;
      for (AcDbObjectId id : ids) {
        AcDbIdPair pair(id, AcDbObjectId::kNull, true);
        if (!map.compute(pair) || pair.value().isNull()) continue;
        cp.record({CommandProcessor::Step::kAppended, pair.value(), {}, {}});
        AcDbEntity* e = nullptr;
        if (acdbOpenAcDbEntity(e, pair.value(), AcDb::kForWrite) == Acad::eOk) {
          e->transformBy(AcGeMatrix3d::translation(d));
          e->close();
        }
      }
      if (rc == RTNONE) return CommandOutcome::kEnded;
      first = false;
    }
  }

  CommandOutcome erase() {
    std::vector<AcDbObjectId> ids;
    if (!select(ids)) return CommandOutcome::kCancelled;
    for (AcDbObjectId id : ids) {
      AcDbEntity* e = nullptr;
      if (acdbOpenAcDbEntity(e, id, AcDb::kForWrite) != Acad::eOk) continue;
      e->erase(true);
      e->close();
      cp.record({CommandProcessor::Step::kErased, id, {}, {}});
    }
    return CommandOutcome::kEnded;
  }

  CommandOutcome stretch() {
    say(u"\nSelect objects to stretch by crossing-window or crossing-polygon...\n");
    AcGePoint3d a, b;
    int rc = point(u"\nSpecify first corner: ", a);
    if (rc != RTNORM) return outcomeOf(rc);
    if ((rc = point(u"\nSpecify opposite corner: ", b)) != RTNORM) return outcomeOf(rc);
    const std::vector<AcDbObjectId> ids = ed.filtered(ed.inWindow(a, b, true), 0);
    if (ids.empty()) return CommandOutcome::kEnded;
    AcGeVector3d d;
    if ((rc = displacement(d)) != RTNORM) return outcomeOf(rc);
    const AcGePoint2d lo(std::min(a.x, b.x), std::min(a.y, b.y)), hi(std::max(a.x, b.x), std::max(a.y, b.y));
    const auto in = [lo, hi](double x, double y) { return x >= lo.x && x <= hi.x && y >= lo.y && y <= hi.y; };
    const std::vector<AcDbObjectId> whole = ed.inWindow(a, b, false);
    for (AcDbObjectId id : ids) {
      if (std::find(whole.begin(), whole.end(), id) != whole.end()) {
        moveBy(id, d);
        continue;
      }
      AcDbEntity* e = nullptr;
      if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
      if (auto* l = AcDbLine::cast(e)) {
        const AcGePoint3d s0 = l->startPoint(), e0 = l->endPoint();
        const AcGePoint3d s1 = in(s0.x, s0.y) ? s0 + d : s0, e1 = in(e0.x, e0.y) ? e0 + d : e0;
        e->close();
        change(id,
               [s0, e0](AcDbEntity* x) {
                 AcDbLine::cast(x)->setStartPoint(s0);
                 AcDbLine::cast(x)->setEndPoint(e0);
               },
               [s1, e1](AcDbEntity* x) {
                 AcDbLine::cast(x)->setStartPoint(s1);
                 AcDbLine::cast(x)->setEndPoint(e1);
               });
      } else if (auto* pl = AcDbPolyline::cast(e)) {
        std::vector<AcGePoint2d> before, after;
        for (unsigned i = 0; i < pl->numVerts(); ++i) {
          AcGePoint2d v;
          pl->getPointAt(i, v);
          before.push_back(v);
          after.push_back(in(v.x, v.y) ? AcGePoint2d(v.x + d.x, v.y + d.y) : v);
        }
        e->close();
        const auto setAll = [](const std::vector<AcGePoint2d>& pts) {
          return [pts](AcDbEntity* x) {
            for (unsigned i = 0; i < pts.size(); ++i) AcDbPolyline::cast(x)->setPointAt(i, pts[i]);
          };
        };
        change(id, setAll(before), setAll(after));
      } else {
        e->close();
      }
    }
    return CommandOutcome::kEnded;
  }

  CommandOutcome undo(bool askCount) {
    return replay(askCount, u"\nEnter the number of operations to undo or [Auto/Control/BEgin/End/Mark/Back] <1>: ",
                  cp.undo_[doc], cp.redo_[doc], u"\nEverything has been undone\n", false);
  }

  CommandOutcome redo(bool askCount) {
    return replay(askCount, u"\nEnter number of actions or [All/Last]: ", cp.redo_[doc], cp.undo_[doc],
                  u"\nEverything has been redone\n", true);
  }

  // UNDO and REDO: take the last records from one stack, replay their steps (backwards when
  // undoing) and move them to the other stack.
  CommandOutcome replay(bool askCount, const char16_t* prompt, std::vector<CommandProcessor::Record>& from,
                        std::vector<CommandProcessor::Record>& to, const char16_t* exhausted, bool forward) {
    int count = 1;
    if (askCount) {
      const int rc = acedGetInt(prompt, &count);
      if (rc == RTCAN) return CommandOutcome::kCancelled;
      if (rc == RTNONE) count = 1;
      if (rc == RTERROR || count < 1) return CommandOutcome::kFailed;
    }
    for (int i = 0; i < count; ++i) {
      if (from.empty()) {
        say(exhausted);
        break;
      }
      CommandProcessor::Record r = std::move(from.back());
      from.pop_back();
      say(u"\n" + r.command + u"\n");
      if (forward) {
        for (auto& step : r.steps) applyStep(step, true);
      } else {
        for (auto step = r.steps.rbegin(); step != r.steps.rend(); ++step) applyStep(*step, false);
      }
      to.push_back(std::move(r));
    }
    return CommandOutcome::kEnded;
  }

  // Undoes (forward false) or redoes one step.
  void applyStep(CommandProcessor::Step& s, bool forward) {
    AcDbEntity* e = nullptr;
    if (acdbOpenAcDbEntity(e, s.id, AcDb::kForWrite, true) != Acad::eOk) return;
    switch (s.kind) {
      case CommandProcessor::Step::kAppended: e->erase(!forward); break;
      case CommandProcessor::Step::kErased: e->erase(forward); break;
      case CommandProcessor::Step::kChanged: (forward ? s.redo : s.undo)(e); break;
    }
    e->close();
  }

  // Asks for a file name; empty when cancelled.
  std::u16string fileName(const std::u16string& prompt) {
    std::optional<UserInput> in = ask(prompt);
    if (cancelled(in) || in->text.empty()) return {};
    return in->text;
  }

  CommandOutcome save(bool as) {
    std::u16string path = doc->fileName();
    if (as || path.find(u'\\') == std::u16string::npos) {
      path = fileName(u"\nFile name: ");
      if (path.empty()) return CommandOutcome::kCancelled;
    }
    const arxdxf::WriteResult r = arxdxf::writeDxfFile(*db(), app.desktop().files().toHostPath(path));
    if (r.status != Acad::eOk) {
      say(u"\nCannot write " + path + u".\n");
      return CommandOutcome::kFailed;
    }
    doc->setFileName(path);
    return CommandOutcome::kEnded;
  }

  CommandOutcome close() {
    AcApDocument* closing = doc;
    AcadApplication& a = app;
    cp.after_.push_back([&a, closing] { a.docManager().closeDocument(closing); });
    return CommandOutcome::kEnded;
  }

  CommandOutcome closeAll() {
    AcadApplication& a = app;
    cp.after_.push_back([&a] { a.docManager().closeAll(); });
    return CommandOutcome::kEnded;
  }

  CommandOutcome quit() {
    cp.quit_ = true;
    AcadApplication& a = app;
    cp.after_.push_back([&a] { a.docManager().closeAll(); });
    return CommandOutcome::kEnded;
  }

  CommandOutcome open() {
    const std::u16string path = fileName(u"\nFile name: ");
    if (path.empty()) return CommandOutcome::kCancelled;
    arxdxf::ReadResult r = arxdxf::readDxfFile(app.desktop().files().toHostPath(path));
    if (r.status != Acad::eOk || !r.database) {
      say(u"\nCannot open " + path + u".\n");
      return CommandOutcome::kFailed;
    }
    auto owned = std::make_shared<std::unique_ptr<AcDbDatabase>>(std::move(r.database));
    AcadApplication& a = app;
    cp.after_.push_back([&a, owned, path] { a.docManager().openDocument(std::move(*owned), path); });
    return CommandOutcome::kEnded;
  }

  CommandOutcome appload() {
    const std::u16string path = fileName(u"\nFile to load: ");
    if (path.empty()) return CommandOutcome::kCancelled;
    const std::size_t slash = path.find_last_of(u"\\/");
    const std::u16string file = slash == std::u16string::npos ? path : path.substr(slash + 1);
    if (!app.loadApplication(path)) {
      say(u"\nUnable to load " + file + u".\n");
      return CommandOutcome::kFailed;
    }
    say(u"\n" + file + u" successfully loaded.\n");
    return CommandOutcome::kEnded;
  }

  CommandOutcome imageframe() {
    const auto now = app.sysVars().value(u"IMAGEFRAME");
    const std::u16string prompt = u"\nEnter IMAGEFRAME setting [0/1/2] <" +
                                  win32::utf8ToUtf16(std::to_string(now ? now->integer : 1)) + u">: ";
    for (int tries = 0; tries < 8; ++tries) {
      int v = 0;
      const int rc = acedGetInt(prompt.c_str(), &v);
      if (rc == RTCAN) return CommandOutcome::kCancelled;
      if (rc == RTNONE) return CommandOutcome::kEnded;
      if (rc == RTNORM && v >= 0 && v <= 2) {
        app.sysVars().setValue(u"IMAGEFRAME", SysVarValue::shortValue(static_cast<short>(v)));
        return CommandOutcome::kEnded;
      }
      say(u"Requires an integer between 0 and 2.\n");
    }
    return CommandOutcome::kCancelled;
  }

  AcDbObjectId findOrMakeLayer(const std::u16string& name, bool make) {
    AcDbLayerTable* table = nullptr;
    if (db()->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return {};
    AcDbObjectId id;
    if (table->getAt(name.c_str(), id) == Acad::eOk || !make) {
      table->close();
      return id;
    }
    if (table->upgradeOpen() != Acad::eOk) {
      table->close();
      return {};
    }
    auto* rec = new AcDbLayerTableRecord;
    rec->setName(name.c_str());
    if (table->add(id, rec) == Acad::eOk) rec->close();
    else delete rec;
    table->close();
    return id;
  }

  CommandOutcome layer() {
    while (true) {
      std::optional<UserInput> in = ask(u"\nEnter an option [?/Make/Set/New/ON/OFF/Color/Ltype/LWeight/TRansparency/"
                                        u"MATerial/Plot/Freeze/Thaw/LOck/Unlock/stAte/Description/rEconcile]: ");
      if (cancelled(in)) return CommandOutcome::kCancelled;
      if (in->kind == UserInput::kEnter) return CommandOutcome::kEnded;
      const std::u16string option = upper(in->text);
      const bool make = option == u"M" || option == u"MAKE";
      const bool make2 = option == u"N" || option == u"NEW";
      const bool set = option == u"S" || option == u"SET";
      if (!make && !make2 && !set) {
        say(u"Invalid option keyword.\n");
        continue;
      }
      std::optional<UserInput> name = ask(u"\nEnter name for layer: ");
      if (cancelled(name)) return CommandOutcome::kCancelled;
      if (name->text.empty()) continue;
      const AcDbObjectId id = findOrMakeLayer(name->text, make || make2);
      if (id.isNull()) say(u"Cannot find layer \"" + name->text + u"\".\n");
      else if (make || set) db()->setClayer(id);
    }
  }

  CommandOutcome zoom() {
    std::optional<UserInput> in = ask(u"\nSpecify corner of window, enter a scale factor (nX or nXP), or "
                                      u"[All/Center/Dynamic/Extents/Previous/Scale/Window/Object] <real time>: ");
    if (cancelled(in)) return CommandOutcome::kCancelled;
    const std::u16string option = upper(in->text);
    AcGePoint3d a, b;
    if (option == u"E" || option == u"EXTENTS" || option == u"A" || option == u"ALL") {
      AcDbExtents all;
      bool any = false;
      for (AcDbObjectId id : ed.allEntities()) {
        AcDbEntity* e = nullptr;
        AcDbExtents ext;
        if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
        if (e->getGeomExtents(ext) == Acad::eOk) {
          all.addExt(ext);
          any = true;
        }
        e->close();
      }
      if (!any) return CommandOutcome::kEnded;
      a = all.minPoint();
      b = all.maxPoint();
    } else {
      int rc = RTNORM;
      if (!parsePointText(in->text, a)) {
        if (option != u"W" && option != u"WINDOW") return CommandOutcome::kEnded;
        if ((rc = point(u"\nSpecify first corner: ", a)) != RTNORM) return outcomeOf(rc);
      }
      if ((rc = point(u"\nSpecify opposite corner: ", b)) != RTNORM) return outcomeOf(rc);
    }
    app.view().fit(AcGePoint2d((a.x + b.x) / 2, (a.y + b.y) / 2), std::fabs(b.x - a.x), std::fabs(b.y - a.y));
    return CommandOutcome::kEnded;
  }

  CommandOutcome pan() {
    AcGePoint3d a, b;
    int rc = point(u"\nSpecify base point or displacement: ", a);
    if (rc != RTNORM) return outcomeOf(rc);
    if ((rc = point(u"\nSpecify second point: ", b)) != RTNORM) return outcomeOf(rc);
    const AcGePoint2d c = app.view().centre();
    app.view().set(AcGePoint2d(c.x - (b.x - a.x), c.y - (b.y - a.y)), app.view().height());
    return CommandOutcome::kEnded;
  }
};

CommandProcessor::CommandProcessor(AcadApplication& app) : app_(app) {}
CommandProcessor::~CommandProcessor() = default;

std::u16string CommandProcessor::builtInName(const std::u16string& name) const {
  std::u16string n = upper(name);
  while (!n.empty() && (n[0] == u'_' || n[0] == u'.')) n.erase(0, 1);
  for (const auto& a : kAliases)
    if (n == a.alias) return a.global;
  for (const char16_t* b : kBuiltIns)
    if (n == b) return b;
  return {};
}

void CommandProcessor::record(Step step) {
  if (recording_) recording_->steps.push_back(std::move(step));
}

void CommandProcessor::forgetDocument(const AcApDocument* doc) {
  undo_.erase(doc);
  redo_.erase(doc);
}

std::size_t CommandProcessor::undoDepth(const AcApDocument* doc) const {
  auto it = undo_.find(doc);
  return it == undo_.end() ? 0 : it->second.size();
}

std::size_t CommandProcessor::redoDepth(const AcApDocument* doc) const {
  auto it = redo_.find(doc);
  return it == redo_.end() ? 0 : it->second.size();
}

CommandOutcome CommandProcessor::bracket(const std::u16string& exactName, const std::function<CommandOutcome()>& body) {
  AcApDocManager& docs = app_.docManager();
  AcApDocument* doc = docs.curDocument();
  Editor& ed = app_.editor();
  docs.beginCommand(doc);
  ed.fireCommand(nullptr, exactName);
  CommandOutcome outcome = body();
  ed.fireCommand(&outcome, exactName);
  docs.endCommand(doc);
  std::vector<std::function<void()>> after = std::move(after_);
  after_.clear();
  for (auto& work : after) work();
  return outcome;
}

CommandOutcome CommandProcessor::runBuiltIn(const std::u16string& global) {
  AcApDocument* doc = app_.docManager().curDocument();
  BuiltIns b{*this, app_, app_.editor(), doc};
  const bool undoing = global == u"UNDO" || global == u"MUNDO" || global == u"REDO" || global == u"MREDO";
  if (undoing || !doc) return b.run(global);
  Record r{global, {}};
  recording_ = &r;
  const CommandOutcome outcome = b.run(global);
  recording_ = nullptr;
  if (!r.steps.empty() && app_.docManager().isOpen(doc)) {
    undo_[doc].push_back(std::move(r));
    redo_.erase(doc);
  }
  return outcome;
}

std::optional<CommandOutcome> CommandProcessor::execute(const std::u16string& name) {
  std::deque<UserInput> none;
  return execute(name, none);
}

std::optional<CommandOutcome> CommandProcessor::execute(const std::u16string& name, std::deque<UserInput>& answers,
                                                        bool echo) {
  auto& line = app_.desktop().transcript();
  if (echo) line.commandLine(u"\nCommand: " + name + u"\n");
  const std::u16string global = builtInName(name);
  const AcEdCommand* registered = global.empty() ? app_.findCommand(name) : nullptr;
  if (global.empty() && !registered) {
    acutPrintf(u"\nUnknown command \"%s\".  Press F1 for help.\n", upper(name).c_str());
    return std::nullopt;
  }
  if (!global.empty() && !needsNoDocument(global) && !app_.docManager().curDocument()) {
    line.commandLine(u"\nNo drawing is open.\n");
    return std::nullopt;
  }
  Editor& ed = app_.editor();
  ed.pushScript(std::move(answers));
  CommandOutcome outcome;
  if (!global.empty()) {
    const std::u16string previous = app_.sysVars().value(u"CMDNAMES") ? app_.sysVars().value(u"CMDNAMES")->text : u"";
    app_.sysVars().setValue(u"CMDNAMES", SysVarValue::stringValue(global));
    outcome = bracket(global, [this, &global] { return runBuiltIn(global); });
    app_.sysVars().setValue(u"CMDNAMES", SysVarValue::stringValue(previous));
  } else {
    outcome = bracket(upper(registered->globalName()), [this, registered] {
      app_.runCommandFunction(*registered);
      return CommandOutcome::kEnded;
    });
  }
  answers = ed.popScript();
  return outcome;
}

}  // namespace arx
