#include "interpreter/limits.hpp"

#include <unistd.h>

namespace ostrel {
namespace {

size_t physical_memory_bytes() {
  long pages = sysconf(_SC_PHYS_PAGES);
  long page_size = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return size_t{1} << 34;  // unknown: assume 16 GiB
  return static_cast<size_t>(pages) * static_cast<size_t>(page_size);
}

}  // namespace

bool fits_in_memory(size_t count, size_t item_bytes) {
  static const size_t limit = physical_memory_bytes();
  return item_bytes == 0 || count <= limit / item_bytes;
}

}  // namespace ostrel
