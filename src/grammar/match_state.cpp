#include "grammar/match_state.hpp"

#include <algorithm>
#include <new>

namespace ostrel::grammar {

void IndentationStack::push(Unit unit) {
  std::uint32_t next = successor(current_, unit);
  if (next == 0) {
    next = static_cast<std::uint32_t>(states_.size());
    states_.push_back(State{current_, unit, 0, 0});
    successor(current_, unit) = next;
  }
  current_ = next;
}

std::uint32_t& IndentationStack::successor(std::uint32_t state, Unit unit) {
  return unit == Unit::four_spaces ? states_[state].after_four_spaces : states_[state].after_tab;
}

void IndentationStack::pop() { current_ = states_[current_].parent; }

void FurthestFailure::record(Rule rule, std::size_t position, Mark mark) {
  if (position < position_) return;
  if (position > position_) {
    move_to(position);
  } else if (groups_.size() == mark.groups + 1 && groups_.back().single) {
    return;
  } else {
    groups_.resize(mark.groups);
  }
  groups_.push_back(Group{std::bitset<rule_count>().set(static_cast<std::size_t>(rule)), true});
}

FurthestFailure::Effect FurthestFailure::effect_since(const Snapshot& before) const {
  std::size_t kept = position_ == before.position ? before.groups : 0;
  if (kept == groups_.size()) return {position_, std::nullopt};
  Group added{{}, groups_.size() == kept + 1 && groups_.back().single};
  for (std::size_t i = kept; i < groups_.size(); ++i) added.rules |= groups_[i].rules;
  return {position_, added};
}

void FurthestFailure::replay(const Effect& effect) {
  if (effect.position < position_) return;
  if (effect.position > position_) move_to(effect.position);
  if (effect.added) groups_.push_back(*effect.added);
}

std::vector<Rule> FurthestFailure::expected() const {
  std::bitset<rule_count> all;
  for (const Group& group : groups_) all |= group.rules;
  std::vector<Rule> rules;
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i]) rules.push_back(static_cast<Rule>(i));
  return rules;
}

void FurthestFailure::move_to(std::size_t position) {
  groups_.clear();
  position_ = position;
}

ExpressionMemo::ExpressionMemo(std::size_t source_size) : first_entry_(source_size + 1, none) {}

const ExpressionMemo::Entry* ExpressionMemo::find(std::uint32_t position, std::uint32_t indentation) const {
  for (std::uint32_t at = first_entry_[position]; at != none; at = entries_[at].next)
    if (entries_[at].indentation == indentation) return &entries_[at];
  return nullptr;
}

void ExpressionMemo::store_match(std::uint32_t position, std::uint32_t indentation, std::uint32_t end,
                                 std::uint32_t node) {
  add(position, Entry{indentation, end, node, none, none});
}

void ExpressionMemo::store_failure(std::uint32_t position, std::uint32_t indentation,
                                   FurthestFailure::Effect effect) {
  effects_.push_back(std::move(effect));
  add(position, Entry{indentation, 0, 0, static_cast<std::uint32_t>(effects_.size() - 1), none});
}

void ExpressionMemo::add(std::uint32_t position, Entry entry) {
  entry.next = first_entry_[position];
  entries_.push_back(entry);
  first_entry_[position] = static_cast<std::uint32_t>(entries_.size() - 1);
}

void MatchArena::drop_since(const Mark& mark) {
  pending_.resize(mark.pending);
  nodes_.resize(std::max(mark.nodes, kept_.nodes));
  child_refs_.resize(std::max(mark.child_refs, kept_.child_refs));
}

void MatchArena::add(Rule rule, std::uint32_t begin, std::uint32_t end, const Mark& mark) {
  std::size_t children = pending_.size() - mark.pending;
  // Running out of 32-bit indexes is running out of room like any failed allocation.
  if (nodes_.size() >= UINT32_MAX || child_refs_.size() + children >= UINT32_MAX) throw std::bad_alloc();
  auto first_child = static_cast<std::uint32_t>(child_refs_.size());
  child_refs_.insert(child_refs_.end(), pending_.begin() + static_cast<std::ptrdiff_t>(mark.pending),
                     pending_.end());
  pending_.resize(mark.pending);
  auto node = static_cast<std::uint32_t>(nodes_.size());
  nodes_.push_back(MatchNode{rule, begin, end, first_child, static_cast<std::uint32_t>(children)});
  pending_.push_back(node);
}

MatchTree MatchArena::finish(std::string_view source) && {
  return MatchTree(source, std::move(nodes_), std::move(child_refs_), std::move(pending_));
}

}  // namespace ostrel::grammar
