// Points, vectors and matrices of the geometry library.
#include <cmath>

#include "arx/gemat.h"
#include "arx/gept.h"
#include "arx/gevec.h"

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

double normalizeAngle(double a) {
  double r = std::fmod(a, kTwoPi);
  if (r < 0) r += kTwoPi;
  if (r >= kTwoPi) r = 0.0;
  return r;
}

}  // namespace

// ------------------------------------------------------------------------------- constants

const AcGeVector2d AcGeVector2d::kIdentity{1.0, 1.0};
const AcGeVector2d AcGeVector2d::kXAxis{1.0, 0.0};
const AcGeVector2d AcGeVector2d::kYAxis{0.0, 1.0};
const AcGeVector3d AcGeVector3d::kIdentity{1.0, 1.0, 1.0};
const AcGeVector3d AcGeVector3d::kXAxis{1.0, 0.0, 0.0};
const AcGeVector3d AcGeVector3d::kYAxis{0.0, 1.0, 0.0};
const AcGeVector3d AcGeVector3d::kZAxis{0.0, 0.0, 1.0};
const AcGePoint2d AcGePoint2d::kOrigin{0.0, 0.0};
const AcGePoint3d AcGePoint3d::kOrigin{0.0, 0.0, 0.0};
const AcGeScale3d AcGeScale3d::kIdentity{1.0, 1.0, 1.0};
const AcGeMatrix2d AcGeMatrix2d::kIdentity{};
const AcGeMatrix3d AcGeMatrix3d::kIdentity{};

// --------------------------------------------------------------------------------- vectors

double AcGeVector2d::length() const { return std::hypot(x, y); }

double AcGeVector2d::angle() const { return normalizeAngle(std::atan2(y, x)); }

double AcGeVector2d::angleTo(const AcGeVector2d& v) const {
  return std::fabs(std::atan2(x * v.y - y * v.x, dotProduct(v)));
}

AcGeVector2d AcGeVector2d::normal(const AcGeTol& tol) const {
  AcGeVector2d r = *this;
  return r.normalize(tol);
}

AcGeVector2d& AcGeVector2d::normalize(const AcGeTol& tol) {
  double len = length();
  if (len > tol.equalVector()) {
    x /= len;
    y /= len;
  }
  return *this;
}

AcGeVector2d& AcGeVector2d::rotateBy(double a) {
  double c = std::cos(a), s = std::sin(a);
  double nx = x * c - y * s;
  y = x * s + y * c;
  x = nx;
  return *this;
}

AcGeVector2d& AcGeVector2d::transformBy(const AcGeMatrix2d& m) {
  double nx = m.entry[0][0] * x + m.entry[0][1] * y;
  y = m.entry[1][0] * x + m.entry[1][1] * y;
  x = nx;
  return *this;
}

bool AcGeVector2d::isZeroLength(const AcGeTol& tol) const { return length() <= tol.equalVector(); }
bool AcGeVector2d::isUnitLength(const AcGeTol& tol) const { return std::fabs(length() - 1.0) <= tol.equalVector(); }

bool AcGeVector2d::isParallelTo(const AcGeVector2d& v, const AcGeTol& tol) const {
  if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
  AcGeVector2d a = normal(tol), b = v.normal(tol);
  return std::fabs(a.x * b.y - a.y * b.x) <= tol.equalVector();
}

bool AcGeVector2d::isCodirectionalTo(const AcGeVector2d& v, const AcGeTol& tol) const {
  if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
  return normal(tol).isEqualTo(v.normal(tol), tol);
}

bool AcGeVector2d::isEqualTo(const AcGeVector2d& v, const AcGeTol& tol) const {
  return (*this - v).length() <= tol.equalVector();
}

double AcGeVector3d::length() const { return std::sqrt(x * x + y * y + z * z); }

double AcGeVector3d::angleTo(const AcGeVector3d& v) const {
  return std::atan2(crossProduct(v).length(), dotProduct(v));
}

double AcGeVector3d::angleTo(const AcGeVector3d& v, const AcGeVector3d& reference) const {
  double a = angleTo(v);
  if (crossProduct(v).dotProduct(reference) < 0) a = kTwoPi - a;
  return normalizeAngle(a);
}

AcGeVector3d AcGeVector3d::normal(const AcGeTol& tol) const {
  AcGeVector3d r = *this;
  return r.normalize(tol);
}

