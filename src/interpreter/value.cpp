#include "interpreter/value.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "interpreter/builtins.hpp"
#include "interpreter/key_index.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/text_index.hpp"
#include "support/address_sanitizer.hpp"
#include "support/text_format.hpp"
#include "support/utf8.hpp"

namespace ostrel {
namespace {

struct StringObject final : TextPayload {
  TextIndex index;
  uint64_t hash = 0;  // of the text as a dictionary key, once asked for; 0 until then
  explicit StringObject(std::string t) : TextPayload(std::move(t)) {}
  HeapObject* clone() const override { return new StringObject(*this); }
};

// A List or Tuple payload (its elements are a ListPayload's). Its blocks come from spare_blocks
// and go back there.
struct ListObject final : ListPayload {
  explicit ListObject(ValueList v) { items = std::move(v); }
  ListObject(ListPayload* list, size_t from) {
    viewed = list;
    first = from;
    ++list->refs;
  }
  ~ListObject() override {
    if (viewed) release(viewed);
  }
  HeapObject* clone() const override {
    ValueSpan all = elements();
    return new ListObject(ValueList(all.begin(), all.end()));
  }
  // Makes the elements this list's own, so that they can be changed.
  void own() {
    ValueSpan all = elements();
    items.assign(all.begin(), all.end());
    release(std::exchange(viewed, nullptr));
    first = 0;
  }
  static void* operator new(size_t size);
  static void operator delete(void* block);
};

// Blocks of freed ListObjects, kept for the next ones: walking a list by its tail makes a view a
// step and frees them all as the walk returns, more than malloc keeps at hand, which it then
// serves slowly. Each block's first word links to the next. Trivially destructed, so that a list
// freed at exit still finds it in place; values never cross threads.
struct SpareBlocks {
  void* first = nullptr;
  size_t count = 0;
};
thread_local SpareBlocks spare_blocks;

// At most this many are kept (under 256 KiB): a walk this deep runs on spare blocks only. The
// sanitizer build keeps none, so that it still catches a read of a freed list.
#ifdef OSTREL_ADDRESS_SANITIZER
constexpr size_t kSpareBlocks = 0;
#else
constexpr size_t kSpareBlocks = 4096;
#endif

void* ListObject::operator new(size_t size) {
  void* block = spare_blocks.first;
  if (!block) return ::operator new(size);
  spare_blocks.first = *static_cast<void**>(block);
  --spare_blocks.count;
  return block;
}

void ListObject::operator delete(void* block) {
  if (spare_blocks.count == kSpareBlocks) return ::operator delete(block);
  *static_cast<void**>(block) = spare_blocks.first;
  spare_blocks.first = block;
  ++spare_blocks.count;
}

// Tails shorter than this are copied: a view costs as much as a few elements.
constexpr size_t kShortestView = 16;

// Dictionaries up to this size are scanned: hashing the key would cost more.
constexpr size_t kScannedPairs = 8;

struct DictObject final : HeapObject {
  ValuePairs pairs;
  std::unique_ptr<KeyIndex> index;  // made by the first lookup; the pairs never change after
  explicit DictObject(ValuePairs p) : pairs(std::move(p)) {}
  HeapObject* clone() const override { return new DictObject(pairs); }

  // Whether lookups scan the pairs: a small dictionary, not indexed.
  bool scanned() const { return !index && pairs.size() <= kScannedPairs; }

