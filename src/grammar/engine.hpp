#pragma once
// The matching engine under the grammar, on PEGTL. PEGTL gives ordered choice, greedy repetition,
// lookahead and literals; this file adds the conventions the grammar is written in: rules that
// yield matches (normal and atomic ones), the implicit skip between the elements of a sequence, the
// indentation stack, the record of the furthest failure, the expression memo and the nesting cap.
// Include it only from the one file that holds the grammar: PEGTL is slow to compile.
#include <tao/pegtl.hpp>

#include <cstddef>
#include <optional>
#include <type_traits>

#include "grammar/match_state.hpp"
#include "grammar/rule.hpp"

namespace ostrel::grammar::engine {

namespace pg = tao::pegtl;

// Deeper nesting than the cap ends the parse with an error instead of exhausting the native stack.
// Each open expression, prefix operator, pattern, type and type annotation counts one level. The
// cap is this many levels, or fewer when the stack left to the parse cannot hold them (see
// nesting_cap in match_program.cpp).
inline constexpr int max_nesting = 10000;

// ---- Rules that yield a match ----

struct named_rule_tag {};

template <Rule R, bool Atomic, bool Nests, bool Memoised, class... Body>
struct named_rule : pg::seq<Body...>, named_rule_tag {
  static constexpr Rule id = R;
  static constexpr bool atomic = Atomic;      // nothing inside yields a match or records a failure
  static constexpr bool nests = Nests;        // each open match counts one level of nesting
  static constexpr bool memoised = Memoised;  // successful matches are remembered
};

template <Rule R, class... Body>
struct normal_rule : named_rule<R, false, false, false, Body...> {};
template <Rule R, class... Body>
struct atomic_rule : named_rule<R, true, false, false, Body...> {};
// A rule through which the grammar recurses; the nesting cap counts its open matches.
template <Rule R, class... Body>
struct nesting_rule : named_rule<R, false, true, false, Body...> {};
template <Rule R, class... Body>
struct memoised_nesting_rule : named_rule<R, false, true, true, Body...> {};

// ---- The implicit skip ----

// Blank space and comments between the elements of a sequence; the grammar defines it.
struct implicit_skip;

// Elements in order with the implicit skip between consecutive ones (not before the first, not
// after the last).
template <class First, class... Rest>
struct seq_s : pg::seq<First, pg::seq<implicit_skip, Rest>...> {};
// An optional sequence.
template <class... Elements>
struct opt_s : pg::opt<seq_s<Elements...>> {};
// A sequence repeated zero or more times, with the implicit skip before every iteration but the
// first; a failed iteration is undone together with its skip.
template <class... Elements>
struct star_s : pg::opt<seq_s<Elements...>, pg::star<implicit_skip, seq_s<Elements...>>> {};
template <class... Elements>
struct plus_s : pg::seq<seq_s<Elements...>, pg::star<implicit_skip, seq_s<Elements...>>> {};

// ---- The indentation stack ----

inline std::size_t length_of(IndentationStack::Unit unit) { return unit == IndentationStack::Unit::tab ? 1 : 4; }

template <class Input>
bool unit_at(const Input& in, std::size_t offset, IndentationStack::Unit unit) {
  std::size_t length = length_of(unit);
  if (in.size(offset + length) < offset + length) return false;
  for (std::size_t i = 0; i < length; ++i)
    if (in.peek_char(offset + i) != static_cast<char>(unit)) return false;
  return true;
}

// The whole stack, most recently pushed unit first; the empty stack matches the empty text.
struct indentation_stack {
  template <pg::apply_mode, pg::rewind_mode, template <class...> class Action,
            template <class...> class Control, class Input>
  static bool match(Input& in, MatchState& state) {
    std::size_t length = 0;
    bool matched = state.indentation.visit_from_top([&](IndentationStack::Unit unit) {
      if (!unit_at(in, length, unit)) return false;
      length += length_of(unit);
      return true;
    });
    if (matched) in.bump(length);
    return matched;
  }
};

// One new unit ("    " or "\t", tried in this order), pushed while `Body` is matched and dropped
// afterwards, so the stack is the same after this rule whether it matched or not.
template <class Body>
struct with_new_indentation_unit {
  template <pg::apply_mode A, pg::rewind_mode M, template <class...> class Action,
            template <class...> class Control, class Input>
  static bool match(Input& in, MatchState& state) {
    IndentationStack::Unit unit = IndentationStack::Unit::four_spaces;
    if (!unit_at(in, 0, unit)) {
      unit = IndentationStack::Unit::tab;
      if (!unit_at(in, 0, unit)) return false;
    }
    auto marker = in.template mark<M>();
    in.bump(length_of(unit));
    state.indentation.push(unit);
    bool matched = Control<Body>::template match<A, decltype(marker)::next_rewind_mode, Action, Control>(in, state);
    state.indentation.pop();
    return marker(matched);
  }
};

// ---- Control: what happens around every rule ----

template <class Input>
std::uint32_t offset_of(const Input& in) {
  return static_cast<std::uint32_t>(in.byte());
}

// One more level of nesting for as long as it lives. Beyond the cap the parse is over: the
// position is noted and from then on every rule that yields matches fails at once, so the whole
// parse unwinds without ever going deeper (and without an exception crossing a deep stack).
class NestingLevel {
 public:
  NestingLevel(MatchState& state, std::size_t position) : state_(state) {
    if (++state_.nesting > state_.max_nesting && !state_.too_deep_at) state_.too_deep_at = position;
  }
  ~NestingLevel() { --state_.nesting; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

  bool allowed() const { return !state_.too_deep_at; }

 private:
  MatchState& state_;
};

// `Inner`, one level deeper: for recursion that does not pass through a nesting rule.
template <class Inner>
struct one_level_deeper {
  template <pg::apply_mode A, pg::rewind_mode M, template <class...> class Action,
            template <class...> class Control, class Input>
  static bool match(Input& in, MatchState& state) {
    NestingLevel level(state, offset_of(in));
    return level.allowed() && Control<Inner>::template match<A, M, Action, Control>(in, state);
  }
};

// PEGTL's own leaf rules (literals, character classes, end of input) contain no rules, so they
// can yield no matches; skipping the bookkeeping for them keeps the engine fast.
template <class R, class = void>
inline constexpr bool is_primitive = false;
template <class R>
inline constexpr bool is_primitive<R, std::void_t<typename R::subs_t>> = R::subs_t::size == 0;

template <class R>
struct control : pg::normal<R> {
  template <pg::apply_mode A, pg::rewind_mode M, template <class...> class Action,
            template <class...> class Control, class Input>
  static bool match(Input& in, MatchState& state) {
    if constexpr (A == pg::apply_mode::nothing) {
      // Inside a lookahead: nothing yields a match or records a failure.
      return match_body<A, M, Action, Control>(in, state);
    } else if constexpr (std::is_base_of_v<named_rule_tag, R>) {
      if (state.atomic_depth > 0) return match_body<A, M, Action, Control>(in, state);
      return match_named<A, M, Action, Control>(in, state);
    } else if constexpr (is_primitive<R>) {
      return match_body<A, M, Action, Control>(in, state);
    } else {
      // A failed attempt leaves no matches behind.
      MatchArena::Mark mark = state.arena.mark();
      if (match_body<A, M, Action, Control>(in, state)) return true;
      state.arena.discard_since(mark);
      return false;
    }
  }

