#include "interpreter/stack_guard.hpp"

#include <pthread.h>

namespace ostrel {
namespace {

// Room kept free below the limit for the work done between two checks (a builtin, a library
// call, printing).
constexpr uintptr_t kReserveBytes = uintptr_t{1} << 20;

}  // namespace

StackGuard::StackGuard() {
  pthread_attr_t attributes;
  void* low = nullptr;
  size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getstack(&attributes, &low, &size);
    pthread_attr_destroy(&attributes);
  }
  auto bottom = reinterpret_cast<uintptr_t>(low);
  auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  // Without a usable answer assume a small stack of 8 MiB below the current frame.
  if (bottom == 0 || here <= bottom) bottom = here - (uintptr_t{8} << 20);
  uintptr_t reserve = kReserveBytes;
  if (here - bottom < 2 * reserve) reserve = (here - bottom) / 2;
  limit_ = bottom + reserve;
}

}  // namespace ostrel
