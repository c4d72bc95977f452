#include "interpreter/stack_guard.hpp"

#include "support/big_stack.hpp"

namespace ostrel {
namespace {

// Room kept free below the limit for the work done between two checks (a builtin, a library
// call, printing).
constexpr uintptr_t kReserveBytes = uintptr_t{1} << 20;

}  // namespace

StackGuard::StackGuard() : limit_(stack_limit(kReserveBytes)) {}

}  // namespace ostrel
