#include "hatch_patterns.h"

#include "db_internal.h"

namespace arxdetail {

namespace {

// Metric line families of the stand-in's pattern set (SOLID carries the line drawings store
// for it).
constexpr PatternLibraryEntry kPatterns[] = {
    {u"SOLID", {{45, 0, 0, 0, 0.125, {}, 0}}, 1},
    {u"ANSI31", {{45, 0, 0, 0, 3.175, {}, 0}}, 1},
    {u"ANSI32", {{45, 0, 0, 0, 9.525, {}, 0}, {45, 4.49013, 0, 0, 9.525, {}, 0}}, 2},
    {u"ANSI37", {{45, 0, 0, 0, 3.175, {}, 0}, {135, 0, 0, 0, 3.175, {}, 0}}, 2},
    {u"ANGLE", {{0, 0, 0, 0, 6.985, {5.08, -1.905}, 2}, {90, 0, 0, 0, 6.985, {5.08, -1.905}, 2}}, 2},
    {u"BRICK",
     {{0, 0, 0, 0, 6.35, {}, 0}, {90, 0, 0, 6.35, 6.35, {6.35, -6.35}, 2}, {90, 3.175, 0, 6.35, 6.35, {-6.35, 6.35}, 2}},
     3},
    {u"CROSS", {{0, 0, 0, 6.35, 6.35, {3.175, -9.525}, 2}, {90, 1.5875, -1.5875, -6.35, 6.35, {3.175, -9.525}, 2}}, 2},
    {u"DOTS", {{0, 0, 0, 0.79375, 1.5875, {0, -1.5875}, 2}}, 1},
    {u"LINE", {{0, 0, 0, 0, 3.175, {}, 0}}, 1},
    {u"NET", {{0, 0, 0, 0, 3.175, {}, 0}, {90, 0, 0, 0, 3.175, {}, 0}}, 2},
    {u"SQUARE", {{0, 0, 0, 0, 3.175, {3.175, -3.175}, 2}, {90, 0, 0, 0, 3.175, {3.175, -3.175}, 2}}, 2},
};

constexpr const char16_t* kGradients[] = {u"LINEAR",       u"CYLINDER",      u"INVCYLINDER",
                                          u"SPHERICAL",    u"HEMISPHERICAL", u"CURVED",
                                          u"INVSPHERICAL", u"INVHEMISPHERICAL", u"INVCURVED"};

}  // namespace

const PatternLibraryEntry* findLibraryPattern(std::u16string_view name) {
  for (const auto& p : kPatterns)
    if (namesEqual(p.name, name)) return &p;
  return nullptr;
}

bool isGradientName(std::u16string_view name) {
  for (const char16_t* g : kGradients)
    if (namesEqual(g, name)) return true;
  return false;
}

}  // namespace arxdetail
