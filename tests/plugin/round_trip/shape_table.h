// What a drawing entity should become after a trip to the map and back.
//
// The sender turns each entity class into a map record (a mark, a line of some source kind,
// an area, a folder of parts) and the receiver rebuilds one entity class per record. This
// table says, for every class the sender knows, which class comes back and by which defining
// values (points, radii, bulges) the two are compared, and for every entity that does not come
// back, which rule of the exchange leaves it out. It is written from the exchange's rules, not
// from the encoder's code, so that the round trip checks one against the other.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "arx/dbentity.h"
#include "arx/gept.h"

namespace roundtrip {

// The defining values of an entity in a form both sides can compute: the class the receiver
// builds and a list of numbers (coordinates, radii, bulges) compared with a relative tolerance.
// Points of an unordered pair (an arc's two ends) are listed in a fixed order.
struct Shape {
  std::string cls;
  std::vector<double> values;
  std::string layer;       // "" when the comparison does not look at the layer
  long rgb = -1;           // resolved colour 0x00BBGGRR; -1 when not compared
  std::string linetype;    // "" when not compared
  std::string what;        // a description for failure messages
};

// Why an entity does not come back, or nothing when it should.
struct Expectation {
  std::vector<Shape> shapes;  // usually one; parts of a group: one per part that comes back
  std::string leftOutBy;      // the rule that leaves the entity out (when shapes is empty)
  bool group = false;         // a block reference or region: its parts come back on the folder's layer
  std::vector<std::string> partsLeftOutBy;  // the rule for each part of a group left out
};

struct Context {
  AcDbDatabase* db = nullptr;
  // Points of a layer are sent as one point set; a layer with a single point sends nothing.
  std::size_t pointsOnLayer = 0;
};

// What the source entity should come back as.
Expectation expectedBack(const AcDbEntity& source, const Context& context);

// The shape of a received entity (class, defining values, layer, colour, linetype).
Shape shapeOf(const AcDbEntity& received);

// Equal within the relative tolerance (scale: the size of the drawing, so that values near 0
// are compared against it). Empty when equal, else what differs.
std::string compare(const Shape& expected, const Shape& received, double relTol, double scale);

// A layer name as the receiver makes it from a folder name.
std::string layerNameOf(const std::string& folderName);

}  // namespace roundtrip
