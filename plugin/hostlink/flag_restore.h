// Puts a flag back to the value it had when the guard was made, on every way out of a scope.
#pragma once

namespace vurk {

class FlagRestore {
 public:
  explicit FlagRestore(bool& flag) : flag_(flag), saved_(flag) {}
  ~FlagRestore() { flag_ = saved_; }
  FlagRestore(const FlagRestore&) = delete;
  FlagRestore& operator=(const FlagRestore&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

}  // namespace vurk
