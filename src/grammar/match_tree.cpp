#include "grammar/match_tree.hpp"

namespace ostrel::grammar {

Rule Match::rule() const { return tree_->nodes_[index_].rule; }

std::string_view Match::text() const {
  const MatchNode& node = tree_->nodes_[index_];
  return tree_->source_.substr(node.begin, node.end - node.begin);
}

MatchList Match::inner() const {
  const MatchNode& node = tree_->nodes_[index_];
  return MatchList(*tree_, tree_->child_refs_.data() + node.first_child, node.child_count);
}

MatchList MatchList::from(std::size_t skipped) const {
  if (skipped >= count_) return MatchList(*tree_, first_ + count_, 0);
  return MatchList(*tree_, first_ + skipped, count_ - skipped);
}

}  // namespace ostrel::grammar
