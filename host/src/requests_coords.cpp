// Requests about coordinate systems: the selected system and the relation points from which
// the host fits a drawing's local plane.
#include <cmath>
#include <cstdio>

#include "host/byte_writer.h"
#include "host/host_app.h"
#include "host/message_layouts.h"

namespace host {

namespace L = layout;

namespace {

// The grid a drawing already uses, from one relation point: a zone number in front of the
// easting names the zone (of the width whose central meridian is nearer the point); without
// one, the selected system's grid written without its zone number, or the point's 3-degree
// zone.
GaussKruegerGrid gridOfDrawing(const RelationPair& p, const CoordinateSystem& selected) {
  const double millions = std::floor(p.drawing.east / 1'000'000.0);
  if (millions >= 1 && millions <= 120) {
    const int zone = static_cast<int>(millions);
    GaussKruegerGrid best;
    double bestDistance = INFINITY;
    for (int width : {3, 6}) {
      GaussKruegerGrid g{width, zone, true};
      if (!g.valid()) continue;
      const double d = std::fabs(g.centralMeridian() - p.geo.lon);
      if (d < bestDistance) {
        bestDistance = d;
        best = g;
      }
    }
    return best;
  }
  if (selected.grid()) {
    GaussKruegerGrid g = *selected.grid();
    g.zoneInEasting = false;
    return g;
  }
  return GaussKruegerGrid::forLongitude(3, p.geo.lon, false);
}

}  // namespace

LRESULT HostApp::onGetSysCoor(Request& req) {
  ByteWriter w(L::sys_coor::kSize);
  w.u32(L::sys_coor::kType, static_cast<std::uint32_t>(cs_.type()));
  w.raw(L::sys_coor::kIdentity, cs_.identity());
  w.text(L::sys_coor::kName, cs_.name(), L::sys_coor::kNameField);
  answer(req, PluginMessage::SysCoor, w.take(), fields::kSysCoor);
  return 0;
}

LRESULT HostApp::onSetRelatePoint(Request& req) {
  const ByteReader& p = req.payload;
  if (!p.has(0, L::relate_points::kHeadSize + L::relation_point::kSize)) {
    note(req, "no relation point in the payload");
    return kNotProcessed;
  }
  fields(req, fields::kRelatePointsHead);
  if (*p.u16(L::relate_points::kMark) != L::request_head::kMarkValue) {
    note(req, "head without mark 101");
    return kNotProcessed;
  }
  const std::uint32_t mode = *p.u32(L::relate_points::kMode);
  if (mode != L::relate_points::kModeRelationPoints && mode != L::relate_points::kModeSimplified) {
    note(req, "unknown mode " + std::to_string(mode));
    return kNotProcessed;
  }
  const std::size_t count = (p.size() - L::relate_points::kHeadSize) / L::relation_point::kSize;
  const std::size_t trailing = (p.size() - L::relate_points::kHeadSize) % L::relation_point::kSize;
  if (trailing != 0) note(req, std::to_string(trailing) + " bytes after the last whole point ignored");

  std::vector<RelationPair> pairs;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t base = L::relate_points::kHeadSize + i * L::relation_point::kSize;
    fields(req, fields::kRelationPoint, base, "point[" + std::to_string(i) + "].");
    RelationPair pair;
    pair.geo = {*p.f64(base + L::relation_point::kLongitude), *p.f64(base + L::relation_point::kLatitude)};
    pair.drawing = {*p.f64(base + L::relation_point::kX), *p.f64(base + L::relation_point::kY)};
    const bool valid = std::isfinite(pair.geo.lon) && std::isfinite(pair.geo.lat) && std::isfinite(pair.drawing.east) &&
                       std::isfinite(pair.drawing.north) && std::fabs(pair.geo.lat) <= 90.0 &&
                       std::fabs(pair.geo.lon) <= 180.0;
    if (valid) {
      pairs.push_back(pair);
    } else {
      note(req, "point " + std::to_string(i) + " is not a valid position and is skipped");
    }
  }
  if (pairs.empty()) return kNotProcessed;

  if (options_.askForPointsDuringSetRelatePoint) sendRelationPointNotice(-1);

  std::string why;
  if (mode == L::relate_points::kModeSimplified) {
    // Simplified parameters: the drawing is already in a Gauss-Krueger grid; the point only
    // tells which one.
    const GaussKruegerGrid grid = gridOfDrawing(pairs.front(), cs_);
    auto system = CoordinateSystem::gaussKrueger(grid, &why);
    if (!system) {
      note(req, why);
      return kNotProcessed;
    }
    const auto onMap = system->fromGeographic(pairs.front().geo);
    char summary[200];
    std::snprintf(summary, sizeof summary, "simplified parameters: the drawing is in %s, its point lies %.3f m from the map's",
                  grid.name().c_str(),
                  onMap ? std::hypot(onMap->east - pairs.front().drawing.east, onMap->north - pairs.front().drawing.north)
                        : -1.0);
    cs_ = std::move(*system);
    relationPoints_ = std::move(pairs);
    note(req, summary);
    event(summary);
    return 0;
  }

  // The drawing is fitted to the grid of the selected system; with a geographic system, to the
  // 3-degree grid whose central meridian is nearest to the points.
  double meanLon = 0;
  for (const RelationPair& r : pairs) meanLon += r.geo.lon;
  meanLon /= static_cast<double>(pairs.size());
  const GaussKruegerGrid base = cs_.grid() ? *cs_.grid() : GaussKruegerGrid::forLongitude(3, meanLon, false);
  const auto baseSystem = CoordinateSystem::gaussKrueger(base, &why);
  if (!baseSystem) {
    note(req, why);
    return kNotProcessed;
  }
  std::vector<PlanePoint> drawing, grid;
  for (const RelationPair& r : pairs) {
    const auto g = baseSystem->fromGeographic(r.geo);
    if (!g) {
      note(req, "a point cannot be projected into " + base.name());
      return kNotProcessed;
    }
    drawing.push_back(r.drawing);
    grid.push_back(*g);
  }
  const auto fit = fitPlane(drawing, grid, false, &why);
  if (!fit) {
    note(req, why);
    return kNotProcessed;
  }
  auto local = CoordinateSystem::localPlane(base, *fit, &why);
  if (!local) {
    note(req, why);
    return kNotProcessed;
  }
  cs_ = std::move(*local);
  relationPoints_ = std::move(pairs);
  char summary[160];
  std::snprintf(summary, sizeof summary, "%zu relation points fitted: scale %.6f, rotation %.4f deg, rms %.3f m",
                fit->pointCount, fit->scale(), fit->rotationDegrees(), fit->rmsResidual);
  note(req, summary);
  event(summary);
  return 0;
}

}  // namespace host
