#include "grammar/match_state.hpp"

#include <algorithm>

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
  std::size_t records_now = position == position_ ? expected_.size() : 0;
  if (records_now == mark.records + 1) return;
  if (position == position_) {
    expected_.resize(mark.records);
  } else if (position > position_) {
    expected_.clear();
    position_ = position;
  }
  if (position == position_) expected_.push_back(rule);
}

ExpressionMemo::ExpressionMemo(std::size_t source_size) : first_entry_(source_size + 1, none) {}

const ExpressionMemo::Entry* ExpressionMemo::find(std::uint32_t position, std::uint32_t indentation) const {
  for (std::uint32_t at = first_entry_[position]; at != none; at = entries_[at].next)
    if (entries_[at].indentation == indentation) return &entries_[at];
  return nullptr;
}

void ExpressionMemo::store(std::uint32_t position, std::uint32_t indentation, std::uint32_t end,
                           std::uint32_t node) {
  entries_.push_back(Entry{indentation, end, node, first_entry_[position]});
  first_entry_[position] = static_cast<std::uint32_t>(entries_.size() - 1);
}

void MatchArena::drop_since(const Mark& mark) {
  pending_.resize(mark.pending);
  nodes_.resize(std::max(mark.nodes, kept_.nodes));
  child_refs_.resize(std::max(mark.child_refs, kept_.child_refs));
}

std::uint32_t MatchArena::add(Rule rule, std::uint32_t begin, std::uint32_t end, const Mark& mark) {
  std::size_t children = pending_.size() - mark.pending;
  if (nodes_.size() >= UINT32_MAX || child_refs_.size() + children >= UINT32_MAX) throw SourceTooLarge{};
  auto first_child = static_cast<std::uint32_t>(child_refs_.size());
  child_refs_.insert(child_refs_.end(), pending_.begin() + static_cast<std::ptrdiff_t>(mark.pending),
                     pending_.end());
  pending_.resize(mark.pending);
  auto node = static_cast<std::uint32_t>(nodes_.size());
  nodes_.push_back(MatchNode{rule, begin, end, first_child, static_cast<std::uint32_t>(children)});
  pending_.push_back(node);
  return node;
}

MatchTree MatchArena::finish(std::string_view source) && {
  return MatchTree(source, std::move(nodes_), std::move(child_refs_), std::move(pending_));
}

}  // namespace ostrel::grammar
