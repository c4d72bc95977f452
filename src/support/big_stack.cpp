#include "support/big_stack.hpp"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <optional>

namespace ostrel {
namespace {

// Reserved address space, largest first; pages are used lazily.
constexpr size_t kStackSizes[] = {size_t{1} << 30, size_t{256} << 20, size_t{64} << 20, size_t{16} << 20};

// Assumed when the system cannot tell the calling thread's stack.
constexpr uintptr_t kAssumedStackBytes = uintptr_t{8} << 20;

struct Task {
  const std::function<int()>* body;
  int status;
};

void* run_task(void* raw) {
  auto* task = static_cast<Task*>(raw);
  task->status = (*task->body)();
  return nullptr;
}

// The task's result, or nothing when no thread with that stack could be made.
std::optional<int> run_on_thread(const std::function<int()>& body, size_t stack_bytes) {
  Task task{&body, 0};
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return std::nullopt;
  pthread_t thread;
  bool started = pthread_attr_setstacksize(&attributes, stack_bytes) == 0 &&
                 pthread_create(&thread, &attributes, run_task, &task) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) return std::nullopt;
  pthread_join(thread, nullptr);
  return task.status;
}

uintptr_t frame_address() { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }

// Address space that may still be mapped under `ulimit -v`; SIZE_MAX when it is not limited.
size_t free_address_space() {
  rlimit limit;
  if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
  size_t used_pages = 0;
  std::ifstream("/proc/self/statm") >> used_pages;
  size_t used = used_pages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return limit.rlim_cur > used ? static_cast<size_t>(limit.rlim_cur) - used : 0;
}

}  // namespace

int run_on_big_stack(const std::function<int()>& body) {
  // A stack may take at most half of what is left, so that values and trees still fit beside it.
  size_t largest = free_address_space() / 2;
  for (size_t stack_bytes : kStackSizes) {
    if (stack_bytes > largest) continue;
    if (std::optional<int> status = run_on_thread(body, stack_bytes)) return *status;
  }
  return body();
}

uintptr_t stack_low_end() {
  void* low = nullptr;
  size_t size = 0;
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getstack(&attributes, &low, &size);
    pthread_attr_destroy(&attributes);
  }
  auto bottom = reinterpret_cast<uintptr_t>(low);
  uintptr_t here = frame_address();
  if (bottom == 0 || here <= bottom) bottom = here > kAssumedStackBytes ? here - kAssumedStackBytes : 0;
  return bottom;
}

size_t stack_room() {
  uintptr_t here = frame_address();
  uintptr_t bottom = stack_low_end();
  return here > bottom ? here - bottom : 0;
}

}  // namespace ostrel
