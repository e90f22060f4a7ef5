// Scenario steps of the person at the AutoCAD screen: commands with their answers, selection,
// picks, double-clicks, hovering, zoom and pan, and the open documents.
#include <algorithm>
#include <deque>

#include "arx/acad_app.h"
#include "arx/acdocman.h"
#include "arx/aced.h"
#include "arx/cad_commands.h"
#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dxf.h"
#include "desk_session.h"
#include "win32/case_fold.h"
#include "win32/desktop.h"
#include "win32/transcript.h"
#include "win32/unicode.h"

namespace desk {

namespace {

std::u16string wide(const std::string& s) { return win32::utf8ToUtf16(s); }
std::string narrow(const std::u16string& s) { return win32::utf16ToUtf8(s); }

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// A scenario word as an answer: "" is Enter, esc is Esc, anything else is typed.
arx::UserInput answerOf(const std::string& word) {
  if (word.empty()) return arx::UserInput::enter();
  if (lower(word) == "esc") return arx::UserInput::escape();
  return arx::UserInput::of(wide(word));
}

bool point(const std::string& text, AcGePoint3d& p) { return arx::parsePointText(wide(text), p); }

std::string describe(AcDbObjectId id) {
  AcDbObject* o = nullptr;
  if (acdbOpenObject(o, id, AcDb::kForRead) != Acad::eOk) return "?";
  const std::string text = narrow(o->isA()->name()) + " " + narrow(id.handle().ascii());
  o->close();
  return text;
}

}  // namespace

bool DeskSession::isCadStep(const std::string& verb) {
  static const char* const kVerbs[] = {"command", "bracket", "input",  "select", "pick",    "double-click",
                                       "hover",   "zoom",    "pan",    "document"};
  return std::any_of(std::begin(kVerbs), std::end(kVerbs), [&verb](const char* v) { return verb == v; });
}

bool DeskSession::stepCad(const Words& w, std::string& reason) {
  const std::string verb = lower(w[0]);
  auto& transcript = desktop_->transcript();
  arx::Editor& ed = acad_->editor();
  AcApDocManager& docs = acad_->docManager();

  if (verb == "command" && w.size() >= 2) {
    // command NAME [ANSWER ...]: the user types a command and answers its prompts.
    const std::u16string name = wide(w[1]);
    if (acad_->commands().builtInName(name).empty() && !acad_->findCommand(name)) {
      transcript.commandLine(u"\n未知命令\"" + name + u"\"。\n");
      return true;
    }
    std::deque<arx::UserInput> answers;
    for (std::size_t i = 2; i < w.size(); ++i) answers.push_back(answerOf(w[i]));
    if (acad_->commands().builtInName(name) == u"APPLOAD" && answers.empty()) {
      installPluginFiles();
      answers.push_back(arx::UserInput::of(pluginPath_));
    }
    acad_->commands().execute(name, answers);
    if (!answers.empty()) {
      reason = std::to_string(answers.size()) + " answer(s) were left unused by " + w[1];
      return false;
    }
    return true;
  }
  if (verb == "bracket" && w.size() == 2) {
    // A command AutoCAD reports by exactly this name (e.g. "_RIBBON"), doing nothing else.
    acad_->commands().bracket(wide(w[1]), [] { return arx::CommandOutcome::kEnded; });
    return true;
  }
  if (verb == "input" && w.size() >= 2) {
    for (std::size_t i = 1; i < w.size(); ++i) ed.queueInput(answerOf(w[i]));
    return true;
  }

  if (verb == "document") return stepDocument(w, reason);
  if (!docs.curDocument()) {
    reason = "no drawing is open";
    return false;
  }

  AcGePoint3d p, q;
  if (verb == "select" && w.size() >= 2) {
    // select all | none | layer NAME | window X1,Y1 X2,Y2 | crossing X1,Y1 X2,Y2
    const std::string how = lower(w[1]);
    std::vector<AcDbObjectId> ids;
    if (how == "all" && w.size() == 2) {
      ids = ed.allEntities();
    } else if (how == "none" && w.size() == 2) {
    } else if (how == "layer" && w.size() == 3) {
      for (AcDbObjectId id : ed.allEntities()) {
        AcDbEntity* e = nullptr;
        if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
        if (win32::equalsNoCase(e->layer(), wide(w[2]))) ids.push_back(id);
        e->close();
      }
    } else if ((how == "window" || how == "crossing") && w.size() == 4 && point(w[2], p) && point(w[3], q)) {
      ids = ed.inWindow(p, q, how == "crossing");
    } else {
      reason = "select all|none|layer NAME|window X1,Y1 X2,Y2|crossing X1,Y1 X2,Y2";
      return false;
    }
    const std::size_t n = ed.userSelects(ids, false);
    note("selected " + std::to_string(n) + " of " + std::to_string(ids.size()));
    return true;
  }
  if (verb == "pick" && w.size() == 2 && point(w[1], p)) {
    // A click with no command running adds the entity under the cursor to the selection.
    const std::vector<AcDbObjectId> hits = ed.hitAt(p);
    if (hits.empty()) {
      note("nothing at " + w[1]);
      return true;
    }
    const auto& selected = ed.pickfirst(docs.curDocument());
    if (std::find(selected.begin(), selected.end(), hits.back()) != selected.end()) {
      note("already selected: " + describe(hits.back()));
      return true;
    }
    const std::size_t before = selected.size();
    const std::size_t n = ed.userSelects({hits.back()}, true);
    note((n > before ? "picked " : "not selectable: ") + describe(hits.back()));
    return true;
  }
  if (verb == "double-click" && w.size() == 2 && point(w[1], p)) {
    ed.fireBeginDoubleClick(p);
    // AutoCAD's own double-click editing follows unless DBLCLKEDIT was switched off.
    const auto on = acad_->sysVars().value(u"DBLCLKEDIT");
    const std::vector<AcDbObjectId> hits = ed.hitAt(p);
    if (on && on->integer != 0 && !hits.empty()) note("AutoCAD edits " + describe(hits.back()));
    return true;
  }
  if (verb == "hover" && w.size() == 2 && point(w[1], p)) {
    const AcDbFullSubentPath path = ed.hover(p);
    std::string text = "highlight:";
    for (int i = 0; i < path.objectIds().length(); ++i) text += " " + describe(path.objectIds()[i]);
    if (path.objectIds().isEmpty()) text += " nothing";
    note(text);
    return true;
  }
  if (verb == "zoom" && w.size() >= 2) {
    std::deque<arx::UserInput> answers;
    if (lower(w[1]) == "window" && w.size() == 4 && point(w[2], p) && point(w[3], q)) {
      answers = {arx::UserInput::of(u"W"), arx::UserInput::of(wide(w[2])), arx::UserInput::of(wide(w[3]))};
    } else if (lower(w[1]) == "extents" && w.size() == 2) {
      answers = {arx::UserInput::of(u"E")};
    } else {
      reason = "zoom window X1,Y1 X2,Y2 | zoom extents";
      return false;
    }
    acad_->commands().execute(u"ZOOM", answers);
    return true;
  }
  if (verb == "pan" && w.size() == 3 && point(w[1], p) && point(w[2], q)) {
    std::deque<arx::UserInput> answers = {arx::UserInput::of(wide(w[1])), arx::UserInput::of(wide(w[2]))};
    acad_->commands().execute(u"PAN", answers);
    return true;
  }
  reason = "unknown or malformed step";
  return false;
}

bool DeskSession::stepDocument(const Words& w, std::string& reason) {
  // document new [as PATH] | open FILE.dxf [as PATH] | activate NAME | close [NAME] | list
  AcApDocManager& docs = acad_->docManager();
  const std::string what = w.size() > 1 ? lower(w[1]) : "";
  const auto asName = [&](std::size_t at) -> std::u16string {
    return w.size() == at + 2 && lower(w[at]) == "as" ? wide(w[at + 1]) : std::u16string();
  };
  const auto find = [&](const std::string& name) -> AcApDocument* {
    std::unique_ptr<AcApDocumentIterator> it(docs.newAcApDocumentIterator());
    for (; !it->done(); it->step()) {
      AcApDocument* d = it->document();
      if (win32::equalsNoCase(d->docTitle(), wide(name)) || win32::equalsNoCase(d->fileName(), wide(name))) return d;
    }
    return nullptr;
  };
  if (what == "new" && (w.size() == 2 || w.size() == 4)) {
    AcApDocument* doc = docs.newDocument(asName(2));
    if (doc) note("new document " + narrow(doc->fileName()));
    return true;
  }
  if (what == "open" && (w.size() == 3 || w.size() == 5)) {
    std::filesystem::path file;
    arxdxf::ReadResult r = readDrawingFile(w[2], file, reason);
    if (!r.database) return false;
    std::u16string name = asName(3);
    if (name.empty()) name = u"C:\\Users\\me\\Documents\\" + wide(file.stem().string()) + u".dwg";
    AcApDocument* doc = docs.openDocument(std::move(r.database), name);
    if (doc) note("opened document " + narrow(doc->fileName()));
    return true;
  }
  if ((what == "activate" && w.size() == 3) || (what == "close" && (w.size() == 2 || w.size() == 3))) {
    AcApDocument* doc = w.size() == 3 ? find(w[2]) : docs.curDocument();
    if (!doc) {
      reason = w.size() == 3 ? "no open document " + w[2] : "no document is open";
      return false;
    }
    if (what == "activate") docs.activateDocument(doc);
    else docs.closeDocument(doc);
    return true;
  }
  if (what == "list" && w.size() == 2) {
    std::unique_ptr<AcApDocumentIterator> it(docs.newAcApDocumentIterator());
    if (it->done()) note("no documents");
    for (; !it->done(); it->step()) {
      AcApDocument* d = it->document();
      note("document " + narrow(d->fileName()) + (d == docs.curDocument() ? " current" : "") +
           (d == docs.mdiActiveDocument() ? " active" : ""));
    }
    return true;
  }
  reason = "document new [as PATH] | open FILE.dxf [as PATH] | activate NAME | close [NAME] | list";
  return false;
}

}  // namespace desk
