#pragma once
// Compiling and evaluating recurse once per nesting level of the program. This guard tells when
// the native stack of the running thread is nearly used up, so that deep nesting ends in an
// error instead of a crash whatever the frame sizes of the build.
#include <cstdint>

namespace ostrel {

class StackGuard {
 public:
  // Measures the stack of the calling thread.
  StackGuard();
  bool exhausted() const { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) < limit_; }

 private:
  uintptr_t limit_ = 0;
};

}  // namespace ostrel
