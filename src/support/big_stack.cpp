#include "support/big_stack.hpp"

#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "support/address_sanitizer.hpp"
#ifdef OSTREL_ADDRESS_SANITIZER
#include <sanitizer/common_interface_defs.h>
#endif

namespace ostrel {
namespace {

// Reserved address space, largest first; pages are used lazily. The small ones serve under a
// tight `ulimit -v`, where they still beat a main-thread stack that `ulimit -s` may have made tiny.
constexpr size_t kStackSizes[] = {size_t{1} << 30, size_t{256} << 20, size_t{64} << 20, size_t{16} << 20,
                                  size_t{4} << 20, size_t{1} << 20};

// Assumed when the system cannot tell the calling thread's stack.
constexpr uintptr_t kAssumedStackBytes = uintptr_t{8} << 20;

uintptr_t frame_address() { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }

// Address space that may still be mapped under `ulimit -v`; SIZE_MAX when it is not limited.
size_t free_address_space() {
  rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
  size_t used_pages = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "re")) {
    if (std::fscanf(statm, "%zu", &used_pages) != 1) used_pages = 0;
    std::fclose(statm);
  }
  size_t used = used_pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return limit.rlim_cur > used ? static_cast<size_t>(limit.rlim_cur) - used : 0;
}

// The stack the task runs on, switched to on the calling thread itself: a thread of its own would
// cost a second malloc arena and a hand-off through the scheduler at start and at exit.
struct MappedStack {
  uintptr_t low = 0;   // lowest usable address, just above the guard page
  uintptr_t high = 0;  // one past the highest
  const std::function<int()>* task = nullptr;
  int status = 0;
  bool ran = false;
  ucontext_t caller{};
  void* saved = nullptr;  // the address sanitizer's record of the caller's stack
  // The caller's stack as the address sanitizer knows it, for switching back.
  const void* caller_bottom = nullptr;
  size_t caller_size = 0;
};

// The stack that run_on_big_stack has switched this thread to, if any.
thread_local MappedStack* current = nullptr;

// Tells the address sanitizer about each switch, so that it checks the right stack.
void begin_switch(void** saved, const void* bottom, size_t size) {
#ifdef OSTREL_ADDRESS_SANITIZER
  __sanitizer_start_switch_fiber(saved, bottom, size);
#else
  (void)saved, (void)bottom, (void)size;
#endif
}

void end_switch(void* saved, const void** old_bottom, size_t* old_size) {
#ifdef OSTREL_ADDRESS_SANITIZER
  __sanitizer_finish_switch_fiber(saved, old_bottom, old_size);
#else
  (void)saved, (void)old_bottom, (void)old_size;
#endif
}

// Entered on the mapped stack; returning resumes the caller.
void run_mapped() {
  MappedStack& stack = *current;
  end_switch(nullptr, &stack.caller_bottom, &stack.caller_size);
  stack.status = (*stack.task)();
  begin_switch(nullptr, stack.caller_bottom, stack.caller_size);
}

// Switches to `stack` and runs its task there; returns when the task has ended.
void run_switched(MappedStack& stack) {
  ucontext_t callee;
  if (getcontext(&callee) != 0) return;
  callee.uc_stack.ss_sp = reinterpret_cast<void*>(stack.low);
  callee.uc_stack.ss_size = stack.high - stack.low;
  callee.uc_link = &stack.caller;
  makecontext(&callee, run_mapped, 0);
  // The caller's context is resumed twice from here: once now, once when the task has ended.
  // (Not swapcontext: the address sanitizer warns about it on every run.)
  volatile bool switched = false;
  getcontext(&stack.caller);
  if (!switched) {
    switched = true;
    begin_switch(&stack.saved, reinterpret_cast<void*>(stack.low), stack.high - stack.low);
    setcontext(&callee);
    return;  // setcontext failed
  }
  end_switch(stack.saved, nullptr, nullptr);
  stack.ran = true;
}

// The task's result, or nothing when a stack of that size could not be mapped.
std::optional<int> run_on_mapped_stack(const std::function<int()>& task, size_t stack_bytes) {
  size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t mapped_bytes = stack_bytes + page;
  void* base = mmap(nullptr, mapped_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK,
                    -1, 0);
  if (base == MAP_FAILED) return std::nullopt;
  MappedStack stack;
  stack.low = reinterpret_cast<uintptr_t>(base) + page;
  stack.high = stack.low + stack_bytes;
  stack.task = &task;
  // The lowest page stays out of use, so that running off the end faults at once.
  if (mprotect(base, page, PROT_NONE) == 0) {
    MappedStack* outer = current;
    current = &stack;
    run_switched(stack);
    current = outer;
  }
  munmap(base, mapped_bytes);
  if (!stack.ran) return std::nullopt;
  return stack.status;
}

// The lowest address the stack of the calling thread may reach, as the system reports it.
uintptr_t reported_low_end(uintptr_t here) {
  void* low = nullptr;
  size_t size = 0;
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getstack(&attributes, &low, &size);
    pthread_attr_destroy(&attributes);
  }
  auto bottom = reinterpret_cast<uintptr_t>(low);
  if (bottom == 0 || here <= bottom) bottom = here > kAssumedStackBytes ? here - kAssumedStackBytes : 0;
  return bottom;
}

// The lowest address the stack of the calling thread may reach.
uintptr_t low_end(uintptr_t here) {
  if (current && here > current->low && here < current->high) return current->low;
  uintptr_t bottom = reported_low_end(here);
  // The main thread's stack grows on demand, and the reported size is only `ulimit -s` (huge when
  // unlimited): a limit on the address space stops the growth sooner. Count on half of what is
  // left, as for a mapped stack.
  size_t free = free_address_space();
  if (free != SIZE_MAX && here - bottom > free / 2) bottom = here - free / 2;
  return bottom;
}

}  // namespace

int run_on_big_stack(const std::function<int()>& task) {
  // A stack may take at most half of what is left, so that values and trees still fit beside it.
  size_t largest = free_address_space() / 2;
  for (size_t stack_bytes : kStackSizes) {
    if (stack_bytes > largest) continue;
    if (std::optional<int> status = run_on_mapped_stack(task, stack_bytes)) return *status;
  }
  return task();
}

uintptr_t stack_limit(size_t reserve) {
  uintptr_t here = frame_address();
  uintptr_t bottom = low_end(here);
  uintptr_t room = here > bottom ? here - bottom : 0;
  return bottom + std::min<uintptr_t>(reserve, room / 2);
}

}  // namespace ostrel