  // The value of the first pair whose key `matches`; `indexed` finds its position by the index.
  template <class Indexed, class Matches>
  const Value* first_value(Indexed indexed, Matches matches) {
    if (!index && pairs.size() > kScannedPairs && pairs.size() < UINT32_MAX) index = std::make_unique<KeyIndex>(pairs);
    if (index) {
      size_t position = indexed(*index, pairs);
      return position == KeyIndex::npos ? nullptr : &pairs[position].second;
    }
    for (const auto& [candidate, value] : pairs) {
      if (matches(candidate)) return &value;
    }
    return nullptr;
  }
};

// Whether two String payloads hold the same text. Known hashes that differ answer at once, which
// is the usual answer while a dictionary's keys are scanned.
__attribute__((always_inline)) inline bool equal_texts(const StringObject* left, const StringObject* right) {
  if (left == right) return true;
  if (left->hash != right->hash && left->hash != 0 && right->hash != 0) return false;
  return left->text == right->text;
}

// One-character ASCII strings, shared by every indexing that yields one. Never freed: values
// holding them may outlive any static destructor.
const Value& ascii_character(unsigned char c) {
  static const Value* const table = [] {
    auto* strings = new Value[128];
    for (int i = 0; i < 128; ++i) strings[i] = Value::string(std::string(1, static_cast<char>(i)));
    return strings;
  }();
  return table[c];
}

// Payloads whose count reached zero while another one was being freed wait on this chain, so that
// freeing a value nested a million levels deep does not recurse a million times. The chain runs
// through the payloads themselves: freeing must not allocate, since it also runs while an
// out-of-memory error unwinds.
thread_local HeapObject* pending_releases = nullptr;
thread_local bool releasing = false;

// The open loan (see open_loan): the payload, its kind and its size when lent, in bytes or
// elements. The lender keeps the payload alive until the loan ends.
struct Loan {
  HeapObject* payload = nullptr;
  Value::Kind kind = Value::Kind::None;
  size_t size = 0;
};
thread_local Loan loan;

}  // namespace

void free_payload(HeapObject* object) {
  if (releasing) {
    object->next_to_free = pending_releases;
    pending_releases = object;
    return;
  }
  releasing = true;
  object->dispose();
  while (pending_releases) {
    HeapObject* next = pending_releases;
    pending_releases = next->next_to_free;
    next->dispose();
  }
  releasing = false;
}

Value Value::string(std::string text) { return Value(Kind::String, new StringObject(std::move(text))); }
// The ten digits are shared, as the characters that indexing yields are.
Value Value::decimal(int64_t number) {
  if (number >= 0 && number < 10) return ascii_character(static_cast<unsigned char>('0' + number));
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  return Value::string(std::string(digits, end));
}
Value Value::list(ValueList items) { return Value(Kind::List, new ListObject(std::move(items))); }
Value Value::tuple(ValueList items) { return Value(Kind::Tuple, new ListObject(std::move(items))); }
Value Value::dict(ValuePairs pairs) { return Value(Kind::Dict, new DictObject(std::move(pairs))); }
Value Value::function(HeapObject* data) { return Value(Kind::Function, data); }

const ValuePairs& Value::as_dict() const { return static_cast<DictObject*>(heap_)->pairs; }

// A loaned payload held twice is held by its lender, which cannot see it grow, and this value.
HeapObject* Value::unshare() {
  if (heap_->refs > 1 && !(heap_->refs == 2 && heap_ == loan.payload)) {
    HeapObject* copy = heap_->clone();
    release(heap_);
    heap_ = copy;
  }
  return heap_;
}

void open_loan(const Value& lender) {
  if (!lender.is(Value::Kind::String) && !lender.is(Value::Kind::List)) return;
  size_t size = lender.is(Value::Kind::String) ? lender.as_string().size() : lender.as_list().size();
  loan = {const_cast<HeapObject*>(lender.payload()), lender.kind(), size};
}

void close_loan() { loan.payload = nullptr; }

// What the failed statement added goes, and the room it took with it, as a copy would have gone
// (shrinking never throws). A list that still views another has not grown: one that grew owns
// its elements.
void undo_loan() {
  HeapObject* payload = std::exchange(loan.payload, nullptr);
  if (!payload) return;
  if (loan.kind == Value::Kind::String) {
    auto* text = static_cast<StringObject*>(payload);
    if (text->text.size() == loan.size) return;
    text->text.resize(loan.size);
    text->text.shrink_to_fit();
    text->index.forget();
    text->hash = 0;
  } else if (auto* list = static_cast<ListObject*>(payload); !list->viewed && list->items.size() != loan.size) {
    list->items.resize(loan.size);
    list->items.shrink_to_fit();
  }
}

void Value::append_text(std::string_view tail) {
  auto* object = static_cast<StringObject*>(unshare());
  size_t old_size = object->text.size();
  object->text.append(tail);
  object->index.appended(object->text, old_size);
  object->hash = 0;
}

ValueList& Value::shared_list_mut() {
  auto* list = static_cast<ListObject*>(unshare());
  if (list->viewed) list->own();
  return list->items;
}

namespace {

// Out of line, so that making a view, the usual case, saves no registers.
__attribute__((noinline)) Value list_of(ValueSpan elements) {
  return Value::list(ValueList(elements.begin(), elements.end()));
}

}  // namespace

// A view is taken of the list that owns the elements, so views never chain; and only while it
// keeps at least half of them, so that a short tail does not hold a long list alive (walking a
// list by its tail then copies a half, a quarter, ... of it: linear in all).
Value Value::tail(size_t first) const {
  auto* list = static_cast<ListObject*>(heap_);
  ValueSpan all = list->elements();
  first = std::min(first, all.size());
  if (first == 0) return *this;
  ListPayload* owner = list->viewed ? list->viewed : list;
  size_t start = first + list->first;
  size_t count = all.size() - first;
  if (count < kShortestView || count < owner->items.size() / 2)
    return list_of(ValueSpan(all.begin() + first, count));
  return Value(Kind::List, new ListObject(owner, start));
}

int64_t Value::character_count() const {
  auto* object = static_cast<StringObject*>(heap_);
  return object->index.count(object->text);
}

uint64_t Value::text_hash() const {
  auto* object = static_cast<StringObject*>(heap_);
  if (object->hash == 0) object->hash = ostrel::text_hash(object->text);
  return object->hash;
}

bool Value::texts_equal(const Value& other) const {
  return equal_texts(static_cast<StringObject*>(heap_), static_cast<StringObject*>(other.heap_));
}

Value Value::character_at(int64_t position) const {
  auto* object = static_cast<StringObject*>(heap_);
  auto [start, length] = object->index.character(object->text, position);
  auto first = static_cast<unsigned char>(object->text[start]);
  if (length == 1 && first < 128) return ascii_character(first);
  return Value::string(object->text.substr(start, length));
}

bool Value::character_into(int64_t position, Value& out) const {
  if (position >= character_count()) return false;
  out = character_at(position);
  return true;
}

namespace {

const StringObject* text_of(const Value& string) { return static_cast<const StringObject*>(string.payload()); }

// Whether `candidate` is a String holding the text of `wanted`.
bool holds_text(const Value& candidate, const StringObject* wanted) {
  return candidate.is(Value::Kind::String) && equal_texts(text_of(candidate), wanted);
}

// The value of the first of the pairs from `first` on whose key holds the text of `wanted`.
__attribute__((noinline)) const Value* text_from(const ValuePairs& pairs, const ValuePairs::value_type* first,
                                                 const StringObject* wanted) {
  for (const auto* pair = first; pair != pairs.data() + pairs.size(); ++pair) {
    if (holds_text(pair->first, wanted)) return &pair->second;
  }
  return nullptr;
}

// A String key of a dictionary that is indexed or about to be.
__attribute__((noinline)) const Value* find_indexed_text(DictObject& dict, const Value& key) {
  return dict.first_value([&](const KeyIndex& index, const ValuePairs& pairs) { return index.find_text(pairs, key); },
                          [&](const Value& candidate) { return holds_text(candidate, text_of(key)); });
}

// Keys of the other kinds; Int keys, the next most frequent, with a comparison of their own.
__attribute__((noinline)) const Value* find_other(DictObject& dict, const Value& key) {
  if (key.is(Value::Kind::Int)) {
    int64_t k = key.as_int();
    return dict.first_value(
        [&](const KeyIndex& index, const ValuePairs& pairs) { return index.find_integer(pairs, k); },
        [&](const Value& candidate) { return candidate.equals_integer(k); });
  }
  return dict.first_value([&](const KeyIndex& index, const ValuePairs& pairs) { return index.find(pairs, key); },
                          [&](const Value& candidate) { return candidate.equals(key); });
}

}  // namespace

// A String key of a small dictionary, the most frequent lookup (a member), is looked for by its
// payload first: keys written in the program share theirs with the member names and the other
// constants of the same text. The texts are compared only from the first key of the same length
// on, out of line, so that the lookups answered by payload need no frame.
const Value* Value::find(const Value& key) const {
  auto* dict = static_cast<DictObject*>(heap_);
  if (!key.is(Kind::String)) return find_other(*dict, key);
  if (!dict->scanned()) return find_indexed_text(*dict, key);
  const StringObject* wanted = text_of(key);
  for (const auto& pair : dict->pairs) {
    if (!pair.first.is(Kind::String)) continue;
    const StringObject* text = text_of(pair.first);
    if (text == wanted) return &pair.second;
    if (text->text.size() == wanted->text.size()) return text_from(dict->pairs, &pair, wanted);
  }
  return nullptr;
}

// A case per kind: a kind without its name does not compile.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
const char* Value::type_name() const {
  switch (kind_) {
    case Kind::Int: return "Int";
    case Kind::Float: return "Float";
    case Kind::String: return "String";
    case Kind::Bool: return "Bool";
    case Kind::List: return "List";
    case Kind::Dict: return "Dict";
    case Kind::Tuple: return "Tuple";
    case Kind::Function: return "Function";
    case Kind::BuiltinFn: return "BuiltinFn";
    case Kind::None: return "None";
  }
  return "None";
}
#pragma GCC diagnostic pop

namespace {

bool is_container(const Value& v) {
  return v.is(Value::Kind::List) || v.is(Value::Kind::Tuple) || v.is(Value::Kind::Dict);
}

size_t element_steps(const Value& v) {
  return v.is(Value::Kind::Dict) ? v.as_dict().size() * 2 : v.as_list().size();
}

// Every kind but String, Dict, List and Tuple.
void display_scalar(const Value& v, std::string& out) {
  switch (v.kind()) {
    case Value::Kind::Int: out += std::to_string(v.as_int()); break;
    case Value::Kind::Float: out += float_display(v.as_float()); break;
    case Value::Kind::Bool: out += v.as_bool() ? "True" : "False"; break;
    case Value::Kind::Function: out += "<function>"; break;
    case Value::Kind::BuiltinFn: out += "<builtin:"; out += v.as_builtin().name; out += '>'; break;
    default: out += "None"; break;
  }
}

char opening(const Value& v) { return v.is(Value::Kind::List) ? '[' : v.is(Value::Kind::Dict) ? '{' : '('; }
char closing(const Value& v) { return v.is(Value::Kind::List) ? ']' : v.is(Value::Kind::Dict) ? '}' : ')'; }

size_t saturating_add(size_t a, size_t b) { return a > SIZE_MAX - b ? SIZE_MAX : a + b; }

size_t decimal_digits(int64_t number) {
  uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
  size_t digits = number < 0 ? 2 : 1;
  while (magnitude >= 10) {
    magnitude /= 10;
    ++digits;
  }
  return digits;
}

size_t scalar_display_size(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Int: return decimal_digits(v.as_int());
    case Value::Kind::Float: return float_display(v.as_float()).size();
    case Value::Kind::String: return v.as_string().size();
    case Value::Kind::Bool: return v.as_bool() ? 4 : 5;
    case Value::Kind::Function: return std::strlen("<function>");
    case Value::Kind::BuiltinFn: return std::strlen("<builtin:>") + v.as_builtin().name.size();
    default: return std::strlen("None");
  }
}

// Brackets and separators: ", " between items, ": " inside each pair of a dictionary.
size_t punctuation_size(const Value& container) {
  size_t items = container.is(Value::Kind::Dict) ? container.as_dict().size() : container.as_list().size();
  size_t size = 2 + (items ? 2 * (items - 1) : 0);
  return container.is(Value::Kind::Dict) ? size + 2 * items : size;
}

// How much of a display too large for memory an error message shows.
constexpr size_t kMessagePrefixBytes = 200;
// How many copies of a display an error message makes on its way out, at most.
constexpr size_t kMessageCopies = 4;

// Displays up to this size are built without being measured first.
constexpr size_t kUnmeasuredBytes = size_t{16} << 20;

// More than any value but a string adds at once: the longest float has a few hundred digits.
constexpr size_t kScalarRoom = 512;

}  // namespace

