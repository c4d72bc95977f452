#pragma once
// Parsing, printing the tree and evaluation recurse once per nesting level of the program. They
// run on a thread with a large stack, and their depth caps are derived from the stack actually
// obtained, so that deep nesting ends in an error instead of a crash whatever the stack.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace ostrel {

// Runs `task` on a new thread with the largest stack it can get, from 1 GiB down to 16 MiB and at
// most half the address space left under `ulimit -v`; on the calling thread when no such thread
// can be made. Returns the task's result.
int run_on_big_stack(const std::function<int()>& task);

// The lowest address of the calling thread's stack, which grows down towards it.
std::uintptr_t stack_low_end();

// Bytes of stack left below the caller's frame.
std::size_t stack_room();

}  // namespace ostrel
