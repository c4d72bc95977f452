// The only file that runs PEGTL (through the grammar and the engine headers).
#include "grammar/match_program.hpp"

#include "grammar/grammar_rules.hpp"
#include "grammar/syntax_error.hpp"
#include "support/utf8.hpp"

namespace ostrel::grammar {

Result<MatchTree> match_program(std::string_view source) {
  if (std::size_t bad = first_invalid_utf8(source); bad != std::string_view::npos)
    return Error{render_syntax_error(source, bad, "invalid UTF-8")};
  if (source.size() > max_source_bytes) return Error{"source text too large"};

  MatchState state(source.size());
  tao::pegtl::memory_input<tao::pegtl::tracking_mode::lazy> input(source.data(), source.size(), "");
  if (tao::pegtl::parse<rules::ostrel, tao::pegtl::nothing, engine::control>(input, state))
    return std::move(state.arena).finish(source);
  if (state.too_deep_at)
    return Error{render_syntax_error(source, *state.too_deep_at, "expression nested too deeply")};
  return Error{render_syntax_error(source, state.failure.position(), describe_failure(state.failure.expected(), {}))};
}

}  // namespace ostrel::grammar