AcGeVector3d& AcGeVector3d::normalize(const AcGeTol& tol) {
  double len = length();
  if (len > tol.equalVector()) {
    x /= len;
    y /= len;
    z /= len;
  }
  return *this;
}

AcGeVector3d& AcGeVector3d::rotateBy(double angle, const AcGeVector3d& axis) {
  return transformBy(AcGeMatrix3d::rotation(angle, axis));
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) {
  double nx = m.entry[0][0] * x + m.entry[0][1] * y + m.entry[0][2] * z;
  double ny = m.entry[1][0] * x + m.entry[1][1] * y + m.entry[1][2] * z;
  double nz = m.entry[2][0] * x + m.entry[2][1] * y + m.entry[2][2] * z;
  x = nx;
  y = ny;
  z = nz;
  return *this;
}

AcGeVector3d AcGeVector3d::perpVector() const { return acgeOcsXAxis(*this); }

bool AcGeVector3d::isZeroLength(const AcGeTol& tol) const { return length() <= tol.equalVector(); }
bool AcGeVector3d::isUnitLength(const AcGeTol& tol) const { return std::fabs(length() - 1.0) <= tol.equalVector(); }

bool AcGeVector3d::isParallelTo(const AcGeVector3d& v, const AcGeTol& tol) const {
  if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
  return normal(tol).crossProduct(v.normal(tol)).length() <= tol.equalVector();
}

bool AcGeVector3d::isCodirectionalTo(const AcGeVector3d& v, const AcGeTol& tol) const {
  if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
  return normal(tol).isEqualTo(v.normal(tol), tol);
}

bool AcGeVector3d::isPerpendicularTo(const AcGeVector3d& v, const AcGeTol& tol) const {
  if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
  return std::fabs(normal(tol).dotProduct(v.normal(tol))) <= tol.equalVector();
}

bool AcGeVector3d::isEqualTo(const AcGeVector3d& v, const AcGeTol& tol) const {
  return (*this - v).length() <= tol.equalVector();
}

// ---------------------------------------------------------------------------------- points

double AcGePoint2d::distanceTo(const AcGePoint2d& p) const { return (*this - p).length(); }

bool AcGePoint2d::isEqualTo(const AcGePoint2d& p, const AcGeTol& tol) const {
  return distanceTo(p) <= tol.equalPoint();
}

AcGePoint2d& AcGePoint2d::rotateBy(double angle, const AcGePoint2d& center) {
  AcGeVector2d v = *this - center;
  v.rotateBy(angle);
  return *this = center + v;
}

AcGePoint2d& AcGePoint2d::scaleBy(double factor, const AcGePoint2d& center) {
  return *this = center + (*this - center) * factor;
}

AcGePoint2d& AcGePoint2d::transformBy(const AcGeMatrix2d& m) {
  double nx = m.entry[0][0] * x + m.entry[0][1] * y + m.entry[0][2];
  y = m.entry[1][0] * x + m.entry[1][1] * y + m.entry[1][2];
  x = nx;
  return *this;
}

double AcGePoint3d::distanceTo(const AcGePoint3d& p) const { return (*this - p).length(); }

bool AcGePoint3d::isEqualTo(const AcGePoint3d& p, const AcGeTol& tol) const {
  return distanceTo(p) <= tol.equalPoint();
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) {
  double nx = m.entry[0][0] * x + m.entry[0][1] * y + m.entry[0][2] * z + m.entry[0][3];
  double ny = m.entry[1][0] * x + m.entry[1][1] * y + m.entry[1][2] * z + m.entry[1][3];
  double nz = m.entry[2][0] * x + m.entry[2][1] * y + m.entry[2][2] * z + m.entry[2][3];
  x = nx;
  y = ny;
  z = nz;
  return *this;
}

AcGePoint3d& AcGePoint3d::rotateBy(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
  return transformBy(AcGeMatrix3d::rotation(angle, axis, center));
}

AcGePoint3d& AcGePoint3d::scaleBy(double factor, const AcGePoint3d& center) {
  return *this = center + (*this - center) * factor;
}

// ----------------------------------------------------------------------------------- scale

bool AcGeScale3d::isEqualTo(const AcGeScale3d& o, const AcGeTol& tol) const {
  return std::fabs(sx - o.sx) <= tol.equalVector() && std::fabs(sy - o.sy) <= tol.equalVector() &&
         std::fabs(sz - o.sz) <= tol.equalVector();
}