size_t Value::display_size() const {
  struct Frame {
    const Value* container;
    size_t step;
    size_t size;
  };
  std::vector<Frame> stack;
  std::unordered_map<const HeapObject*, size_t> shared_sizes;
  size_t result = 0;
  auto add = [&](size_t size) {
    if (stack.empty()) result = size;
    else stack.back().size = saturating_add(stack.back().size, size);
  };
  auto visit = [&](const Value& v) {
    if (!is_container(v)) return add(scalar_display_size(v));
    if (v.payload()->refs > 1) {
      auto known = shared_sizes.find(v.payload());
      if (known != shared_sizes.end()) return add(known->second);
    }
    stack.push_back({&v, 0, punctuation_size(v)});
  };
  visit(*this);
  while (!stack.empty()) {
    Frame& top = stack.back();
    const Value& container = *top.container;
    if (top.step == element_steps(container)) {
      size_t size = top.size;
      stack.pop_back();
      if (container.payload()->refs > 1) shared_sizes.emplace(container.payload(), size);
      add(size);
      continue;
    }
    size_t step = top.step++;
    if (!container.is(Value::Kind::Dict)) {
      visit(container.as_list()[step]);
    } else {
      const auto& pair = container.as_dict()[step / 2];
      visit(step % 2 == 0 ? pair.first : pair.second);
    }
  }
  return result;
}

