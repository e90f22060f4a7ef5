// Handles and object ids of the drawing database.
//
// Models: AcDbHandle, the 64-bit persistent name of an object (written as upper-case hex without
// leading zeros); AcDbObjectId, the session name of an object: null or bound to one database
// entry for the life of that database. An id keeps answering handle(), isErased() and
// database() after its object is erased. Ids compare by handle (then by database entry), so
// sorted containers of ids iterate in a repeatable order.
// Limitations: no xref id translation; an id outlives nothing: using one after its database is
// destroyed is undefined, as on the platform.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "arx/acarray.h"
#include "arx/adesk.h"
#include "win32/types.h"

class AcDbDatabase;
class AcDbStub;

class AcDbHandle {
 public:
  constexpr AcDbHandle() = default;
  constexpr explicit AcDbHandle(Adesk::UInt64 value) : value_(value) {}
  constexpr AcDbHandle(Adesk::UInt32 low, Adesk::UInt32 high)
      : value_(static_cast<Adesk::UInt64>(low) | (static_cast<Adesk::UInt64>(high) << 32)) {}
  // From hexadecimal text ("1F", "2a0"); text that is not hex (or longer than 16 digits) gives
  // the null handle.
  explicit AcDbHandle(const ACHAR* hex);

  bool isNull() const { return value_ == 0; }
  void setNull() { value_ = 0; }
  Adesk::UInt64 value() const { return value_; }
  explicit operator Adesk::UInt64() const { return value_; }
  Adesk::UInt32 low() const { return static_cast<Adesk::UInt32>(value_ & 0xFFFFFFFFu); }
  Adesk::UInt32 high() const { return static_cast<Adesk::UInt32>(value_ >> 32); }

  // Writes the hex text with its terminator; false (buffer untouched) when it does not fit.
  bool getIntoAsciiBuffer(ACHAR* buffer, std::size_t bufferLength) const;
  std::u16string ascii() const;

  AcDbHandle& operator++() { ++value_; return *this; }
  AcDbHandle operator++(int) { AcDbHandle h = *this; ++value_; return h; }
  AcDbHandle operator+(Adesk::UInt64 n) const { return AcDbHandle(value_ + n); }
  bool operator==(const AcDbHandle& o) const { return value_ == o.value_; }
  bool operator!=(const AcDbHandle& o) const { return value_ != o.value_; }
  bool operator<(const AcDbHandle& o) const { return value_ < o.value_; }
  bool operator>(const AcDbHandle& o) const { return value_ > o.value_; }
  bool operator<=(const AcDbHandle& o) const { return value_ <= o.value_; }
  bool operator>=(const AcDbHandle& o) const { return value_ >= o.value_; }

 private:
  Adesk::UInt64 value_ = 0;
};

class AcDbObjectId {
 public:
  constexpr AcDbObjectId() = default;
  static const AcDbObjectId kNull;

  bool isNull() const { return stub_ == nullptr; }
  void setNull() { stub_ = nullptr; }
  // Non-null and its database still holds an object for it (erased objects included).
  bool isValid() const;
  bool isErased() const;
  AcDbHandle handle() const;
  AcDbDatabase* database() const;
  // The id as an integer (what an ads_name carries).
  Adesk::IntDbId asOldId() const { return static_cast<Adesk::IntDbId>(reinterpret_cast<std::intptr_t>(stub_)); }

  bool operator==(const AcDbObjectId& o) const { return stub_ == o.stub_; }
  bool operator!=(const AcDbObjectId& o) const { return stub_ != o.stub_; }
  bool operator<(const AcDbObjectId& o) const;
  bool operator>(const AcDbObjectId& o) const { return o < *this; }

  // The database entry; for the stand-in's own use.
  AcDbStub* stub() const { return stub_; }
  static AcDbObjectId fromStub(AcDbStub* s) {
    AcDbObjectId id;
    id.stub_ = s;
    return id;
  }

 private:
  AcDbStub* stub_ = nullptr;
};

using AcDbObjectIdArray = AcArray<AcDbObjectId>;

template <>
struct std::hash<AcDbObjectId> {
  std::size_t operator()(const AcDbObjectId& id) const noexcept { return std::hash<const void*>{}(id.stub()); }
};
