// AcArray<T>: the growable array of the ARX interfaces.
//
// Models: append/insertAt/removeAt/setAt/at/operator[]/find/contains/setLogicalLength with int
// indices, a logical length (the elements in use) and a grow length (8 unless set). Indexing
// outside [0, length) is a caller bug: it asserts in debug builds; in release builds at() of a
// bad index returns a value-initialised element held by the array instead of reading outside it.
// Limitations: the physical length is whatever std::vector reserves; no custom allocators or
// memcpy reallocation policy.
#pragma once

#include <algorithm>
#include <cassert>
#include <utility>
#include <vector>

template <typename T>
class AcArray {
 public:
  AcArray() = default;
  explicit AcArray(int physicalLength, int growLength = 8) : grow_(growLength > 0 ? growLength : 8) {
    if (physicalLength > 0) v_.reserve(static_cast<std::size_t>(physicalLength));
  }
  AcArray(std::initializer_list<T> init) : v_(init) {}

  // Sizes.
  int length() const { return static_cast<int>(v_.size()); }
  int logicalLength() const { return length(); }
  int physicalLength() const { return static_cast<int>(v_.capacity()); }
  int growLength() const { return grow_; }
  bool isEmpty() const { return v_.empty(); }
  AcArray& setGrowLength(int n) {
    assert(n > 0 && "grow length must be positive");
    if (n > 0) grow_ = n;
    return *this;
  }
  AcArray& setLogicalLength(int n) {
    assert(n >= 0 && "negative length");
    v_.resize(static_cast<std::size_t>(n < 0 ? 0 : n));
    return *this;
  }
  AcArray& setPhysicalLength(int n) {
    if (n > length()) v_.reserve(static_cast<std::size_t>(n));
    return *this;
  }

  // Element access.
  T& operator[](int i) { return at(i); }
  const T& operator[](int i) const { return at(i); }
  T& at(int i) {
    assert(isValid(i) && "AcArray index out of range");
    if (!isValid(i)) return outOfRange();
    return v_[static_cast<std::size_t>(i)];
  }
  const T& at(int i) const {
    assert(isValid(i) && "AcArray index out of range");
    if (!isValid(i)) return const_cast<AcArray*>(this)->outOfRange();
    return v_[static_cast<std::size_t>(i)];
  }
  T& first() { return at(0); }
  const T& first() const { return at(0); }
  T& last() { return at(length() - 1); }
  const T& last() const { return at(length() - 1); }
  T* asArrayPtr() { return v_.data(); }
  const T* asArrayPtr() const { return v_.data(); }
  bool isValid(int i) const { return i >= 0 && i < length(); }

  // Changes.
  int append(const T& value) {
    v_.push_back(value);
    return length() - 1;
  }
  AcArray& append(const AcArray& other) {
    v_.insert(v_.end(), other.v_.begin(), other.v_.end());
    return *this;
  }
  AcArray& insertAt(int i, const T& value) {
    assert(i >= 0 && i <= length() && "AcArray insert index out of range");
    if (i < 0 || i > length()) return *this;
    v_.insert(v_.begin() + i, value);
    return *this;
  }
  AcArray& setAt(int i, const T& value) {
    at(i) = value;
    return *this;
  }
  AcArray& removeAt(int i) {
    assert(isValid(i) && "AcArray remove index out of range");
    if (isValid(i)) v_.erase(v_.begin() + i);
    return *this;
  }
  AcArray& removeFirst() { return removeAt(0); }
  AcArray& removeLast() { return removeAt(length() - 1); }
  AcArray& removeSubArray(int start, int end) {
    assert(start >= 0 && start <= end && end < length() && "AcArray sub-array out of range");
    if (start >= 0 && start <= end && end < length()) v_.erase(v_.begin() + start, v_.begin() + end + 1);
    return *this;
  }
  AcArray& removeAll() {
    v_.clear();
    return *this;
  }
  // Removes the first element equal to value at or after start; false when there is none.
  bool remove(const T& value, int start = 0) {
    int at = -1;
    if (!find(value, at, start)) return false;
    removeAt(at);
    return true;
  }
  AcArray& reverse() {
    std::reverse(v_.begin(), v_.end());
    return *this;
  }
  AcArray& swap(int i, int j) {
    std::swap(at(i), at(j));
    return *this;
  }

  // Searching.
  bool contains(const T& value, int start = 0) const {
    int at = -1;
    return find(value, at, start);
  }
  bool find(const T& value, int& foundAt, int start = 0) const {
    for (int i = start < 0 ? 0 : start; i < length(); ++i) {
      if (v_[static_cast<std::size_t>(i)] == value) {
        foundAt = i;
        return true;
      }
    }
    return false;
  }
  // Index of the first element equal to value, or -1.
  int find(const T& value) const {
    int at = -1;
    return find(value, at, 0) ? at : -1;
  }

  bool operator==(const AcArray& o) const { return v_ == o.v_; }
  bool operator!=(const AcArray& o) const { return !(*this == o); }

  // Range-for support.
  auto begin() { return v_.begin(); }
  auto end() { return v_.end(); }
  auto begin() const { return v_.begin(); }
  auto end() const { return v_.end(); }

 private:
  T& outOfRange() {
    spare_ = T{};
    return spare_;
  }

  std::vector<T> v_;
  int grow_ = 8;
  T spare_{};
};

using AcDbVoidPtrArray = AcArray<void*>;
