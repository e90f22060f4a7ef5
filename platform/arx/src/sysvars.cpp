#include "arx/sysvars.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "win32/case_fold.h"

namespace arx {

namespace {

bool isSupportedType(int type) {
  return type == RTSHORT || type == RTLONG || type == RTREAL || type == RTSTR || type == RTPOINT ||
         type == RT3DPOINT;
}

bool isIntegerType(int type) { return type == RTSHORT || type == RTLONG; }

}  // namespace

SysVarValue SysVarValue::shortValue(short v) {
  SysVarValue s;
  s.type = RTSHORT;
  s.integer = v;
  return s;
}

SysVarValue SysVarValue::longValue(std::int32_t v) {
  SysVarValue s;
  s.type = RTLONG;
  s.integer = v;
  return s;
}

SysVarValue SysVarValue::realValue(double v) {
  SysVarValue s;
  s.type = RTREAL;
  s.real = v;
  return s;
}

SysVarValue SysVarValue::stringValue(std::u16string v) {
  SysVarValue s;
  s.type = RTSTR;
  s.text = std::move(v);
  return s;
}

SysVarValue SysVarValue::point2d(double x, double y) {
  SysVarValue s;
  s.type = RTPOINT;
  s.point = {x, y, 0.0};
  return s;
}

SysVarValue SysVarValue::point3d(double x, double y, double z) {
  SysVarValue s;
  s.type = RT3DPOINT;
  s.point = {x, y, z};
  return s;
}

bool SysVarValue::operator==(const SysVarValue& o) const {
  if (type != o.type) return false;
  switch (type) {
    case RTSHORT:
    case RTLONG: return integer == o.integer;
    case RTREAL: return real == o.real;
    case RTSTR: return text == o.text;
    case RTPOINT: return point[0] == o.point[0] && point[1] == o.point[1];
    case RT3DPOINT: return point == o.point;
    default: return true;
  }
}

std::optional<SysVarValue> sysVarValueOf(const resbuf& rb) {
  switch (rb.restype) {
    case RTSHORT: return SysVarValue::shortValue(rb.resval.rint);
    case RTLONG: return SysVarValue::longValue(rb.resval.rlong);
    case RTREAL: return SysVarValue::realValue(rb.resval.rreal);
    case RTPOINT: return SysVarValue::point2d(rb.resval.rpoint[0], rb.resval.rpoint[1]);
    case RT3DPOINT: return SysVarValue::point3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
    case RTSTR:
      if (!rb.resval.rstring) return std::nullopt;
      return SysVarValue::stringValue(rb.resval.rstring);
    default: return std::nullopt;
  }
}

const SysVarTable::Var* SysVarTable::find(const std::u16string& name) const {
  auto it = vars_.find(win32::upcaseName(name));
  return it == vars_.end() ? nullptr : &it->second;
}

SysVarTable::Var* SysVarTable::find(const std::u16string& name) {
  auto it = vars_.find(win32::upcaseName(name));
  return it == vars_.end() ? nullptr : &it->second;
}

bool SysVarTable::acceptable(const Var& var, const SysVarValue& v) const {
  if (v.type != var.value.type) return false;
  if (v.type == RTSHORT && (v.integer < std::numeric_limits<short>::min() || v.integer > std::numeric_limits<short>::max())) {
    return false;
  }
  if (var.range && isIntegerType(v.type) && (v.integer < var.range->min || v.integer > var.range->max)) return false;
  return true;
}

bool SysVarTable::define(const std::u16string& name, SysVarValue initial, bool readOnly,
                         std::optional<SysVarRange> range) {
  if (name.empty() || !isSupportedType(initial.type)) return false;
  Var var;
  var.name = name;
  var.value = std::move(initial);
  var.readOnly = readOnly;
  var.range = isIntegerType(var.value.type) ? range : std::nullopt;
  if (!acceptable(var, var.value)) return false;
  vars_[win32::upcaseName(name)] = std::move(var);
  return true;
}

bool SysVarTable::defineComputed(const std::u16string& name, int type, Provider provider) {
  if (name.empty() || !isSupportedType(type) || !provider) return false;
  Var var;
  var.name = name;
  var.value.type = type;
  var.readOnly = true;
  var.provider = std::move(provider);
  vars_[win32::upcaseName(name)] = std::move(var);
  return true;
}

bool SysVarTable::has(const std::u16string& name) const { return find(name) != nullptr; }

bool SysVarTable::isReadOnly(const std::u16string& name) const {
  const Var* v = find(name);
  return v && v->readOnly;
}

int SysVarTable::typeOf(const std::u16string& name) const {
  const Var* v = find(name);
  return v ? v->value.type : RTNONE;
}

std::optional<SysVarValue> SysVarTable::value(const std::u16string& name) const {
  const Var* v = find(name);
  if (!v) return std::nullopt;
  if (v->provider) {
    SysVarValue computed = v->provider();
    if (computed.type != v->value.type) return std::nullopt;
    return computed;
  }
  return v->value;
}

bool SysVarTable::setValue(const std::u16string& name, const SysVarValue& value) {
  Var* v = find(name);
  if (!v || v->provider || !acceptable(*v, value)) return false;
  v->value = value;
  return true;
}

int SysVarTable::get(const ACHAR* name, resbuf* result) const {
  if (!name || !result) return RTERROR;
  const std::optional<SysVarValue> v = value(name);
  if (!v) return RTERROR;
  result->rbnext = nullptr;
  result->restype = static_cast<short>(v->type);
  switch (v->type) {
    case RTSHORT: result->resval.rint = static_cast<short>(v->integer); break;
    case RTLONG: result->resval.rlong = v->integer; break;
    case RTREAL: result->resval.rreal = v->real; break;
    case RTPOINT:
    case RT3DPOINT:
      for (int i = 0; i < 3; ++i) result->resval.rpoint[i] = v->point[static_cast<std::size_t>(i)];
      break;
    case RTSTR: {
      const std::size_t bytes = (v->text.size() + 1) * sizeof(ACHAR);
      auto* s = static_cast<ACHAR*>(std::malloc(bytes));
      if (!s) return RTERROR;
      std::memcpy(s, v->text.c_str(), bytes);
      result->resval.rstring = s;
      break;
    }
    default: return RTERROR;
  }
  return RTNORM;
}

int SysVarTable::set(const ACHAR* name, const resbuf* value) {
  if (!name || !value) return RTERROR;
  Var* v = find(name);
  if (!v || v->readOnly) return RTERROR;
  const std::optional<SysVarValue> nv = sysVarValueOf(*value);
  if (!nv || !acceptable(*v, *nv)) return RTERROR;
  v->value = *nv;
  return RTNORM;
}

std::vector<std::u16string> SysVarTable::names() const {
  std::vector<std::u16string> out;
  for (const auto& kv : vars_) out.push_back(kv.first);
  return out;
}

void SysVarTable::defineStandardVariables() {
  define(u"RTDISPLAY", SysVarValue::shortValue(1), false, SysVarRange{0, 1});
  define(u"ZOOMFACTOR", SysVarValue::shortValue(60), false, SysVarRange{3, 100});
  define(u"DBLCLKEDIT", SysVarValue::shortValue(1), false, SysVarRange{0, 1});
  define(u"MEASUREMENT", SysVarValue::shortValue(1), false, SysVarRange{0, 1});
  // The support search path, each folder ending in a backslash and followed by ";".
  define(u"ACADPREFIX", SysVarValue::stringValue(u"C:\\Program Files\\Autodesk\\AutoCAD 2021\\support\\;"), true);
  define(u"IMAGEFRAME", SysVarValue::shortValue(1), false, SysVarRange{0, 2});
  define(u"PICKFIRST", SysVarValue::shortValue(1), false, SysVarRange{0, 1});
  define(u"CMDNAMES", SysVarValue::stringValue(u""), true);
}

}  // namespace arx
