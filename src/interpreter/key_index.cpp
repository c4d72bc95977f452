#include "interpreter/key_index.hpp"

#include <cmath>
#include <cstring>
#include <functional>
#include <unordered_map>

namespace ostrel {
namespace {

using K = Value::Kind;

constexpr uint64_t kListSeed = 0x9e3779b97f4a7c15ull;

// The finaliser of splitmix64: spreads every input bit over the whole word.
uint64_t mix(uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ull;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

uint64_t combine(uint64_t seed, uint64_t hash) { return mix(seed ^ (hash + kListSeed + (seed << 6))); }

// Integers of this size and beyond may equal a double that other integers equal too.
constexpr int64_t kExactInDouble = int64_t{1} << 53;

// 1 and 1.0 are equal and must hash alike. Integers smaller than kExactInDouble, and the doubles
// equal to them (0.0 and -0.0 included), hash as the integer itself: keys counted up from some
// start then sit side by side in the index, as in their pairs (the probe sequence parts keys
// whose low bits agree); other numbers hash by their double.
uint64_t double_hash(double number) {
  if (number > -kExactInDouble && number < kExactInDouble && number == std::trunc(number))
    return static_cast<uint64_t>(static_cast<int64_t>(number));
  uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  return mix(bits);
}

uint64_t integer_hash(int64_t number) {
  if (number > -kExactInDouble && number < kExactInDouble) return static_cast<uint64_t>(number);
  return double_hash(static_cast<double>(number));
}

std::optional<uint64_t> scalar_hash(const Value& value) {
  switch (value.kind()) {
    case K::Int: return integer_hash(value.as_int());
    case K::Float:
      if (std::isnan(value.as_float())) return std::nullopt;
      return double_hash(value.as_float());
    case K::String: return value.text_hash();
    case K::Bool: return mix(value.as_bool() ? 3 : 2);
    case K::None: return mix(1);
    default: return std::nullopt;  // tuples, dictionaries and functions equal nothing
  }
}

// Lists nest without bound, so they are walked with a stack of their own. A list's hash is made
// from its elements' hashes, so a payload met more than once (a list that holds one list many
// times over, at many levels) is hashed once.
std::optional<uint64_t> list_hash(const Value& list) {
  struct Frame {
    const Value* list;
    size_t next;
    uint64_t hash;
  };
  auto start = [](const Value& v) { return Frame{&v, 0, combine(kListSeed, v.as_list().size())}; };
  std::vector<Frame> stack{start(list)};
  std::unordered_map<const HeapObject*, uint64_t> shared_hashes;
  uint64_t finished = 0;
  while (!stack.empty()) {
    Frame& top = stack.back();
    ValueSpan items = top.list->as_list();
    if (top.next == items.size()) {
      finished = top.hash;
      const HeapObject* payload = top.list->payload();
      stack.pop_back();
      if (payload->refs > 1) shared_hashes.emplace(payload, finished);
      if (!stack.empty()) stack.back().hash = combine(stack.back().hash, finished);
      continue;
    }
    const Value& item = items[top.next++];
    if (item.is(K::List)) {
      auto known = item.payload()->refs > 1 ? shared_hashes.find(item.payload()) : shared_hashes.end();
      if (known != shared_hashes.end()) top.hash = combine(top.hash, known->second);
      else stack.push_back(start(item));
    } else if (std::optional<uint64_t> item_hash = scalar_hash(item)) {
      top.hash = combine(top.hash, *item_hash);
    } else {
      return std::nullopt;
    }
  }
  return finished;
}

// The slots a hash visits: its own first, then a walk that the hash's higher bits drive, so that
// keys whose low bits agree (multiples of a power of two, say) part after a step or two. Every
// slot is reached once those bits are used up, and the index is at most half full.
struct Probe {
  size_t slot;
  uint64_t perturb;
  size_t mask;
  Probe(uint64_t hash, size_t slot_mask) : slot(hash & slot_mask), perturb(hash), mask(slot_mask) {}
  void next() {
    perturb >>= 5;
    slot = (slot * 5 + 1 + perturb) & mask;
  }
};

// Whether every value equal to `later` is equal to `earlier` too, so that `later` can never
// be the first match. Not so for lists: [2 ** 53] and [2.0 ** 53] are equal, yet only the
// second equals [2 ** 53 + 1].
bool shadows(const Value& earlier, const Value& later) {
  return earlier.kind() == later.kind() && !later.is(K::List) && earlier.equals(later);
}

}  // namespace

// A text of up to eight bytes, as most keys are, is read as one word with its length, which
// costs less than hashing its bytes; the mix spreads it as it spreads an integer.
uint64_t text_hash(std::string_view text) {
  if (text.size() > sizeof(uint64_t)) return mix(std::hash<std::string_view>{}(text));
  uint64_t word = text.size();
  for (char c : text) word = word << 8 | static_cast<unsigned char>(c);
  return mix(word);
}

std::optional<uint64_t> key_hash(const Value& key) {
  return key.is(K::List) ? list_hash(key) : scalar_hash(key);
}

KeyIndex::KeyIndex(const ValuePairs& pairs) {
  size_t capacity = 16;
  while (capacity < pairs.size() * 2) capacity *= 2;
  slots_.resize(capacity);
  for (size_t position = 0; position < pairs.size(); ++position) {
    const Value& key = pairs[position].first;
    std::optional<uint64_t> hash = key_hash(key);
    if (!hash) continue;
    auto shadowed = [&](const Value& earlier) { return shadows(earlier, key); };
    if (probe(pairs, *hash, shadowed) != npos) continue;
    Probe probe(*hash, capacity - 1);
    while (slots_[probe.slot].position != 0) probe.next();
    slots_[probe.slot] = {static_cast<uint32_t>(*hash >> 32), static_cast<uint32_t>(position + 1)};
  }
}

// Keys of one hash lie along one chain in the order of their pairs (slots are never freed), so
// the first match found is the first matching pair.
template <class Matches>
size_t KeyIndex::probe(const ValuePairs& pairs, uint64_t hash, Matches matches) const {
  uint32_t check = static_cast<uint32_t>(hash >> 32);
  for (Probe probe(hash, slots_.size() - 1); slots_[probe.slot].position != 0; probe.next()) {
    size_t position = slots_[probe.slot].position - 1;
    if (slots_[probe.slot].check == check && matches(pairs[position].first)) return position;
  }
  return npos;
}

size_t KeyIndex::find(const ValuePairs& pairs, const Value& key) const {
  std::optional<uint64_t> hash = key_hash(key);
  if (!hash) return npos;
  return probe(pairs, *hash, [&](const Value& candidate) { return candidate.equals(key); });
}

size_t KeyIndex::find_text(const ValuePairs& pairs, const Value& key) const {
  return probe(pairs, key.text_hash(),
               [&](const Value& candidate) { return candidate.is(K::String) && candidate.same_text(key); });
}

size_t KeyIndex::find_integer(const ValuePairs& pairs, int64_t key) const {
  return probe(pairs, integer_hash(key), [&](const Value& candidate) { return candidate.equals_integer(key); });
}

}  // namespace ostrel