 private:
  template <pg::apply_mode A, pg::rewind_mode M, template <class...> class Action,
            template <class...> class Control, class Input>
  static bool match_body(Input& in, MatchState& state) {
    return pg::normal<R>::template match<A, M, Action, Control>(in, state);
  }

  template <pg::apply_mode A, pg::rewind_mode M, template <class...> class Action,
            template <class...> class Control, class Input>
  static bool match_named(Input& in, MatchState& state) {
    if (state.too_deep_at) return false;
    if constexpr (R::memoised) {
      return match_memoised<A, M, Action, Control>(in, state);
    } else {
      return match_and_record<A, M, Action, Control>(in, state);
    }
  }

  // Each place and indentation is matched once; a later attempt there replays the outcome, a
  // failure included, since alternatives that begin alike meet the same failure again.
  template <pg::apply_mode A, pg::rewind_mode M, template <class...> class Action,
            template <class...> class Control, class Input>
  static bool match_memoised(Input& in, MatchState& state) {
    std::uint32_t begin = offset_of(in);
    std::uint32_t indentation = state.indentation.id();
    if (const ExpressionMemo::Entry* known = state.memo.find(begin, indentation)) return replay(in, state, *known);
    FurthestFailure::Snapshot before = state.failure.snapshot();
    if (match_and_record<A, M, Action, Control>(in, state)) {
      state.memo.store_match(begin, indentation, offset_of(in), state.arena.last_added());
      state.arena.keep_all();
      return true;
    }
    if (!state.too_deep_at) state.memo.store_failure(begin, indentation, state.failure.effect_since(before));
    return false;
  }

  // An earlier attempt at the same place, with the same indentation, again.
  template <class Input>
  static bool replay(Input& in, MatchState& state, const ExpressionMemo::Entry& known) {
    if (known.failed()) {
      state.failure.replay(state.memo.effect_of(known));
      return false;
    }
    in.bump(known.end - offset_of(in));
    state.arena.add_pending(known.node);
    return true;
  }

  // The rule's body; a match with the pending matches as its inner ones, or a recorded failure.
  template <pg::apply_mode A, pg::rewind_mode M, template <class...> class Action,
            template <class...> class Control, class Input>
  static bool match_and_record(Input& in, MatchState& state) {
    std::uint32_t begin = offset_of(in);
    std::optional<NestingLevel> level;
    if constexpr (R::nests) {
      level.emplace(state, begin);
      if (!level->allowed()) return false;
    }
    FurthestFailure::Mark attempt = state.failure.mark_at(begin);
    MatchArena::Mark mark = state.arena.mark();
    if constexpr (R::atomic) ++state.atomic_depth;
    bool matched = match_body<A, M, Action, Control>(in, state);
    if constexpr (R::atomic) --state.atomic_depth;
    if (!matched) {
      state.arena.discard_since(mark);
      state.failure.record(R::id, begin, attempt);
      return false;
    }
    state.arena.add(R::id, begin, offset_of(in), mark);
    return true;
  }
};

}  // namespace ostrel::grammar::engine
