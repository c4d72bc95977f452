#pragma once
// A hash index over the keys of a dictionary's pairs, kept beside the pairs (which keep their
// insertion order for display and listing). Lookups must answer exactly what scanning the pairs
// from the front with the language's equality answers: the first equal key wins. So keys that
// are equal hash equal (1 and 1.0 alike: an integral number below 2 ** 53 in size hashes as that
// integer, any other number by its double value), keys that equal
// nothing (NaN, tuples, dictionaries, functions, lists holding any of those) stay out, and a
// probe returns the first match along its chain, which for one hash is the earliest pair.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "interpreter/value.hpp"

namespace ostrel {

// The hash of a value under the language's equality, or nothing for a value equal to nothing.
std::optional<uint64_t> key_hash(const Value& key);
// The hash of a String key with this text.
uint64_t text_hash(std::string_view text);

class KeyIndex {
 public:
  static constexpr size_t npos = SIZE_MAX;

  explicit KeyIndex(const ValuePairs& pairs);
  // Position of the first pair whose key equals `key`, or npos.
  size_t find(const ValuePairs& pairs, const Value& key) const;
  // The same for a String key and for an Int key, without the general equality.
  size_t find_text(const ValuePairs& pairs, const Value& key) const;
  size_t find_integer(const ValuePairs& pairs, int64_t key) const;

 private:
  struct Slot {
    uint32_t check = 0;     // the hash's high half, to skip most unequal keys unseen (not integers')
    uint32_t position = 0;  // of the pair, plus one; 0 marks an empty slot
  };

  template <class Matches>
  size_t probe(const ValuePairs& pairs, uint64_t hash, Matches matches) const;

  std::vector<Slot> slots_;  // open addressing, a power of two in size, at most half full
};

}  // namespace ostrel
