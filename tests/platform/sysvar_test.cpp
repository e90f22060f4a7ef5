// System variables, the graphics configuration flag, redraw counting and the command line.
#include <gtest/gtest.h>

#include <cstdlib>

#include "acad_fixture.h"
#include "arx/acedads.h"
#include "arx/acgs.h"
#include "arx/acutads.h"

namespace {

class SysVars : public vurktest::AcadFixture {
 protected:
  static resbuf shortRb(short v) {
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = v;
    return rb;
  }
  static short getShort(const ACHAR* name) {
    resbuf rb{};
    EXPECT_EQ(acedGetVar(name, &rb), RTNORM) << "reading a variable that should exist";
    EXPECT_EQ(rb.restype, RTSHORT);
    return rb.resval.rint;
  }
};

TEST_F(SysVars, ZoomFactorAcceptsThreeToHundredOnly) {
  resbuf v = shortRb(100);
  ASSERT_EQ(acedSetVar(u"ZOOMFACTOR", &v), RTNORM);
  for (short bad : {0, 2, 101, -5}) {
    v = shortRb(bad);
    EXPECT_EQ(acedSetVar(u"ZOOMFACTOR", &v), RTERROR) << bad;
  }
  EXPECT_EQ(getShort(u"ZOOMFACTOR"), 100) << "a refused value changes nothing";
  v = shortRb(3);
  EXPECT_EQ(acedSetVar(u"ZOOMFACTOR", &v), RTNORM);
}

TEST_F(SysVars, SwitchesAcceptOnlyTheirValues) {
  resbuf v = shortRb(0);
  EXPECT_EQ(acedSetVar(u"RTDISPLAY", &v), RTNORM);
  EXPECT_EQ(acedSetVar(u"DBLCLKEDIT", &v), RTNORM);
  v = shortRb(2);
  EXPECT_EQ(acedSetVar(u"RTDISPLAY", &v), RTERROR);
  EXPECT_EQ(acedSetVar(u"IMAGEFRAME", &v), RTNORM) << "IMAGEFRAME has three states";
  v = shortRb(3);
  EXPECT_EQ(acedSetVar(u"IMAGEFRAME", &v), RTERROR);
  EXPECT_EQ(getShort(u"RTDISPLAY"), 0);
  EXPECT_EQ(getShort(u"IMAGEFRAME"), 2);
}

TEST_F(SysVars, AValueOfAnotherTypeIsRefused) {
  resbuf v{};
  v.restype = RTLONG;
  v.resval.rlong = 100;
  EXPECT_EQ(acedSetVar(u"ZOOMFACTOR", &v), RTERROR);
  v.restype = RTREAL;
  v.resval.rreal = 100.0;
  EXPECT_EQ(acedSetVar(u"ZOOMFACTOR", &v), RTERROR);
  EXPECT_EQ(getShort(u"ZOOMFACTOR"), 60);
}

TEST_F(SysVars, ReadOnlyVariablesRefuseAcedSetVarButTheSessionSetsThem) {
  ACHAR text[] = u"D:\\Civil 3D\\support\\;";
  resbuf v{};
  v.restype = RTSTR;
  v.resval.rstring = text;
  EXPECT_EQ(acedSetVar(u"ACADPREFIX", &v), RTERROR);
  EXPECT_EQ(acedSetVar(u"CMDNAMES", &v), RTERROR);
  EXPECT_TRUE(acad().sysVars().isReadOnly(u"acadprefix"));

  ASSERT_TRUE(acad().sysVars().setValue(u"ACADPREFIX", arx::SysVarValue::stringValue(u"D:\\C3D\\support\\;")));
  resbuf got{};
  ASSERT_EQ(acedGetVar(u"ACADPREFIX", &got), RTNORM);
  ASSERT_EQ(got.restype, RTSTR);
  EXPECT_EQ(std::u16string(got.resval.rstring), u"D:\\C3D\\support\\;");
  std::free(got.resval.rstring);
  EXPECT_FALSE(acad().sysVars().setValue(u"ACADPREFIX", arx::SysVarValue::shortValue(1))) << "type still checked";
}

TEST_F(SysVars, StringsAreReturnedInAFreshMallocBlock) {
  resbuf a{};
  resbuf b{};
  ASSERT_EQ(acedGetVar(u"ACADPREFIX", &a), RTNORM);
  ASSERT_EQ(acedGetVar(u"ACADPREFIX", &b), RTNORM);
  ASSERT_NE(a.resval.rstring, nullptr);
  EXPECT_NE(a.resval.rstring, b.resval.rstring) << "each read allocates its own copy";
  EXPECT_EQ(std::u16string(a.resval.rstring), std::u16string(b.resval.rstring));
  EXPECT_EQ(a.rbnext, nullptr);
  a.resval.rstring[0] = u'X';  // the caller owns the copy
  resbuf c{};
  ASSERT_EQ(acedGetVar(u"ACADPREFIX", &c), RTNORM);
  EXPECT_NE(c.resval.rstring[0], u'X');
  std::free(a.resval.rstring);
  std::free(b.resval.rstring);
  std::free(c.resval.rstring);
}

TEST_F(SysVars, UnknownNamesAndMissingBuffersFail) {
  resbuf rb{};
  EXPECT_EQ(acedGetVar(u"NOSUCHVAR", &rb), RTERROR);
  EXPECT_EQ(acedGetVar(u"ZOOMFACTOR", nullptr), RTERROR);
  resbuf v = shortRb(1);
  EXPECT_EQ(acedSetVar(u"NOSUCHVAR", &v), RTERROR);
  EXPECT_EQ(acedSetVar(u"ZOOMFACTOR", nullptr), RTERROR);
}

TEST_F(SysVars, ComputedVariablesFollowTheirProviderAndAreReadOnly) {
  double viewHeight = 120.5;
  ASSERT_TRUE(acad().defineComputedSysVar(u"VIEWSIZE", RTREAL, [&] { return arx::SysVarValue::realValue(viewHeight); }));
  resbuf rb{};
  ASSERT_EQ(acedGetVar(u"viewsize", &rb), RTNORM);
  EXPECT_EQ(rb.restype, RTREAL);
  EXPECT_DOUBLE_EQ(rb.resval.rreal, 120.5);
  viewHeight = 30.0;
  ASSERT_EQ(acedGetVar(u"VIEWSIZE", &rb), RTNORM);
  EXPECT_DOUBLE_EQ(rb.resval.rreal, 30.0);
  EXPECT_EQ(acedSetVar(u"VIEWSIZE", &rb), RTERROR);
  EXPECT_FALSE(acad().sysVars().setValue(u"VIEWSIZE", arx::SysVarValue::realValue(1.0)));
}

TEST_F(SysVars, AProviderThatAnswersTheWrongTypeFailsTheRead) {
  ASSERT_TRUE(acad().defineComputedSysVar(u"BROKEN", RTREAL, [] { return arx::SysVarValue::shortValue(1); }));
  resbuf rb{};
  EXPECT_EQ(acedGetVar(u"BROKEN", &rb), RTERROR);
}

TEST_F(SysVars, DefinitionsWithAnImpossibleStartValueAreRefused) {
  EXPECT_FALSE(acad().defineSysVar(u"TOOBIG", arx::SysVarValue::shortValue(7), false, arx::SysVarRange{0, 5}));
  EXPECT_FALSE(acad().defineSysVar(u"", arx::SysVarValue::shortValue(1)));
  EXPECT_FALSE(acad().sysVars().has(u"TOOBIG"));
}

// ----- graphics configuration, redraws, command line

class Display : public vurktest::AcadFixture {};

TEST_F(Display, TheConfigurationFlagTakesEffectOnlyWhenApplied) {
  AcGsConfig* cfg = acgsGetConfig();
  ASSERT_EQ(cfg, &acad().gsConfig());
  EXPECT_TRUE(cfg->adaptiveDegradation());
  cfg->setAdaptiveDegradation(false);
  EXPECT_FALSE(cfg->adaptiveDegradation());
  EXPECT_TRUE(cfg->appliedAdaptiveDegradation()) << "not applied yet";
  EXPECT_EQ(cfg->applyCount(), 0);
  cfg->apply();
  EXPECT_FALSE(cfg->appliedAdaptiveDegradation());
  EXPECT_EQ(cfg->applyCount(), 1);
}

TEST_F(Display, WholeDrawingRedrawsAndDisplayUpdatesAreCounted) {
  EXPECT_EQ(acedRedraw(nullptr, 0), RTNORM);
  EXPECT_EQ(acedRedraw(nullptr, 0), RTNORM);
  acedUpdateDisplay();
  ads_name ent = {1, 2};
  EXPECT_EQ(acedRedraw(ent, 3), RTERROR) << "single-entity redraws are not modelled";
  EXPECT_EQ(acad().redrawCount(), 2);
  EXPECT_EQ(acad().updateDisplayCount(), 1);
}

TEST_F(Display, AcutPrintfWithAnInvalidFormatWritesNothing) {
  EXPECT_EQ(acutPrintf(u"bad %n"), -1);
  EXPECT_EQ(acutPrintf(nullptr), -1);
  EXPECT_EQ(commandLine(), "");
}

}  // namespace
