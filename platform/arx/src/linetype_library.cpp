// The built-in linetype library behind acdbLoadLineTypeFile ("ACADISO.LIN" / "ACAD.LIN").
#include <string_view>

#include "arx/dbdatabase.h"
#include "arx/dbsymtb.h"
#include "db_internal.h"

namespace {

struct LibraryLinetype {
  const char16_t* name;
  const char16_t* description;
  double dashes[12];  // millimetres; a trailing run of zeros past count is unused
  int count;
};

// Dash patterns are the stand-in's own (dash > 0, gap < 0, dot 0), in millimetres.
constexpr LibraryLinetype kLibrary[] = {
    {u"BORDER", u"Border __ __ . __ __ . __ __ . __ __ . __ __ .", {12.7, -6.35, 12.7, -6.35, 0, -6.35}, 6},
    {u"BORDER2", u"Border (.5x) __.__.__.__.__.__.__.__.__.__.__.", {6.35, -3.175, 6.35, -3.175, 0, -3.175}, 6},
    {u"BORDERX2", u"Border (2x) ____  ____  .  ____  ____  .  ___", {25.4, -12.7, 25.4, -12.7, 0, -12.7}, 6},
    {u"CENTER", u"Center ____ _ ____ _ ____ _ ____ _ ____ _ ____", {31.75, -6.35, 6.35, -6.35}, 4},
    {u"CENTER2", u"Center (.5x) ___ _ ___ _ ___ _ ___ _ ___ _ ___", {19.05, -3.175, 3.175, -3.175}, 4},
    {u"CENTERX2", u"Center (2x) ________  __  ________  __  _____", {63.5, -12.7, 12.7, -12.7}, 4},
    {u"DASHDOT", u"Dash dot __ . __ . __ . __ . __ . __ . __ . __", {12.7, -6.35, 0, -6.35}, 4},
    {u"DASHDOT2", u"Dash dot (.5x) _._._._._._._._._._._._._._._.", {6.35, -3.175, 0, -3.175}, 4},
    {u"DASHDOTX2", u"Dash dot (2x) ____  .  ____  .  ____  .  ___", {25.4, -12.7, 0, -12.7}, 4},
    {u"DASHED", u"Dashed __ __ __ __ __ __ __ __ __ __ __ __ __ _", {12.7, -6.35}, 2},
    {u"DASHED2", u"Dashed (.5x) _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _", {6.35, -3.175}, 2},
    {u"DASHEDX2", u"Dashed (2x) ____  ____  ____  ____  ____  ___", {25.4, -12.7}, 2},
    {u"DIVIDE", u"Divide ____ . . ____ . . ____ . . ____ . . ____", {12.7, -6.35, 0, -6.35, 0, -6.35}, 6},
    {u"DIVIDE2", u"Divide (.5x) __..__..__..__..__..__..__..__.._", {6.35, -3.175, 0, -3.175, 0, -3.175}, 6},
    {u"DIVIDEX2", u"Divide (2x) ________  .  .  ________  .  .  _", {25.4, -12.7, 0, -12.7, 0, -12.7}, 6},
    {u"DOT", u"Dot . . . . . . . . . . . . . . . . . . . . . . . .", {0, -6.35}, 2},
    {u"DOT2", u"Dot (.5x) ........................................", {0, -3.175}, 2},
    {u"DOTX2", u"Dot (2x) .  .  .  .  .  .  .  .  .  .  .  .  .  .", {0, -12.7}, 2},
    {u"HIDDEN", u"Hidden __ __ __ __ __ __ __ __ __ __ __ __ __ __", {6.35, -3.175}, 2},
    {u"HIDDEN2", u"Hidden (.5x) _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _", {3.175, -1.5875}, 2},
    {u"HIDDENX2", u"Hidden (2x) ____ ____ ____ ____ ____ ____ ____", {12.7, -6.35}, 2},
    {u"PHANTOM", u"Phantom ______  __  __  ______  __  __  ______", {31.75, -6.35, 6.35, -6.35, 6.35, -6.35}, 6},
    {u"PHANTOM2", u"Phantom (.5x) ___ _ _ ___ _ _ ___ _ _ ___ _ _", {15.875, -3.175, 3.175, -3.175, 3.175, -3.175}, 6},
    {u"PHANTOMX2", u"Phantom (2x) ____________    ____    ____    _", {63.5, -12.7, 12.7, -12.7, 12.7, -12.7}, 6},
    {u"ACAD_ISO02W100", u"ISO dash __ __ __ __ __ __ __ __ __ __ __ __ __", {12, -3}, 2},
    {u"ACAD_ISO03W100", u"ISO dash space __    __    __    __    __    __", {12, -18}, 2},
    {u"ACAD_ISO04W100", u"ISO long-dash dot ____ . ____ . ____ . ____ . _", {24, -3, 0, -3}, 4},
    {u"ACAD_ISO05W100", u"ISO long-dash double-dot ____ .. ____ .. ____ .", {24, -3, 0, -3, 0, -3}, 6},
    {u"ACAD_ISO06W100", u"ISO long-dash triple-dot ____ ... ____ ... ____", {24, -3, 0, -3, 0, -3, 0, -3}, 8},
    {u"ACAD_ISO07W100", u"ISO dot . . . . . . . . . . . . . . . . . . . .", {0, -3}, 2},
    {u"ACAD_ISO08W100", u"ISO long-dash short-dash ____ __ ____ __ ____ _", {24, -3, 6, -3}, 4},
    {u"ACAD_ISO09W100", u"ISO long-dash double-short-dash ____ __ __ ____", {24, -3, 6, -3, 6, -3}, 6},
    {u"ACAD_ISO10W100", u"ISO dash dot __ . __ . __ . __ . __ . __ . __ .", {12, -3, 0, -3}, 4},
    {u"ACAD_ISO11W100", u"ISO double-dash dot __ __ . __ __ . __ __ . __ _", {12, -3, 12, -3, 0, -3}, 6},
    {u"ACAD_ISO12W100", u"ISO dash double-dot __ . . __ . . __ . . __ . .", {12, -3, 0, -3, 0, -3}, 6},
    {u"ACAD_ISO13W100", u"ISO double-dash double-dot __ __ . . __ __ . . _", {12, -3, 12, -3, 0, -3, 0, -3}, 8},
    {u"ACAD_ISO14W100", u"ISO dash triple-dot __ . . . __ . . . __ . . . _", {12, -3, 0, -3, 0, -3, 0, -3}, 8},
    {u"ACAD_ISO15W100", u"ISO double-dash triple-dot __ __ . . . __ __ . .", {12, -3, 12, -3, 0, -3, 0, -3, 0, -3}, 10},
    {u"JIS_02_0.7", u"HIDDEN0.75", {0.7, -0.35}, 2},
    {u"JIS_02_1.0", u"HIDDEN01", {1.0, -0.5}, 2},
    {u"JIS_02_1.2", u"HIDDEN01.25", {1.2, -0.6}, 2},
    {u"JIS_02_2.0", u"HIDDEN02", {2.0, -1.0}, 2},
    {u"JIS_02_4.0", u"HIDDEN04", {4.0, -2.0}, 2},
    {u"JIS_08_11", u"1SASEN11", {11, -1, 1, -1}, 4},
    {u"JIS_08_15", u"1SASEN15", {15, -1.5, 1, -1.5}, 4},
    {u"JIS_08_25", u"1SASEN25", {25, -2, 1, -2}, 4},
    {u"JIS_08_37", u"1SASEN37", {37, -3, 1, -3}, 4},
    {u"JIS_08_50", u"1SASEN50", {50, -4, 1, -4}, 4},
    {u"JIS_09_08", u"2SASEN8", {8, -1, 1, -1, 1, -1}, 6},
    {u"JIS_09_15", u"2SASEN15", {15, -1.5, 1, -1.5, 1, -1.5}, 6},
    {u"JIS_09_29", u"2SASEN29", {29, -2, 1, -2, 1, -2}, 6},
    {u"JIS_09_50", u"2SASEN50", {50, -3, 1, -3, 1, -3}, 6},
};

std::u16string_view baseName(std::u16string_view path) {
  auto pos = path.find_last_of(u"\\/");
  return pos == std::u16string_view::npos ? path : path.substr(pos + 1);
}

}  // namespace