bool AcGeScale3d::isProportional(const AcGeTol& tol) const {
  double a = std::fabs(sx), b = std::fabs(sy), c = std::fabs(sz);
  double m = std::fmax(a, std::fmax(b, c));
  double t = tol.equalVector() * (m > 1.0 ? m : 1.0);
  return std::fabs(a - b) <= t && std::fabs(a - c) <= t;
}

// ------------------------------------------------------------------------------- matrix 2d

AcGeMatrix2d AcGeMatrix2d::translation(const AcGeVector2d& v) {
  AcGeMatrix2d m;
  m.entry[0][2] = v.x;
  m.entry[1][2] = v.y;
  return m;
}

AcGeMatrix2d AcGeMatrix2d::rotation(double angle, const AcGePoint2d& center) {
  AcGeMatrix2d m;
  double c = std::cos(angle), s = std::sin(angle);
  m.entry[0][0] = c;
  m.entry[0][1] = -s;
  m.entry[1][0] = s;
  m.entry[1][1] = c;
  m.entry[0][2] = center.x - (c * center.x - s * center.y);
  m.entry[1][2] = center.y - (s * center.x + c * center.y);
  return m;
}

AcGeMatrix2d AcGeMatrix2d::scaling(double f, const AcGePoint2d& center) {
  AcGeMatrix2d m;
  m.entry[0][0] = f;
  m.entry[1][1] = f;
  m.entry[0][2] = center.x * (1 - f);
  m.entry[1][2] = center.y * (1 - f);
  return m;
}

AcGeMatrix2d AcGeMatrix2d::mirroring(const AcGePoint2d& p, const AcGeVector2d& direction) {
  AcGeVector2d d = direction.normal();
  AcGeMatrix2d m;
  // Reflection: 2 d d^T - I.
  m.entry[0][0] = 2 * d.x * d.x - 1;
  m.entry[0][1] = 2 * d.x * d.y;
  m.entry[1][0] = 2 * d.x * d.y;
  m.entry[1][1] = 2 * d.y * d.y - 1;
  m.entry[0][2] = p.x - (m.entry[0][0] * p.x + m.entry[0][1] * p.y);
  m.entry[1][2] = p.y - (m.entry[1][0] * p.x + m.entry[1][1] * p.y);
  return m;
}

AcGeMatrix2d AcGeMatrix2d::operator*(const AcGeMatrix2d& o) const {
  AcGeMatrix2d r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0;
      for (int k = 0; k < 3; ++k) s += entry[i][k] * o.entry[k][j];
      r.entry[i][j] = s;
    }
  return r;
}

double AcGeMatrix2d::det() const { return entry[0][0] * entry[1][1] - entry[0][1] * entry[1][0]; }

AcGeMatrix2d AcGeMatrix2d::inverse() const {
  double d = det();
  if (std::fabs(d) < 1e-300) return AcGeMatrix2d{};
  AcGeMatrix2d r;
  r.entry[0][0] = entry[1][1] / d;
  r.entry[0][1] = -entry[0][1] / d;
  r.entry[1][0] = -entry[1][0] / d;
  r.entry[1][1] = entry[0][0] / d;
  r.entry[0][2] = -(r.entry[0][0] * entry[0][2] + r.entry[0][1] * entry[1][2]);
  r.entry[1][2] = -(r.entry[1][0] * entry[0][2] + r.entry[1][1] * entry[1][2]);
  return r;
}

bool AcGeMatrix2d::isSingular(const AcGeTol& tol) const { return std::fabs(det()) <= tol.equalPoint(); }

bool AcGeMatrix2d::isUniScaledOrtho(const AcGeTol& tol) const {
  AcGeVector2d c0{entry[0][0], entry[1][0]}, c1{entry[0][1], entry[1][1]};
  double l0 = c0.length(), l1 = c1.length();
  if (l0 <= tol.equalVector() || l1 <= tol.equalVector()) return false;
  double rel = tol.equalVector() * 1e3;
  return std::fabs(l0 - l1) <= rel * std::fmax(l0, l1) && std::fabs(c0.dotProduct(c1)) <= rel * l0 * l1;
}

double AcGeMatrix2d::scale() const { return std::hypot(entry[0][0], entry[1][0]); }

bool AcGeMatrix2d::isEqualTo(const AcGeMatrix2d& m, const AcGeTol& tol) const {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (std::fabs(entry[i][j] - m.entry[i][j]) > tol.equalPoint()) return false;
  return true;
}

// ------------------------------------------------------------------------------- matrix 3d

