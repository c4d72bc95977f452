#include "grammar/match_tree.hpp"

namespace ostrel::grammar {

MatchList MatchList::from(std::size_t skipped) const {
  if (skipped >= count_) return MatchList(*tree_, first_ + count_, 0);
  return MatchList(*tree_, first_ + skipped, count_ - skipped);
}

}  // namespace ostrel::grammar
