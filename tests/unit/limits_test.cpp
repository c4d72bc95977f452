#include "interpreter/limits.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>

namespace ostrel {
namespace {

TEST(FitsInMemory, SmallResultsAlwaysFit) {
  EXPECT_TRUE(fits_in_memory(0, 16));
  EXPECT_TRUE(fits_in_memory(1000000, 16));
  EXPECT_TRUE(fits_in_memory(SIZE_MAX, 0));
}

// Free memory is never more than the machine has; a product that overflows is no way out.
TEST(FitsInMemory, MoreThanTheMachineHasNeverFits) {
  size_t physical = static_cast<size_t>(sysconf(_SC_PHYS_PAGES)) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
  EXPECT_FALSE(fits_in_memory(physical + 1, 1));
  EXPECT_FALSE(fits_in_memory(physical / 16 + 1, 16));
  EXPECT_FALSE(fits_in_memory(SIZE_MAX / 2 + 1, 2));
  EXPECT_FALSE(fits_in_memory(SIZE_MAX, SIZE_MAX));
}

}  // namespace
}  // namespace ostrel
