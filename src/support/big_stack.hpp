#pragma once
// Parsing, printing the tree and evaluation recurse once per nesting level of the program. They
// run on a large stack of their own, and their depth caps are derived from the stack actually
// obtained, so that deep nesting ends in an error instead of a crash whatever the limits.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace ostrel {

// Runs `task` on the calling thread, switched to the largest stack that can be mapped, from 1 GiB
// down to 256 KiB and at most half the address space left under `ulimit -v`; on the thread's own
// stack when none can be. Returns the task's result.
int run_on_big_stack(const std::function<int()>& task);

// Where a recursion on the calling thread should stop: `reserve` bytes above the lowest address its
// stack may reach, kept for the work done past the last check. On a stack with less than twice
// that left, half of what is left, so that a small stack still runs a small program.
std::uintptr_t stack_limit(std::size_t reserve);

}  // namespace ostrel
