#include "interpreter/stack_guard.hpp"

#include "support/big_stack.hpp"

namespace ostrel {
namespace {

// Room kept free below the limit for the work done between two checks (a builtin, a library
// call, printing).
constexpr uintptr_t kReserveBytes = uintptr_t{1} << 20;

}  // namespace

StackGuard::StackGuard() {
  uintptr_t bottom = stack_low_end();
  auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  uintptr_t reserve = kReserveBytes;
  if (here - bottom < 2 * reserve) reserve = (here - bottom) / 2;
  limit_ = bottom + reserve;
}

}  // namespace ostrel
