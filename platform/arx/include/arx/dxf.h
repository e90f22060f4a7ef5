// DXF in and out: reading an ASCII drawing exchange file into a new drawing database, and
// writing a database back as one.
//
// Models:
//   - reading: ASCII DXF of AutoCAD R12 (AC1009) and 2000 onwards (AC1015 .. AC1032), also
//     files with only some sections (an ENTITIES section alone is a drawing). The result is a
//     new AcDbDatabase holding what the file holds, with the file's handles: layers (colour
//     index or true colour, linetype, transparency, on/off, frozen, locked, plot flag, line
//     weight), linetypes (dashes), text styles, registered applications, views, block
//     definitions with their entities, model and paper space, the named-objects dictionary,
//     extension dictionaries, Xrecords, image definitions in the image dictionary,
//     sort-entities tables and extended data. Entities: POINT, LINE, CIRCLE, ARC, ELLIPSE,
//     SPLINE, LWPOLYLINE, POLYLINE (2D or 3D by its flags) with VERTEX/SEQEND, MLINE, SOLID,
//     TRACE, HATCH (polyline and edge loops, patterns, gradients, associative boundaries),
//     TEXT, MTEXT, ATTDEF, INSERT (MINSERT too, its array counts dropped with a warning) with
//     ATTRIB, REGION, IMAGE. Everything else is kept, never dropped: unknown entities
//     (DIMENSION, polygon and polyface meshes, 3DSOLID, ...) become AcDbProxyEntity, unknown
//     objects and the records of unknown tables (VPORT, UCS, DIMSTYLE) AcDbProxyObject, each
//     with its raw groups so the writer puts it back; what is lost on the way (a MINSERT's
//     array, a region's ACIS body drawn as nothing, a dangling handle) is reported in the
//     warnings;
//   - strings: files before R2007 (AC1021) are read in the code page of $DWGCODEPAGE
//     (ANSI_936 through the desktop's code-page conversion), files from R2007 on as UTF-8;
//     "\U+XXXX" escapes become the character XXXX, "\M+5XXXX" the GBK character XXXX,
//     "^J"-style escapes control characters;
//   - a file that cannot be read (missing, binary, truncated, a group that is not a number
//     where one must be, structure out of order) gives a status and a one-line reason naming
//     the line, and no database;
//   - writing: AutoCAD 2000 (AC1015, strings in the chosen code page with "\U+XXXX" for what
//     it cannot hold) or AutoCAD 2013 (AC1027, UTF-8) ASCII DXF with HEADER, CLASSES, TABLES,
//     BLOCKS, ENTITIES and OBJECTS, handles and owner pointers; tables, layouts and the
//     dictionaries AutoCAD needs are written even when the database lacks them; reals are
//     written in their shortest exact form, so reading the output gives the same values.
// Limitations: no binary DXF, no DWG; no ACIS decoding (REGION keeps its ACIS data for
// writing back but has no boundary curves; the ACDSDATA section of newer files is not kept);
// spline fit data is kept as stored; xref blocks are ordinary blocks; code pages other than
// 936, 1252 and UTF-8 read their non-ASCII bytes as Windows-1252 (with a warning); proxies are
// written back as they were read, whatever the output version; image definitions are written
// as loaded (AutoCAD loads them on opening); the angles of clockwise hatch-boundary arcs are
// read as measured clockwise (believed; no AutoCAD sample here has one).
// Header variables other than $ACADVER, $DWGCODEPAGE, $HANDSEED and $CLAYER are not kept.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "arx/acadstrc.h"
#include "win32/types.h"

class AcDbDatabase;

namespace arxdxf {

struct ReadOptions {
  // The code page of files that do not name one ($DWGCODEPAGE missing, e.g. ENTITIES-only
  // files and many R12 files): AutoCAD's own default, Windows-1252.
  UINT fallbackCodePage = 1252;
};

struct ReadResult {
  Acad::ErrorStatus status = Acad::eOk;
  // One line saying why the file could not be read ("line 812: ..."), empty on success.
  std::string reason;
  std::unique_ptr<AcDbDatabase> database;
  // What was kept only as a proxy or could not be kept, one line each (UTF-8).
  std::vector<std::string> warnings;
  // $ACADVER ("AC1015"), empty when the file has no header.
  std::string acadVersion;
  // The code page the strings were read in (65001 for UTF-8).
  UINT codePage = 0;
};

// Reads a DXF file held in memory. Statuses: eOk; eUnknownDxfFileFormat for binary DXF or
// bytes that are not DXF; eBadDxfFile for a malformed or truncated file.
ReadResult readDxf(std::string_view bytes, const ReadOptions& options = {});
// Reads a file of the host's file system (not a sandbox path): eFileNotFound when it cannot be
// opened, then as readDxf. The database's filename() is the path.
ReadResult readDxfFile(const std::filesystem::path& hostPath, const ReadOptions& options = {});

enum class OutputVersion {
  kR2000,  // AC1015, strings in WriteOptions::codePage
  kR2013,  // AC1027, strings in UTF-8
};

struct WriteOptions {
  OutputVersion version = OutputVersion::kR2000;
  // $DWGCODEPAGE of an R2000 file: 1252 or 936 (others are eInvalidInput).
  UINT codePage = 1252;
};

struct WriteResult {
  Acad::ErrorStatus status = Acad::eOk;
  std::string reason;
  std::vector<std::string> warnings;
};

// Writes db as DXF text into out. No object may be open for write (eWasOpenForWrite,
// naming the object's handle); nothing in db changes, and the same database always gives the
// same text.
WriteResult writeDxf(const AcDbDatabase& db, std::string& out, const WriteOptions& options = {});
// Writes to a host file (eFileAccessErr when it cannot be written).
WriteResult writeDxfFile(const AcDbDatabase& db, const std::filesystem::path& hostPath,
                         const WriteOptions& options = {});

}  // namespace arxdxf
