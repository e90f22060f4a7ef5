// AutoCAD's built-in commands as a person types them, and the bracket around every command.
//
// Models:
//   - execute(name, answers): the name as typed ("line", "_rectang", "L", "-layer") is looked up
//     as a built-in command (by global name or alias), then as a registered command (local,
//     then global name); the command line shows "Command: <name as typed>". Each run is one
//     bracket: the document's automatic write lock is taken, commandWillStart(GLOBAL) goes to
//     the editor reactors, the command works, then exactly one of commandEnded /
//     commandCancelled (Esc at a prompt) / commandFailed (its work failed: a file that cannot
//     be read or written, a plug-in that does not load) is sent while the lock is still held;
//     then the lock goes. Registered commands always end with commandEnded (their function
//     returned). A command that closes documents (CLOSE, QUIT) or opens one (OPEN) ends its
//     bracket first; the document notifications follow;
//   - the commands and what they do to the current document's model space (every entity made
//     is appended and then closed: objectAppended, objectModified; every change is a
//     write-open and close: objectModified; erasures objectErased at the call):
//       LINE      first point, then next points until Enter: one AcDbLine per segment, made as
//                 each point is given; Esc keeps the segments made and cancels;
//       CIRCLE    centre, radius (a number or a point on the circle);
//       ARC       start, second and end point: the arc through the three;
//       PLINE     points until Enter ("C" closes): one AcDbPolyline made at the end (Esc after
//                 two points keeps it and cancels);
//       POINT     one AcDbPoint;
//       ELLIPSE   centre, end of one axis, distance to the other: one AcDbEllipse;
//       POLYGON   number of sides <4>, centre, a vertex: a closed AcDbPolyline;
//       3DPOLY    points until Enter: one simple AcDb3dPolyline;
//       SPLINE    control vertices until Enter: one clamped AcDbSpline of degree min(3, n - 1)
//                 with uniform knots;
//       MLINE     points until Enter: one AcDbMline of style STANDARD;
//       BLOCK     name, base point, objects: a block definition holding copies of them moved
//                 to the base point (the record and each copy appended), the objects erased;
//       GRIP_STRETCH  a grip and where it goes: a line end or polyline vertex at the grip
//                 moves there, any other entity under the grip moves as a whole;
//       TEXT, DTEXT  start point, height <2.5>, rotation in degrees <0>, then one AcDbText per
//                 line until an empty line;
//       MTEXT     two corners, then the contents (one answer): one AcDbMText of that width;
//       HATCH, GRADIENT  the selected boundary entities: one associative AcDbHatch (ANSI31;
//                 GRADIENT a LINEAR gradient) with a loop of those ids;
//       BHATCH    internal points until Enter: the innermost closed polyline or circle around
//                 each is traced into a temporary closed AcDbPolyline, the hatch is built on
//                 it and the trace erased again (objectErased inside the command), as boundary
//                 detection does;
//       RECTANG   first corner, other corner: a closed AcDbPolyline of 4 vertices; Enter at a
//                 corner ends the command without drawing (commandEnded), Esc cancels;
//       MOVE, COPY, ERASE, STRETCH  select objects (the pickfirst set when there is one, which
//                 is then cleared; else the user's selection, through the selection filters);
//                 MOVE transforms each (write-open, transformBy, close); COPY deep-clones them
//                 with their extension dictionaries and Xrecords (each copy: objectAppended
//                 copy, its dictionary and entries, then objectModified of the entries,
//                 dictionary, copy), then moves each copy (objectModified again); ERASE
//                 erases; STRETCH takes a crossing window, base and second point: line ends
//                 and polyline vertices inside move, other entities wholly inside move;
//       UNDO / MUNDO [count <1>], REDO, MREDO [count <1>]  undo or redo whole commands of this
//                 document: made entities are erased (objectErased true), erased ones
//                 un-erased (objectErased false), changed ones changed back (objectModified);
//                 REDO does the same forwards. A new command that changes the drawing clears
//                 what could be redone. Only what built-in commands did is recorded;
//       QSAVE     writes the drawing as DXF to its file; a drawing never saved asks for a
//                 file name as SAVEAS does; SAVEAS and SAVE ask "File name:" and rename the
//                 document;
//       CLOSE, CLOSEALL, QUIT  close the current document / every document after the bracket
//                 (QUIT also marks AutoCAD as quitting);
//       OPEN      asks for a file, reads it as DXF and opens it as a new document after the
//                 bracket (commandFailed when it cannot be read);
//       APPLOAD   asks for the application's file and loads it inside the bracket, so an
//                 application loaded by it sees commandEnded without commandWillStart;
//       IMAGEFRAME  asks for 0, 1 or 2 and sets the variable;
//       -LAYER    options M (make and set current), N (new), S (set current), until Enter;
//       ZOOM      W and two corners, or E (extents); PAN two points (the view moves by their
//                 difference): both change the view (viewChanged);
//       RIBBON, COMMANDLINE  the bracket only; EXPORTDWF  fails (no DWF writer here);
//   - bracket(name, body): a bracket whose name is delivered exactly as given (e.g.
//     "_RIBBON"), for commands AutoCAD reports that way.
// Limitations: no HELIX; SPLINE takes control vertices only (no fit points); no transparent or nested commands, no object snaps, no unsaved-changes prompt
// at CLOSE/QUIT, no DWG; UNDO does not reverse what reactors or applications changed during
// a command.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "arx/aced.h"
#include "arx/dbid.h"

class AcApDocument;
class AcDbEntity;

namespace arx {

class AcadApplication;

class CommandProcessor {
 public:
  explicit CommandProcessor(AcadApplication& app);
  ~CommandProcessor();
  CommandProcessor(const CommandProcessor&) = delete;
  CommandProcessor& operator=(const CommandProcessor&) = delete;

  // Runs the command typed as name; its prompts read answers first (what the command leaves
  // unread stays there), then the user's queued input. Nullopt for an unknown command
  // ("Unknown command" on the command line).
  std::optional<CommandOutcome> execute(const std::u16string& name, std::deque<UserInput>& answers, bool echo = true);
  std::optional<CommandOutcome> execute(const std::u16string& name);
  // A command bracket with the name given exactly; body returns the outcome.
  CommandOutcome bracket(const std::u16string& exactName, const std::function<CommandOutcome()>& body);
  // The global name of a built-in command typed as name, or "" when it is none.
  std::u16string builtInName(const std::u16string& name) const;
  bool quitRequested() const { return quit_; }
  // Undo records of a closing document go.
  void forgetDocument(const AcApDocument* doc);
  // Commands that can be undone / redone in doc.
  std::size_t undoDepth(const AcApDocument* doc) const;
  std::size_t redoDepth(const AcApDocument* doc) const;

  // What one command changed, to undo it.
  struct Step {
    enum Kind { kAppended, kErased, kChanged } kind;
    AcDbObjectId id;
    std::function<void(AcDbEntity*)> undo;  // kChanged
    std::function<void(AcDbEntity*)> redo;
  };
  struct Record {
    std::u16string command;
    std::vector<Step> steps;
  };

 private:
  friend struct BuiltIns;
  CommandOutcome runBuiltIn(const std::u16string& global);
  void record(Step step);

  AcadApplication& app_;
  std::map<const AcApDocument*, std::vector<Record>> undo_;
  std::map<const AcApDocument*, std::vector<Record>> redo_;
  Record* recording_ = nullptr;
  bool quit_ = false;
  // Work after the bracket (closing or opening documents).
  std::vector<std::function<void()>> after_;
};

}  // namespace arx