AcGeVector3d acgeOcsXAxis(const AcGeVector3d& normal) {
  AcGeVector3d n = normal.normal();
  constexpr double kLimit = 1.0 / 64.0;
  AcGeVector3d ax = (std::fabs(n.x) < kLimit && std::fabs(n.y) < kLimit) ? AcGeVector3d::kYAxis.crossProduct(n)
                                                                         : AcGeVector3d::kZAxis.crossProduct(n);
  return ax.normal();
}

AcGeMatrix3d& AcGeMatrix3d::setToIdentity() {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) entry[r][c] = r == c ? 1.0 : 0.0;
  return *this;
}

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& v) {
  AcGeMatrix3d m;
  m.entry[0][3] = v.x;
  m.entry[1][3] = v.y;
  m.entry[2][3] = v.z;
  return m;
}

AcGeMatrix3d AcGeMatrix3d::rotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
  AcGeVector3d u = axis.normal();
  double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  AcGeMatrix3d m;
  m.entry[0][0] = t * u.x * u.x + c;
  m.entry[0][1] = t * u.x * u.y - s * u.z;
  m.entry[0][2] = t * u.x * u.z + s * u.y;
  m.entry[1][0] = t * u.x * u.y + s * u.z;
  m.entry[1][1] = t * u.y * u.y + c;
  m.entry[1][2] = t * u.y * u.z - s * u.x;
  m.entry[2][0] = t * u.x * u.z - s * u.y;
  m.entry[2][1] = t * u.y * u.z + s * u.x;
  m.entry[2][2] = t * u.z * u.z + c;
  for (int r = 0; r < 3; ++r)
    m.entry[r][3] = center[r] - (m.entry[r][0] * center.x + m.entry[r][1] * center.y + m.entry[r][2] * center.z);
  return m;
}

AcGeMatrix3d AcGeMatrix3d::scaling(double f, const AcGePoint3d& center) {
  return scaling(AcGeScale3d{f, f, f}, center);
}

AcGeMatrix3d AcGeMatrix3d::scaling(const AcGeScale3d& s, const AcGePoint3d& center) {
  AcGeMatrix3d m;
  m.entry[0][0] = s.sx;
  m.entry[1][1] = s.sy;
  m.entry[2][2] = s.sz;
  m.entry[0][3] = center.x * (1 - s.sx);
  m.entry[1][3] = center.y * (1 - s.sy);
  m.entry[2][3] = center.z * (1 - s.sz);
  return m;
}

AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePoint3d& p, const AcGeVector3d& planeNormal) {
  AcGeVector3d n = planeNormal.normal();
  AcGeMatrix3d m;
  // Householder reflection I - 2 n n^T about the plane through p.
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m.entry[r][c] = (r == c ? 1.0 : 0.0) - 2.0 * n[r] * n[c];
  for (int r = 0; r < 3; ++r)
    m.entry[r][3] = p[r] - (m.entry[r][0] * p.x + m.entry[r][1] * p.y + m.entry[r][2] * p.z);
  return m;
}

AcGeMatrix3d AcGeMatrix3d::planeToWorld(const AcGeVector3d& normal) {
  AcGeVector3d n = normal.normal();
  AcGeVector3d ax = acgeOcsXAxis(n);
  AcGeVector3d ay = n.crossProduct(ax).normal();
  AcGeMatrix3d m;
  m.setCoordSystem(AcGePoint3d::kOrigin, ax, ay, n);
  return m;
}

AcGeMatrix3d AcGeMatrix3d::worldToPlane(const AcGeVector3d& normal) {
  // The plane-to-world rotation is orthonormal: its inverse is its transpose.
  return planeToWorld(normal).transpose();
}

AcGeMatrix3d AcGeMatrix3d::alignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromX,
                                         const AcGeVector3d& fromY, const AcGeVector3d& fromZ,
                                         const AcGePoint3d& toOrigin, const AcGeVector3d& toX,
                                         const AcGeVector3d& toY, const AcGeVector3d& toZ) {
  AcGeMatrix3d from, to;
  from.setCoordSystem(fromOrigin, fromX, fromY, fromZ);
  to.setCoordSystem(toOrigin, toX, toY, toZ);
  return to * from.inverse();
}

AcGeMatrix3d& AcGeMatrix3d::setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& x,
                                           const AcGeVector3d& y, const AcGeVector3d& z) {
  setToIdentity();
  for (int r = 0; r < 3; ++r) {
    entry[r][0] = x[r];
    entry[r][1] = y[r];
    entry[r][2] = z[r];
    entry[r][3] = origin[r];
  }
  return *this;
}

