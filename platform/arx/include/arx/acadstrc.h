// Status codes of the drawing database and application framework.
//
// The numbers are the platform's own; callers print them and the plug-in compares a few of
// them literally (3 invalid input, 22 key not found, 80 was erased, 136 cannot scale
// non-uniformly), so they never change. Only the codes the stand-in returns are listed.
#pragma once

struct Acad {
  enum ErrorStatus {
    eOk = 0,
    eNotImplementedYet = 1,
    eNotApplicable = 2,
    eInvalidInput = 3,
    eOutOfMemory = 6,
    eBufferTooSmall = 7,
    eInvalidOpenState = 8,
    eHandleExists = 10,
    eNullHandle = 11,
    eUnknownHandle = 13,
    eNullObjectPointer = 15,
    eNullObjectId = 16,
    eNullEntityPointer = 20,
    eIllegalEntityType = 21,
    eKeyNotFound = 22,
    eDuplicateKey = 23,
    eInvalidIndex = 24,
    eAlreadyInDb = 26,
    eInvalidExtents = 30,
    eInvalidAdsName = 31,
    eInvalidSymbolTableName = 32,
    eInvalidKey = 33,
    eWrongObjectType = 34,
    eWrongDatabase = 35,
    eEndOfFile = 41,
    eNotOpenForRead = 44,
    eNotOpenForWrite = 45,
    eNotThatKindOfClass = 46,
    eInvalidBlockName = 47,
    eInvalidDxfCode = 50,
    eInvalidResBuf = 51,
    eBadDxfSequence = 52,
    eFileAccessErr = 72,
    eFileSystemErr = 73,
    eFileNotFound = 76,
    eWasErased = 80,
    ePermanentlyErased = 81,
    eWasOpenForRead = 82,
    eWasOpenForWrite = 83,
    eWasNotifying = 85,
    eNotAnEntity = 93,
    eDuplicateRecordName = 95,
    eWasNotOpenForWrite = 100,
    eWasNotErased = 107,
    eNoDatabase = 124,
    eIteratorDone = 129,
    eNotInBlock = 131,
    eCannotScaleNonUniformly = 136,
    eNotInDatabase = 137,
    eNotCurrentDatabase = 138,
    eCannotExplodeEntity = 159,
    eInvalidLayer = 173,
    eBadLayerName = 200,
    eBadColorIndex = 202,
    eLockViolation = 320,
    eNoDocument = 330,
    eCreateFailed = 337,
    eBadDxfFile = 368,
    eUnknownDxfFileFormat = 369,
    eLoadFailed = 503,
    eInvalidObjectId = 600,
  };
};

// The status name, e.g. u"eWasErased".
const char16_t* acadErrorStatusText(Acad::ErrorStatus es);

