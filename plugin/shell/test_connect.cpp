#include "shell/test_connect.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "arx/dbapserv.h"
#include "arx/dbpl.h"
#include "basemap/dwg_database_util.h"
#include "shell/commands.h"
#include "win32/fileapi.h"

namespace vurk {

namespace {
constexpr std::size_t kMaxFileBytes = 102400;
constexpr std::size_t kMaxPieceBytes = 255;
}  // namespace

std::vector<std::vector<PlanePoint>> TestConnectPolylines(std::string_view text) {
  std::vector<std::vector<PlanePoint>> lines;
  std::vector<PlanePoint> current;
  int pieces = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    // Like strtok: runs of separators produce no empty pieces; a zero byte ends the text.
    while (i < text.size() && (text[i] == '\t' || text[i] == '\n')) ++i;
    if (i >= text.size() || text[i] == '\0') break;
    std::size_t end = i;
    while (end < text.size() && text[end] != '\t' && text[end] != '\n' && text[end] != '\0') ++end;
    const std::string_view piece = text.substr(i, end - i);
    i = end;

    if (piece.size() <= kMaxPieceBytes) {
      const std::string copy(piece);
      double x = 0;
      double y = 0;
      if (std::sscanf(copy.c_str(), "%lf,%lf", &x, &y) == 2) current.push_back({x, y});
    }
    if (++pieces % 3 == 0) {
      if (current.size() >= 2) lines.push_back(current);
      current.clear();
    }
    if (i < text.size() && text[i] == '\0') break;
  }
  return lines;
}

void DrawTestPolyline(const std::vector<PlanePoint>& points) {
  auto* pline = new AcDbPolyline;
  for (unsigned int i = 0; i < points.size(); ++i) {
    pline->addVertexAt(i, AcGePoint2d(points[i].x, points[i].y), 0.0, 0.0, 0.0);
  }
  AppendToModelSpace(pline, DefaultEntityProps(), acdbHostApplicationServices()->workingDatabase());
}

void TestConnect() {
  std::FILE* f = _wfopen(u"C:\\vurk\\line.txt", u"rb");
  if (!f) return;
  // One byte more than the most that is read, so the text always ends in a zero.
  std::vector<char> buffer(kMaxFileBytes + 1, '\0');
  const std::size_t n = std::fread(buffer.data(), 1, kMaxFileBytes, f);
  std::fclose(f);
  for (const auto& line : TestConnectPolylines(std::string_view(buffer.data(), n))) DrawTestPolyline(line);
}

}  // namespace vurk
