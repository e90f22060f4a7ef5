#include "arx/acadstrc.h"

// Names of the status codes, as the platform's acadErrorStatusText reports them.
const char16_t* acadErrorStatusText(Acad::ErrorStatus es) {
  switch (es) {
    case Acad::eOk: return u"eOk";
    case Acad::eNotImplementedYet: return u"eNotImplementedYet";
    case Acad::eNotApplicable: return u"eNotApplicable";
    case Acad::eInvalidInput: return u"eInvalidInput";
    case Acad::eKeyNotFound: return u"eKeyNotFound";
    case Acad::eDuplicateKey: return u"eDuplicateKey";
    case Acad::eWasErased: return u"eWasErased";
    case Acad::eWasOpenForRead: return u"eWasOpenForRead";
    case Acad::eWasOpenForWrite: return u"eWasOpenForWrite";
    case Acad::eCannotScaleNonUniformly: return u"eCannotScaleNonUniformly";
    case Acad::eLockViolation: return u"eLockViolation";
    case Acad::eInvalidExtents: return u"eInvalidExtents";
    case Acad::eNotInDatabase: return u"eNotInDatabase";
    default: return u"eUnknownStatus";
  }
}