// Iterative, so that nesting depth is bounded by memory rather than by the native stack. A value
// that holds one list many times over can display to far more text than memory holds: once the
// text passes kUnmeasuredBytes the whole display is measured, and one that would not fit in the
// free memory throws std::bad_alloc at once, as a failed allocation would, instead of being
// built until the kernel kills the process; one that fits gets all its room in one go.
void Value::display_to(std::string& out, size_t max_bytes) const {
  struct Frame {
    const Value* container;
    size_t step;
  };
  std::vector<Frame> stack;
  size_t start = out.size();
  size_t unmeasured_end = saturating_add(start, kUnmeasuredBytes);
  auto make_room = [&](size_t extra) {
    if (saturating_add(out.size(), extra) <= unmeasured_end) return;
    unmeasured_end = SIZE_MAX;
    size_t needed = std::min(saturating_add(start, display_size()), max_bytes);
    if (!fits_in_memory(needed, 1)) throw std::bad_alloc();
    out.reserve(needed + kScalarRoom);
  };
  auto emit = [&](const Value& v) {
    if (v.is(Kind::String)) {  // beyond the limit only as much as is asked for
      size_t length = std::min(v.as_string().size(), max_bytes - std::min(max_bytes, out.size()));
      make_room(length);
      out.append(v.as_string(), 0, length);
      return;
    }
    make_room(kScalarRoom);
    if (!is_container(v)) return display_scalar(v, out);
    out += opening(v);
    stack.push_back({&v, 0});
  };
  emit(*this);
  while (!stack.empty() && out.size() < max_bytes) {
    make_room(kScalarRoom);
    Frame& top = stack.back();
    const Value& container = *top.container;
    if (top.step == element_steps(container)) {
      out += closing(container);
      stack.pop_back();
      continue;
    }
    size_t step = top.step++;
    if (container.is(Kind::Dict)) {
      const auto& pair = container.as_dict()[step / 2];
      if (step % 2 == 0) {
        if (step > 0) out += ", ";
        emit(pair.first);
      } else {
        out += ": ";
        emit(pair.second);
      }
    } else {
      if (step > 0) out += ", ";
      emit(container.as_list()[step]);
    }
  }
}

