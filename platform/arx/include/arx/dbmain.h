// The core of the drawing database in one include: objects, entities, the database, its
// reactors and opening functions.
//
// Models: see arx/dbobject.h, arx/dbentity.h, arx/dbdatabase.h and arx/dbreactor.h.
// Limitations: those of the included headers.
#pragma once

#include "arx/dbdatabase.h"
#include "arx/dbentity.h"
#include "arx/dbidmap.h"
#include "arx/dbobject.h"
#include "arx/dbreactor.h"
