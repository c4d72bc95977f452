#pragma once
// Everything one run of the grammar keeps besides the input position: the matches found so far,
// the indentation stack, the furthest failure and the memo of expressions. Free of PEGTL so that it
// can be tested on its own.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "grammar/match_tree.hpp"
#include "grammar/rule.hpp"

namespace ostrel::grammar {

// The stack of indentation units of the open blocks. Every distinct stack content gets one number,
// so that the memo can key on it cheaply.
class IndentationStack {
 public:
  enum class Unit : char { four_spaces = ' ', tab = '\t' };

  std::uint32_t id() const { return current_; }
  bool empty() const { return current_ == 0; }
  void push(Unit unit);
  void pop();

  // Calls `visit(unit)` for each unit, most recently pushed first, while it returns true; returns
  // whether every unit was visited.
  template <class Visit>
  bool visit_from_top(Visit&& visit) const {
    for (std::uint32_t at = current_; at != 0; at = states_[at].parent)
      if (!visit(states_[at].unit)) return false;
    return true;
  }

 private:
  struct State {
    std::uint32_t parent;
    Unit unit;
    std::uint32_t after_four_spaces;  // 0 until that state has been needed
    std::uint32_t after_tab;
  };
  std::uint32_t& successor(std::uint32_t state, Unit unit);

  std::vector<State> states_{State{0, Unit::four_spaces, 0, 0}};  // state 0 is the empty stack
  std::uint32_t current_ = 0;
};

// Where the grammar got furthest before failing, and which rules it expected there. A failing rule
// is recorded at the position where it started; when the rules inside it left exactly one record at
// that position, that inner rule is the more telling one and stays instead.
//
// Records are kept in groups: one rule, or all that a replayed failure added at once. What a rule
// needs to know is only whether its inner rules added exactly one record, so a group remembers
// whether it holds one record or more, never how many more: repeated failures would otherwise
// double the records at every level of nesting.
class FurthestFailure {
 public:
  struct Group {
    std::bitset<rule_count> rules;
    bool single;  // exactly one record
  };
  struct Mark {
    std::size_t groups;  // groups at the rule's start position when it began
  };
  // The record as it stood before an attempt.
  struct Snapshot {
    std::size_t position;
    std::size_t groups;
  };
  // What a failed attempt did to the record. The record only ever moves forward and every rule
  // counts records relative to its own start, so applying this is the same as failing the same
  // way again.
  struct Effect {
    std::size_t position;        // where the record stood after the attempt
    std::optional<Group> added;  // the records the attempt added there
  };

  Mark mark_at(std::size_t position) const { return {position == position_ ? groups_.size() : 0}; }
  void record(Rule rule, std::size_t position, Mark mark);

  Snapshot snapshot() const { return {position_, groups_.size()}; }
  Effect effect_since(const Snapshot& before) const;
  void replay(const Effect& effect);

  std::size_t position() const { return position_; }
  // Each rule expected there once, in the order of the rule list.
  std::vector<Rule> expected() const;

 private:
  void move_to(std::size_t position);

  std::size_t position_ = 0;
  std::vector<Group> groups_;
};

// Attempts at `expression`, by start position and indentation stack: where a match ended and its
// match, or what a failure did to the furthest-failure record. Without it, alternatives that begin
// alike (a tuple and a parenthesised expression, a comprehension and a list) parse the same text
// again at every level of nesting.
class ExpressionMemo {
 public:
  static constexpr std::uint32_t none = UINT32_MAX;

  struct Entry {
    std::uint32_t indentation;
    std::uint32_t end;     // a match: where it ended
    std::uint32_t node;    // a match: the match
    std::uint32_t effect;  // a failure: what it did to the record; `none` for a match
    std::uint32_t next;    // the next entry for the same position

    bool failed() const { return effect != none; }
  };

  explicit ExpressionMemo(std::size_t source_size);
  const Entry* find(std::uint32_t position, std::uint32_t indentation) const;
  void store_match(std::uint32_t position, std::uint32_t indentation, std::uint32_t end, std::uint32_t node);
  void store_failure(std::uint32_t position, std::uint32_t indentation, FurthestFailure::Effect effect);
  const FurthestFailure::Effect& effect_of(const Entry& failure) const { return effects_[failure.effect]; }

 private:
  void add(std::uint32_t position, Entry entry);

  std::vector<std::uint32_t> first_entry_;  // per position
  std::vector<Entry> entries_;
  std::vector<FurthestFailure::Effect> effects_;
};

// The matches of one run. A rule that succeeds turns the pending matches found since it began into
// its inner matches; a rule that fails drops them. Matches kept by the memo are never dropped.
class MatchArena {
 public:
  struct Mark {
    std::size_t pending;
    std::size_t nodes;
    std::size_t child_refs;
  };

  Mark mark() const { return {pending_.size(), nodes_.size(), child_refs_.size()}; }
  [[gnu::always_inline]] void discard_since(const Mark& mark) {
    // Most failed attempts made no match at all: keep that case cheap.
    if (pending_.size() != mark.pending || nodes_.size() != mark.nodes) drop_since(mark);
  }
  // Adds the match of `rule` over [begin, end) whose inner matches are those pending since `mark`;
  // it becomes the last pending match.
  void add(Rule rule, std::uint32_t begin, std::uint32_t end, const Mark& mark);
  void add_pending(std::uint32_t node) { pending_.push_back(node); }
  // The match added last (by `add`).
  std::uint32_t last_added() const { return pending_.back(); }
  // Keeps every match made so far, whatever fails later.
  void keep_all() { kept_ = mark(); }

  // The tree whose top-level matches are the pending ones.
  MatchTree finish(std::string_view source) &&;

 private:
  void drop_since(const Mark& mark);

  std::vector<MatchNode> nodes_;
  std::vector<std::uint32_t> child_refs_;
  std::vector<std::uint32_t> pending_;
  Mark kept_{0, 0, 0};
};

struct MatchState {
  MatchState(std::size_t source_size, int max_nesting) : memo(source_size), max_nesting(max_nesting) {}

  MatchArena arena;
  IndentationStack indentation;
  FurthestFailure failure;
  ExpressionMemo memo;
  int atomic_depth = 0;  // inside an atomic rule nothing yields a match or records a failure
  int nesting = 0;       // open matches of the rules through which the grammar recurses
  int max_nesting;       // more open matches than this end the parse
  std::optional<std::size_t> too_deep_at;  // where the nesting cap was hit, ending the parse
};

}  // namespace ostrel::grammar
