#include "nurbs_eval.h"

#include <cmath>

namespace arxdetail {

namespace {

bool nonDecreasing(const std::vector<double>& k) {
  for (std::size_t i = 1; i < k.size(); ++i)
    if (!(k[i] >= k[i - 1])) return false;
  return true;
}

}  // namespace

bool nurbsPrepare(int degree, const std::vector<double>& knots, const std::vector<NurbsPoint>& cps,
                  const std::vector<double>& weights, bool periodic, NurbsCurve& out) {
  const std::size_t n = cps.size();
  const std::size_t d = degree < 1 ? 0 : static_cast<std::size_t>(degree);
  if (d < 1 || n < d + 1) return false;
  if (!weights.empty()) {
    if (weights.size() != n) return false;
    for (double w : weights)
      if (!(w > 0.0) || !std::isfinite(w)) return false;
  }
  if (!nonDecreasing(knots)) return false;
  for (double k : knots)
    if (!std::isfinite(k)) return false;
  out = NurbsCurve{};
  out.degree = degree;
  if (knots.size() == n + d + 1) {
    if (!(knots[n] > knots[d])) return false;
    out.knots = knots;
    out.cps = cps;
    out.weights = weights;
    return true;
  }
  if (!periodic || knots.size() != n + 1) return false;
  const double period = knots[n] - knots[0];
  if (!(period > 0.0)) return false;
  // Knot u_i for any integer i, continued periodically.
  auto knot = [&](long i) {
    long nn = static_cast<long>(n);
    long shift = 0;
    while (i < 0) { i += nn; --shift; }
    while (i > nn) { i -= nn; ++shift; }
    return knots[static_cast<std::size_t>(i)] + static_cast<double>(shift) * period;
  };
  const long m = static_cast<long>(n + 2 * d + 1);
  out.knots.reserve(static_cast<std::size_t>(m));
  for (long j = 0; j < m; ++j) out.knots.push_back(knot(j - static_cast<long>(d)));
  out.cps = cps;
  for (std::size_t i = 0; i < d; ++i) out.cps.push_back(cps[i % n]);
  if (!weights.empty()) {
    out.weights = weights;
    for (std::size_t i = 0; i < d; ++i) out.weights.push_back(weights[i % n]);
  }
  return true;
}

void nurbsDomain(const NurbsCurve& c, double& t0, double& t1) {
  const std::size_t d = static_cast<std::size_t>(c.degree);
  const std::size_t n = c.cps.size();
  if (c.knots.size() != n + d + 1 || n == 0) {
    t0 = t1 = 0.0;
    return;
  }
  t0 = c.knots[d];
  t1 = c.knots[n];
}

NurbsPoint nurbsEval(const NurbsCurve& c, double t) {
  const int d = c.degree;
  const int n = static_cast<int>(c.cps.size());
  if (n == 0 || static_cast<int>(c.knots.size()) != n + d + 1) return {0, 0, 0};
  double t0 = 0, t1 = 0;
  nurbsDomain(c, t0, t1);
  if (t < t0) t = t0;
  if (t > t1) t = t1;
  // Span s with knots[s] <= t < knots[s+1], d <= s <= n-1.
  int s = d;
  while (s < n - 1 && !(t < c.knots[static_cast<std::size_t>(s + 1)])) ++s;
  const bool rational = !c.weights.empty();
  // Homogeneous de Boor points.
  std::vector<std::array<double, 4>> p(static_cast<std::size_t>(d + 1));
  for (int j = 0; j <= d; ++j) {
    const auto& cp = c.cps[static_cast<std::size_t>(j + s - d)];
    double w = rational ? c.weights[static_cast<std::size_t>(j + s - d)] : 1.0;
    p[static_cast<std::size_t>(j)] = {cp[0] * w, cp[1] * w, cp[2] * w, w};
  }
  for (int r = 1; r <= d; ++r) {
    for (int j = d; j >= r; --j) {
      double left = c.knots[static_cast<std::size_t>(j + s - d)];
      double right = c.knots[static_cast<std::size_t>(j + 1 + s - r)];
      double denom = right - left;
      double a = denom > 0 ? (t - left) / denom : 0.0;
      auto& pj = p[static_cast<std::size_t>(j)];
      const auto& pm = p[static_cast<std::size_t>(j - 1)];
      for (int k = 0; k < 4; ++k) pj[static_cast<std::size_t>(k)] = (1 - a) * pm[static_cast<std::size_t>(k)] + a * pj[static_cast<std::size_t>(k)];
    }
  }
  const auto& h = p[static_cast<std::size_t>(d)];
  double w = h[3] != 0 ? h[3] : 1.0;
  return {h[0] / w, h[1] / w, h[2] / w};
}

}  // namespace arxdetail
