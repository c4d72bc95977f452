// The only file that runs PEGTL (through the grammar and the engine headers).
#include "grammar/match_program.hpp"

#include <algorithm>
#include <cstdint>

#include "grammar/grammar_rules.hpp"
#include "grammar/syntax_error.hpp"
#include "support/big_stack.hpp"
#include "support/utf8.hpp"

namespace ostrel::grammar {
namespace {

// Stack that one level of nesting may take, matching and building the tree together, with room
// to spare: about 16 KiB at most in the release build, 45 KiB in the sanitizer build (a block
// body in both).
#ifdef __SANITIZE_ADDRESS__
constexpr std::size_t kStackPerLevel = std::size_t{64} << 10;
#else
constexpr std::size_t kStackPerLevel = std::size_t{24} << 10;
#endif
// Kept for the work done on top of the deepest level (reporting the error, say).
constexpr std::size_t kStackReserve = std::size_t{256} << 10;

// The deepest nesting that the stack left to this thread can hold.
int nesting_cap() {
  auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  std::uintptr_t limit = stack_limit(kStackReserve);
  std::size_t levels = here > limit ? (here - limit) / kStackPerLevel : 0;
  return static_cast<int>(std::min<std::size_t>(engine::max_nesting, levels));
}

}  // namespace

Result<MatchTree> match_program(std::string_view source) {
  if (std::size_t bad = first_invalid_utf8(source); bad != std::string_view::npos)
    return Error{render_syntax_error(source, bad, "invalid UTF-8")};
  if (source.size() > max_source_bytes) return Error{"source text too large"};

  MatchState state(source.size(), nesting_cap());
  tao::pegtl::memory_input<tao::pegtl::tracking_mode::lazy> input(source.data(), source.size(), "");
  if (tao::pegtl::parse<rules::ostrel, tao::pegtl::nothing, engine::control>(input, state))
    return std::move(state.arena).finish(source);
  if (state.too_deep_at)
    return Error{render_syntax_error(source, *state.too_deep_at, "expression nested too deeply")};
  return Error{render_syntax_error(source, state.failure.position(), describe_failure(state.failure.expected(), {}))};
}

}  // namespace ostrel::grammar
