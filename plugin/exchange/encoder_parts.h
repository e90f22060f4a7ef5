// What the per-class encoders share: the naming rule, the line builder, number conversions,
// and the encoders themselves (one per class, each ending in appendEntry).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "arx/gept.h"
#include "exchange/entity_encoder.h"

class AcDbPoint;
class AcDbText;
class AcDbMText;
class AcDbAttribute;
class AcDbAttributeDefinition;
class AcDbRasterImage;
class AcDbEllipse;
class AcDbLine;
class AcDbCircle;
class AcDbArc;
class AcDbSpline;
class AcDbPolyline;
class AcDb2dPolyline;
class AcDb3dPolyline;
class AcDbMline;
class AcDbSolid;
class AcDbHatch;

namespace vurk::encoding {

// The single-precision pi and 2 pi the angle conversions use.
inline constexpr double kPiF = 3.1415927410125732;

// Integer part of a drawing value; 0 for a value that is not finite, clamped to the i32 range.
std::int32_t Trunc32(double v);

// The common naming rule: a linked entity sends the link's name and comment.
template <class Record>
void NameFromLink(Record& record, const EntityLink& link) {
  if (link.mapObjectId != 0) {
    record.name = RecordName(link.name);
    record.text = RecordText(link.comment);
  }
}

// Appends the record as the session's entry (cross-section conversion included); false when
// the stream refused it.
bool Append(EncodeSession& s, MapRecord record, EntityLink& link);

// The generic builder of LineRecords from a point list: nothing (false) when every point lies
// at the origin; at most 1,000,000 points; altitudes above 65536 become 0; colour, opacity and
// line style from the session and the link.
std::optional<LineRecord> BuildPointLine(EncodeSession& s, const EntityLink& link, const std::vector<AcGePoint3d>& points,
                                         const std::vector<double>& bulges, SourceKind kind, std::uint8_t closed);
bool AppendPointLine(EncodeSession& s, EntityLink& link, const std::vector<AcGePoint3d>& points,
                     const std::vector<double>& bulges, SourceKind kind, std::uint8_t closed);
MapVertex VertexOf(const AcGePoint3d& p, double bulge = 0);
void Skip(EncodeSession& s, std::string reason);

bool EncodePoint(AcDbPoint& e, EncodeSession& s, EntityLink& link);
bool EncodePointAt(const AcGePoint3d& p, EncodeSession& s, EntityLink& link);
bool EncodeText(AcDbText& e, EncodeSession& s, EntityLink& link);
bool EncodeMText(AcDbMText& e, EncodeSession& s, EntityLink& link);
bool EncodeAttribute(AcDbAttribute& e, EncodeSession& s, EntityLink& link);
bool EncodeAttributeDefinition(AcDbAttributeDefinition& e, EncodeSession& s, EntityLink& link);
bool EncodeRasterImage(AcDbRasterImage& e, EncodeSession& s, EntityLink& link);
bool EncodeEllipse(AcDbEllipse& e, EncodeSession& s, EntityLink& link);
bool EncodeLine(AcDbLine& e, EncodeSession& s, EntityLink& link);
bool EncodeCircle(AcDbCircle& e, EncodeSession& s, EntityLink& link);
bool EncodeArc(AcDbArc& e, EncodeSession& s, EntityLink& link);
bool EncodeSpline(AcDbSpline& e, EncodeSession& s, EntityLink& link);
bool EncodePolyline(AcDbPolyline& e, EncodeSession& s, EntityLink& link);
bool Encode2dPolyline(AcDb2dPolyline& e, EncodeSession& s, EntityLink& link);
bool Encode3dPolyline(AcDb3dPolyline& e, EncodeSession& s, EntityLink& link);
bool EncodeMline(AcDbMline& e, EncodeSession& s, EntityLink& link);
bool EncodeSolid(AcDbSolid& e, EncodeSession& s, EntityLink& link);
bool EncodeHatch(AcDbHatch& e, EncodeSession& s, EntityLink& link);
bool EncodeGroup(AcDbEntity& e, EncodeSession& s, EntityLink& link, bool insideGroup);

// The vertex list of a lightweight polyline by segment type (points and bulges).
void PolylineVertices(const AcDbPolyline& p, std::vector<AcGePoint3d>& points, std::vector<double>& bulges);

}  // namespace vurk::encoding
