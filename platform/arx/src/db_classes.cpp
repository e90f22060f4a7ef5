// The runtime class tree of the drawing database, in one place. Names are the platform's.
#include "arx/dbdict.h"
#include "arx/dbents.h"
#include "arx/dbmline.h"
#include "arx/dbimage.h"
#include "arx/dbsort.h"
#include "arx/dbhatch.h"
#include "arx/dbblkref.h"
#include "arx/dbproxy.h"
#include "arx/dbregion.h"
#include "arx/dbmtext.h"
#include "arx/dbtext.h"
#include "arx/dbcomplex.h"
#include "arx/dbpoly.h"
#include "arx/dbelipse.h"
#include "arx/dbpl.h"
#include "arx/dbspline.h"
#include "arx/dbentity.h"
#include "arx/dbobject.h"
#include "arx/dbreactor.h"
#include "arx/dbsymtb.h"
#include "arx/dbxrecord.h"
#include "arx/dbdatabase.h"

ACRX_DEFINE_MEMBERS(AcDbObject, AcRxObject)
ACRX_DEFINE_MEMBERS(AcDbDatabase, AcRxObject)
ACRX_DEFINE_MEMBERS(AcDbDatabaseReactor, AcRxObject)
ACRX_DEFINE_MEMBERS(AcDbEntity, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbCurve, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbLine, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbCircle, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbArc, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbEllipse, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbSpline, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbPolyline, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDb2dPolyline, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDb3dPolyline, AcDbCurve)
ACRX_DEFINE_MEMBERS(AcDbVertex, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDb2dVertex, AcDbVertex)
ACRX_DEFINE_MEMBERS(AcDb3dPolylineVertex, AcDbVertex)
ACRX_DEFINE_MEMBERS(AcDbSequenceEnd, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbText, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText)
ACRX_DEFINE_MEMBERS(AcDbAttribute, AcDbText)
ACRX_DEFINE_MEMBERS(AcDbMText, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbBlockReference, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbRegion, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbProxyObject, AcDbObject)
// AcDbProxyEntity and AcDbZombieEntity define their descriptors with their code (their class
// can be reported under another name).
ACRX_DEFINE_MEMBERS(AcDbHatch, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbImage, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbRasterImage, AcDbImage)
ACRX_DEFINE_MEMBERS(AcDbRasterImageDef, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbSortentsTable, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbMline, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbPoint, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbSolid, AcDbEntity)
// A trace is not a kind of solid on the platform, though it shares the solid's data here.
ACRX_DEFINE_MEMBERS(AcDbTrace, AcDbEntity)
ACRX_DEFINE_MEMBERS(AcDbDictionary, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbXrecord, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbLinetypeTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbRegAppTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbTextStyleTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbViewTable, AcDbSymbolTable)
ACRX_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject)
ACRX_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbLinetypeTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbRegAppTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbTextStyleTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbAbstractViewTableRecord, AcDbSymbolTableRecord)
ACRX_DEFINE_MEMBERS(AcDbViewTableRecord, AcDbAbstractViewTableRecord)

// Reactor defaults do nothing.
void AcDbDatabaseReactor::objectAppended(const AcDbDatabase*, const AcDbObject*) {}
void AcDbDatabaseReactor::objectModified(const AcDbDatabase*, const AcDbObject*) {}
void AcDbDatabaseReactor::objectErased(const AcDbDatabase*, const AcDbObject*, bool) {}
void AcDbDatabaseReactor::goodbye(const AcDbDatabase*) {}

// The id mapping of deep clones.
bool AcDbIdMapping::compute(AcDbIdPair& pair) const {
  for (const auto& p : pairs_) {
    if (p.key() == pair.key()) {
      pair = p;
      return true;
    }
  }
  return false;
}

bool AcDbIdMapping::assign(const AcDbIdPair& pair) {
  for (auto& p : pairs_) {
    if (p.key() == pair.key()) {
      p = pair;
      return true;
    }
  }
  pairs_.push_back(pair);
  return true;
}