Acad::ErrorStatus acdbLoadLineTypeFile(const ACHAR* name, const ACHAR* fileName, AcDbDatabase* db) {
  if (!db) return Acad::eNoDatabase;
  if (!name || !*name || !fileName) return Acad::eInvalidInput;
  std::u16string_view file = baseName(fileName);
  double unit = 0.0;
  if (arxdetail::namesEqual(file, u"ACADISO.LIN"))
    unit = 1.0;
  else if (arxdetail::namesEqual(file, u"ACAD.LIN"))
    unit = 1.0 / 25.4;
  else
    return Acad::eNotImplementedYet;
  const LibraryLinetype* entry = nullptr;
  for (const auto& lt : kLibrary)
    if (arxdetail::namesEqual(lt.name, name)) entry = &lt;
  if (!entry) return Acad::eKeyNotFound;
  AcDbLinetypeTable* table = nullptr;
  Acad::ErrorStatus es = db->getLinetypeTable(table, AcDb::kForWrite);
  if (es != Acad::eOk) return es;
  if (table->has(entry->name)) {
    table->close();
    return Acad::eDuplicateRecordName;
  }
  auto* rec = new AcDbLinetypeTableRecord;
  rec->setName(entry->name);
  rec->setComments(entry->description);
  rec->setNumDashes(entry->count);
  double length = 0.0;
  for (int i = 0; i < entry->count; ++i) {
    rec->setDashLengthAt(i, entry->dashes[i] * unit);
    length += (entry->dashes[i] < 0 ? -entry->dashes[i] : entry->dashes[i]) * unit;
  }
  rec->setPatternLength(length);
  es = table->add(rec);
  if (es == Acad::eOk)
    rec->close();
  else
    delete rec;
  table->close();
  return es;
}
