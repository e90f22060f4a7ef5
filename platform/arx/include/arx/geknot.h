// AcGeKnotVector: the non-decreasing parameter values of a NURBS curve.
//
// Models: an array of doubles with a tolerance under which two knots count as equal, and the
// library-wide default AcGeKnotVector::globalKnotTolerance (1e-9).
// Limitations: no knot insertion or multiplicity editing.
#pragma once

#include "arx/gearrays.h"

class AcGeKnotVector {
 public:
  static constexpr double globalKnotTolerance = 1e-9;

  AcGeKnotVector() = default;
  AcGeKnotVector(int size, const double source[], double tolerance = globalKnotTolerance);
  explicit AcGeKnotVector(const AcGeDoubleArray& source, double tolerance = globalKnotTolerance);

  int length() const { return knots_.length(); }
  int logicalLength() const { return knots_.length(); }
  bool isEmpty() const { return knots_.isEmpty(); }
  double operator[](int i) const { return knots_[i]; }
  double& operator[](int i) { return knots_[i]; }
  double startParam() const { return knots_.isEmpty() ? 0.0 : knots_.first(); }
  double endParam() const { return knots_.isEmpty() ? 0.0 : knots_.last(); }
  double tolerance() const { return tolerance_; }
  AcGeKnotVector& setTolerance(double t) { tolerance_ = t; return *this; }
  int append(double knot) { return knots_.append(knot); }
  AcGeKnotVector& setLogicalLength(int n) { knots_.setLogicalLength(n); return *this; }
  // True when every knot is at least the one before it (within the tolerance).
  bool isNonDecreasing() const;
  // Number of knots equal to value within the tolerance.
  int multiplicityAt(double value) const;
  const AcGeDoubleArray& asArray() const { return knots_; }
  void getDistinctKnots(AcGeDoubleArray& knots) const;

 private:
  AcGeDoubleArray knots_;
  double tolerance_ = globalKnotTolerance;
};
