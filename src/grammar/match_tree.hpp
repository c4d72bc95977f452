#pragma once
// The rule matches of a successful parse, kept in one flat arena. Builders read them only through
// `RuleMatch`: its rule, the source text it spans and its inner matches in source order.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "grammar/rule.hpp"

namespace ostrel::grammar {

struct MatchNode {
  Rule rule;
  std::uint32_t begin;        // byte offsets into the source
  std::uint32_t end;
  std::uint32_t first_child;  // index into the arena's child list
  std::uint32_t child_count;
};

class MatchTree;
class MatchList;

class RuleMatch {
 public:
  RuleMatch(const MatchTree& tree, std::uint32_t index) : tree_(&tree), index_(index) {}

  Rule rule() const;
  std::string_view text() const;
  MatchList inner() const;

 private:
  const MatchTree* tree_;
  std::uint32_t index_;
};

// A run of sibling matches.
class MatchList {
 public:
  class iterator {
   public:
    iterator(const MatchTree& tree, const std::uint32_t* at) : tree_(&tree), at_(at) {}
    RuleMatch operator*() const { return RuleMatch(*tree_, *at_); }
    iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator!=(const iterator& other) const { return at_ != other.at_; }

   private:
    const MatchTree* tree_;
    const std::uint32_t* at_;
  };

  MatchList(const MatchTree& tree, const std::uint32_t* first, std::size_t count)
      : tree_(&tree), first_(first), count_(count) {}

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  RuleMatch operator[](std::size_t i) const { return RuleMatch(*tree_, first_[i]); }
  // The matches after the first `skipped` ones.
  MatchList from(std::size_t skipped) const;
  iterator begin() const { return iterator(*tree_, first_); }
  iterator end() const { return iterator(*tree_, first_ + count_); }

 private:
  const MatchTree* tree_;
  const std::uint32_t* first_;
  std::size_t count_;
};

class MatchTree {
 public:
  MatchTree(std::string_view source, std::vector<MatchNode> nodes, std::vector<std::uint32_t> child_refs,
            std::vector<std::uint32_t> top_level)
      : source_(source),
        nodes_(std::move(nodes)),
        child_refs_(std::move(child_refs)),
        top_level_(std::move(top_level)) {}

  // The matches of the whole program: one per top-level item, then the end-of-input match.
  MatchList top_level() const { return MatchList(*this, top_level_.data(), top_level_.size()); }

 private:
  friend class RuleMatch;
  std::string_view source_;
  std::vector<MatchNode> nodes_;
  std::vector<std::uint32_t> child_refs_;
  std::vector<std::uint32_t> top_level_;
};

inline Rule RuleMatch::rule() const { return tree_->nodes_[index_].rule; }

inline std::string_view RuleMatch::text() const {
  const MatchNode& node = tree_->nodes_[index_];
  return tree_->source_.substr(node.begin, node.end - node.begin);
}

inline MatchList RuleMatch::inner() const {
  const MatchNode& node = tree_->nodes_[index_];
  return MatchList(*tree_, tree_->child_refs_.data() + node.first_child, node.child_count);
}

}  // namespace ostrel::grammar
