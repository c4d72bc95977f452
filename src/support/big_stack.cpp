#include "support/big_stack.hpp"

#include <pthread.h>

namespace ostrel {
namespace {

constexpr size_t kStackBytes = size_t{1} << 30;  // reserved address space; pages are used lazily

struct Task {
  const std::function<int()>* body;
  int status;
};

void* run_task(void* raw) {
  auto* task = static_cast<Task*>(raw);
  task->status = (*task->body)();
  return nullptr;
}

}  // namespace

int run_on_big_stack(const std::function<int()>& body) {
  Task task{&body, 0};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kStackBytes);
  pthread_t thread;
  bool started = pthread_create(&thread, &attributes, run_task, &task) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) return body();  // no big stack available: the depth caps still apply
  pthread_join(thread, nullptr);
  return task.status;
}

}  // namespace ostrel
