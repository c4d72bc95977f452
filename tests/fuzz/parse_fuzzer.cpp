// Fuzz target: any bytes as a source text through the grammar, the tree builders and the tree
// print. Parsing runs on the large stack, as the program runs it, since its nesting cap is
// derived from the stack it finds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ast/print_tree.hpp"
#include "parser/parse_program.hpp"
#include "support/big_stack.hpp"

namespace {

// The print grows with the square of the depth; a prefix of it is enough to exercise it.
constexpr std::size_t kPrintBytes = std::size_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view source(reinterpret_cast<const char*>(data), size);
  ostrel::run_on_big_stack([source] {
    auto tree = ostrel::parse_program(source);
    if (!tree) return 0;
    std::size_t printed = 0;
    ostrel::print_tree(*tree.value(), [&printed](std::string_view piece) {
      printed += piece.size();
      return printed < kPrintBytes;
    });
    return 0;
  });
  return 0;
}