std::string Value::display() const {
  std::string out;
  display_to(out);
  return out;
}

// A message is built from the display and copied on its way out (formatted, prefixed, written),
// so the display is shown whole only when a few copies of it fit in the free memory.
std::string Value::display_in_message() const {
  if (fits_in_memory(display_size(), kMessageCopies)) return display();
  std::string shown;
  display_to(shown, kMessagePrefixBytes);
  size_t cut = std::min(shown.size(), kMessagePrefixBytes);
  while (cut > 0 && is_continuation_byte(shown[cut])) --cut;  // not inside a character
  shown.resize(cut);
  return shown + "...";
}

namespace {

// Equality of two values that are not both lists.
bool scalar_equals(const Value& a, const Value& b) {
  using K = Value::Kind;
  switch (a.kind()) {
    case K::Int:
      if (b.is(K::Int)) return a.as_int() == b.as_int();
      return b.is(K::Float) && static_cast<double>(a.as_int()) == b.as_float();
    case K::Float:
      if (b.is(K::Float)) return a.as_float() == b.as_float();
      return b.is(K::Int) && a.as_float() == static_cast<double>(b.as_int());
    case K::String: return b.is(K::String) && a.as_string() == b.as_string();
    case K::Bool: return b.is(K::Bool) && a.as_bool() == b.as_bool();
    case K::None: return b.is(K::None);
    default: return false;
  }
}

}  // namespace

