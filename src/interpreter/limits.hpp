#pragma once
// Where programs meet the machine's limits: memory for one result and nesting of calls. Beyond
// them a program ends with a runtime error instead of an abort or a crash.
#include <cstddef>
#include <string>

#include "interpreter/value.hpp"
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

// The display form of a program's result, or "out of memory" when that text would not fit: for
// callers outside the evaluator, which reports memory errors by itself.
Result<std::string> display_result(const Value& value);

}  // namespace ostrel
