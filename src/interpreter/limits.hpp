#pragma once
// Where programs meet the machine's limits: memory for one result and nesting of calls. Beyond
// them a program ends with a runtime error instead of an abort or a crash.
#include <cstddef>
#include <new>
#include <stdexcept>

#include "support/result.hpp"

namespace ostrel {

inline constexpr const char* kOutOfMemory = "out of memory";
inline constexpr const char* kTooDeep = "maximum recursion depth exceeded";

// Nested user-function calls allowed at once.
inline constexpr size_t kMaxCallDepth = 100000;

// Whether `count` items of `item_bytes` each take at most half the memory that is free now;
// larger results are refused before anything is allocated, since the system would grant the
// allocation and then kill the process while filling it or a copy of it.
bool fits_in_memory(size_t count, size_t item_bytes);

// Runs `run`, which yields a Result; running out of memory on the way (the one exception this
// code lets happen) becomes the error "out of memory".
template <class Run>
auto reporting_memory_errors(Run run) -> decltype(run()) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    return Error{kOutOfMemory};
  } catch (const std::length_error&) {
    return Error{kOutOfMemory};
  }
}

}  // namespace ostrel
