// AutoCAD's system variables as acedGetVar / acedSetVar see them.
//
// Models: a table of named variables (names case-insensitive), each with its result-buffer
// type (RTSHORT, RTLONG, RTREAL, RTSTR, RTPOINT, RT3DPOINT), a read-only flag, an optional
// inclusive range for integer variables, and either a stored value or a provider that
// computes it when read (the view variables are read-only values computed from the view).
// Through acedGetVar / acedSetVar (arx/acedads.h):
//   - reading an unknown name, or into a null resbuf, is RTERROR;
//   - reading a string allocates resval.rstring with malloc; the caller frees it (acutRelRb
//     frees it too);
//   - setting an unknown or read-only variable, with a type other than the variable's own, or
//     an integer outside the variable's range, is RTERROR and changes nothing.
// The session (desk, tests, the drawing stand-ins) reads and writes every variable directly
// with value() / setValue(), which bypass the read-only flag but still check type and range.
// Limitations: no per-document variables (one table per AutoCAD application), no registry or
// drawing persistence, no change notification (sysVarWillChange/sysVarChanged).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "arx/adsdef.h"

namespace arx {

struct SysVarValue {
  int type = RTNONE;  // RTSHORT, RTLONG, RTREAL, RTSTR, RTPOINT, RT3DPOINT
  std::int32_t integer = 0;                 // RTSHORT, RTLONG
  double real = 0.0;                        // RTREAL
  std::array<double, 3> point{0, 0, 0};     // RTPOINT (z stays 0), RT3DPOINT
  std::u16string text;                      // RTSTR

  static SysVarValue shortValue(short v);
  static SysVarValue longValue(std::int32_t v);
  static SysVarValue realValue(double v);
  static SysVarValue stringValue(std::u16string v);
  static SysVarValue point2d(double x, double y);
  static SysVarValue point3d(double x, double y, double z);

  bool operator==(const SysVarValue& o) const;
};

struct SysVarRange {
  std::int32_t min;
  std::int32_t max;
};

class SysVarTable {
 public:
  using Provider = std::function<SysVarValue()>;

  // Defines (or redefines) a variable. A range applies to RTSHORT / RTLONG variables only.
  // Returns false for an empty name, an unsupported type, or an initial value outside the range.
  bool define(const std::u16string& name, SysVarValue initial, bool readOnly = false,
              std::optional<SysVarRange> range = std::nullopt);
  // Defines a read-only variable whose value is computed by provider on every read; the value
  // must have the declared type, else the read fails with RTERROR.
  bool defineComputed(const std::u16string& name, int type, Provider provider);

  bool has(const std::u16string& name) const;
  bool isReadOnly(const std::u16string& name) const;
  // The variable's resbuf type, or RTNONE when it does not exist.
  int typeOf(const std::u16string& name) const;
  // Session access: the current value, and a write that bypasses the read-only flag (false
  // for an unknown or computed variable, a wrong type or an out-of-range value).
  std::optional<SysVarValue> value(const std::u16string& name) const;
  bool setValue(const std::u16string& name, const SysVarValue& v);

  // acedGetVar / acedSetVar semantics (see above); RTNORM or RTERROR.
  int get(const ACHAR* name, resbuf* result) const;
  int set(const ACHAR* name, const resbuf* value);

  // All variable names in upper case, sorted.
  std::vector<std::u16string> names() const;

  // The variables every AutoCAD application starts with (RTDISPLAY, ZOOMFACTOR, DBLCLKEDIT,
  // MEASUREMENT, ACADPREFIX, IMAGEFRAME, PICKFIRST, CMDNAMES).
  void defineStandardVariables();

 private:
  struct Var {
    std::u16string name;  // as defined
    SysVarValue value;
    bool readOnly = false;
    std::optional<SysVarRange> range;
    Provider provider;
  };
  const Var* find(const std::u16string& name) const;
  Var* find(const std::u16string& name);
  bool acceptable(const Var& var, const SysVarValue& v) const;
  std::map<std::u16string, Var> vars_;  // keyed by upper-case name
};

// A resbuf's value as a SysVarValue; nullopt for a type that no variable can hold.
std::optional<SysVarValue> sysVarValueOf(const resbuf& rb);

}  // namespace arx
