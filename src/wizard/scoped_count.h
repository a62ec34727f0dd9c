// A count held one higher for as long as an object lives: how many handlers, or changes of the
// view, are under way, so that whatever arrives in the meantime can tell.
#pragma once

namespace vtr {

class ScopedCount {
 public:
  explicit ScopedCount(int& count) : count_(++count) {}
  ~ScopedCount() { --count_; }
  ScopedCount(const ScopedCount&) = delete;
  ScopedCount& operator=(const ScopedCount&) = delete;

 private:
  int& count_;
};

}  // namespace vtr
