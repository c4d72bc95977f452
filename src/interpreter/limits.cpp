#include "interpreter/limits.hpp"

#include <unistd.h>

#include <fstream>
#include <string>

namespace ostrel {
namespace {

// Results smaller than this are always allowed, without asking the system.
constexpr size_t kSmallResultBytes = size_t{64} << 20;

size_t physical_memory_bytes() {
  long pages = sysconf(_SC_PHYS_PAGES);
  long page_size = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return size_t{1} << 34;  // unknown: assume 16 GiB
  return static_cast<size_t>(pages) * static_cast<size_t>(page_size);
}

// The memory that can still be had without swapping or the kernel killing a process: what the
// other processes and this one's earlier values leave over.
size_t available_memory_bytes() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  size_t kibibytes = 0;
  while (meminfo >> key >> kibibytes) {
    if (key == "MemAvailable:") return kibibytes << 10;
    meminfo.ignore(256, '\n');
  }
  return physical_memory_bytes();
}

}  // namespace

// Half, so that one copy of the result (for a message that shows it, say) still fits.
bool fits_in_memory(size_t count, size_t item_bytes) {
  if (item_bytes == 0 || count <= kSmallResultBytes / item_bytes) return true;
  return count <= available_memory_bytes() / 2 / item_bytes;
}

}  // namespace ostrel