namespace {

// Two list payloads met side by side during one comparison.
using ListPair = std::pair<const HeapObject*, const HeapObject*>;

struct ListPairHash {
  size_t operator()(const ListPair& pair) const {
    size_t left = std::hash<const void*>()(pair.first);
    return left ^ (std::hash<const void*>()(pair.second) + 0x9e3779b97f4a7c15ULL + (left << 6) + (left >> 2));
  }
};

// A payload held by one value only can be met again only through a shared container around it,
// whose pair is remembered already; so only pairs with a shared side are worth remembering.
bool worth_remembering(const Value& a, const Value& b) { return a.payload()->refs > 1 || b.payload()->refs > 1; }

}  // namespace

// Lists compare element by element; iterative for the same reason as display. A list that holds
// one list several times over, at several levels, has exponentially many paths to its elements,
// so pairs of payloads found equal are remembered for the rest of the comparison and not compared
// again. Any difference ends the comparison, so every pair whose elements were all compared is
// equal; two copies of one payload are not taken as equal unseen, since a list holding NaN is
// not equal to itself.
bool Value::equals_non_integer(const Value& other) const {
  struct Frame {
    ValueSpan left;
    ValueSpan right;
    ListPair payloads;
    size_t index;
    bool remember;
  };
  auto both_lists = [](const Value& a, const Value& b) { return a.is(Kind::List) && b.is(Kind::List); };
  if (!both_lists(*this, other)) return scalar_equals(*this, other);
  if (as_list().size() != other.as_list().size()) return false;
  std::vector<Frame> stack{{as_list(), other.as_list(), {}, 0, false}};
  std::unordered_set<ListPair, ListPairHash> equal_pairs;
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.index == top.left.size()) {
      if (top.remember) equal_pairs.insert(top.payloads);
      stack.pop_back();
      continue;
    }
    const Value& a = top.left[top.index];
    const Value& b = top.right[top.index];
    ++top.index;
    if (both_lists(a, b)) {
      if (a.as_list().size() != b.as_list().size()) return false;
      bool remember = worth_remembering(a, b);
      ListPair payloads{a.payload(), b.payload()};
      if (remember && equal_pairs.count(payloads)) continue;
      stack.push_back({a.as_list(), b.as_list(), payloads, 0, remember});
    } else if (!scalar_equals(a, b)) {
      return false;
    }
  }
  return true;
}

}  // namespace ostrel