void AcGeMatrix3d::getCoordSystem(AcGePoint3d& origin, AcGeVector3d& x, AcGeVector3d& y, AcGeVector3d& z) const {
  for (int r = 0; r < 3; ++r) {
    x[r] = entry[r][0];
    y[r] = entry[r][1];
    z[r] = entry[r][2];
    origin[r] = entry[r][3];
  }
}

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& o) const {
  AcGeMatrix3d r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += entry[i][k] * o.entry[k][j];
      r.entry[i][j] = s;
    }
  return r;
}

double AcGeMatrix3d::det() const {
  const double(*e)[4] = entry;
  return e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) - e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
         e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
}

AcGeMatrix3d AcGeMatrix3d::inverse() const {
  double d = det();
  if (std::fabs(d) < 1e-300) return AcGeMatrix3d{};
  const double(*e)[4] = entry;
  AcGeMatrix3d r;
  r.entry[0][0] = (e[1][1] * e[2][2] - e[1][2] * e[2][1]) / d;
  r.entry[0][1] = (e[0][2] * e[2][1] - e[0][1] * e[2][2]) / d;
  r.entry[0][2] = (e[0][1] * e[1][2] - e[0][2] * e[1][1]) / d;
  r.entry[1][0] = (e[1][2] * e[2][0] - e[1][0] * e[2][2]) / d;
  r.entry[1][1] = (e[0][0] * e[2][2] - e[0][2] * e[2][0]) / d;
  r.entry[1][2] = (e[0][2] * e[1][0] - e[0][0] * e[1][2]) / d;
  r.entry[2][0] = (e[1][0] * e[2][1] - e[1][1] * e[2][0]) / d;
  r.entry[2][1] = (e[0][1] * e[2][0] - e[0][0] * e[2][1]) / d;
  r.entry[2][2] = (e[0][0] * e[1][1] - e[0][1] * e[1][0]) / d;
  for (int i = 0; i < 3; ++i)
    r.entry[i][3] = -(r.entry[i][0] * e[0][3] + r.entry[i][1] * e[1][3] + r.entry[i][2] * e[2][3]);
  return r;
}

AcGeMatrix3d AcGeMatrix3d::transpose() const {
  // Transpose of the linear part; the translation of the result is -R^T t so that the
  // transpose of a rigid motion is its inverse.
  AcGeMatrix3d r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.entry[i][j] = entry[j][i];
  for (int i = 0; i < 3; ++i)
    r.entry[i][3] = -(r.entry[i][0] * entry[0][3] + r.entry[i][1] * entry[1][3] + r.entry[i][2] * entry[2][3]);
  return r;
}

bool AcGeMatrix3d::isSingular(const AcGeTol& tol) const { return std::fabs(det()) <= tol.equalPoint(); }

namespace {

void columns(const AcGeMatrix3d& m, AcGeVector3d c[3]) {
  for (int k = 0; k < 3; ++k) c[k] = AcGeVector3d{m.entry[0][k], m.entry[1][k], m.entry[2][k]};
}

}  // namespace

bool AcGeMatrix3d::isScaledOrtho(const AcGeTol& tol) const {
  AcGeVector3d c[3];
  columns(*this, c);
  double rel = tol.equalVector() * 1e3;
  for (int i = 0; i < 3; ++i) {
    if (c[i].length() <= tol.equalVector()) return false;
    for (int j = i + 1; j < 3; ++j)
      if (std::fabs(c[i].dotProduct(c[j])) > rel * c[i].length() * c[j].length()) return false;
  }
  return true;
}

bool AcGeMatrix3d::isUniScaledOrtho(const AcGeTol& tol) const {
  if (!isScaledOrtho(tol)) return false;
  AcGeVector3d c[3];
  columns(*this, c);
  double l0 = c[0].length(), l1 = c[1].length(), l2 = c[2].length();
  double rel = tol.equalVector() * 1e3 * std::fmax(l0, std::fmax(l1, l2));
  return std::fabs(l0 - l1) <= rel && std::fabs(l0 - l2) <= rel;
}

double AcGeMatrix3d::scale() const {
  AcGeVector3d c[3];
  columns(*this, c);
  return std::fmax(c[0].length(), std::fmax(c[1].length(), c[2].length()));
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (std::fabs(entry[i][j] - m.entry[i][j]) > tol.equalPoint()) return false;
  return true;
}
