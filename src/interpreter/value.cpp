#include "interpreter/value.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>

#include "interpreter/builtins.hpp"
#include "interpreter/key_index.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/text_index.hpp"
#include "support/text_format.hpp"

namespace ostrel {
namespace {

struct StringObject final : HeapObject {
  std::string text;
  TextIndex index;
  uint64_t hash = 0;  // of the text as a dictionary key, once asked for; 0 until then
  explicit StringObject(std::string t) : text(std::move(t)) {}
  HeapObject* clone() const override { return new StringObject(*this); }
};

struct ListObject final : HeapObject {
  ValueList items;
  explicit ListObject(ValueList v) : items(std::move(v)) {}
  HeapObject* clone() const override { return new ListObject(items); }
};

// Dictionaries up to this size are scanned: hashing the key would cost more.
constexpr size_t kScannedPairs = 8;

struct DictObject final : HeapObject {
  ValuePairs pairs;
  std::unique_ptr<KeyIndex> index;  // made by the first lookup; the pairs never change after
  explicit DictObject(ValuePairs p) : pairs(std::move(p)) {}
  HeapObject* clone() const override { return new DictObject(pairs); }

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
Value Value::list(ValueList items) { return Value(Kind::List, new ListObject(std::move(items))); }
Value Value::tuple(ValueList items) { return Value(Kind::Tuple, new ListObject(std::move(items))); }
Value Value::dict(ValuePairs pairs) { return Value(Kind::Dict, new DictObject(std::move(pairs))); }
Value Value::function(HeapObject* data) { return Value(Kind::Function, data); }

const std::string& Value::as_string() const { return static_cast<StringObject*>(heap_)->text; }
const ValueList& Value::as_list() const { return static_cast<ListObject*>(heap_)->items; }
const ValuePairs& Value::as_dict() const { return static_cast<DictObject*>(heap_)->pairs; }

HeapObject* Value::unshare() {
  if (heap_->refs > 1) {
    HeapObject* copy = heap_->clone();
    release(heap_);
    heap_ = copy;
  }
  return heap_;
}

void Value::append_text(std::string_view tail) {
  auto* object = static_cast<StringObject*>(unshare());
  size_t old_size = object->text.size();
  object->text.append(tail);
  object->index.appended(object->text, old_size);
  object->hash = 0;
}

ValueList& Value::list_mut() { return static_cast<ListObject*>(unshare())->items; }

int64_t Value::character_count() const {
  auto* object = static_cast<StringObject*>(heap_);
  return object->index.count(object->text);
}

uint64_t Value::text_hash() const {
  auto* object = static_cast<StringObject*>(heap_);
  if (object->hash == 0) object->hash = ostrel::text_hash(object->text);
  return object->hash;
}

bool Value::same_text(const Value& other) const {
  return heap_ == other.heap_ || as_string() == other.as_string();
}

Value Value::character_at(int64_t position) const {
  auto* object = static_cast<StringObject*>(heap_);
  auto [start, length] = object->index.character(object->text, position);
  auto first = static_cast<unsigned char>(object->text[start]);
  if (length == 1 && first < 128) return ascii_character(first);
  return Value::string(object->text.substr(start, length));
}

// String keys, the most frequent, are compared as text with the hash their payload keeps.
const Value* Value::find(const Value& key) const {
  auto* dict = static_cast<DictObject*>(heap_);
  if (key.is(Kind::String)) {
    const std::string& text = key.as_string();
    return dict->first_value(
        [&](const KeyIndex& index, const ValuePairs& pairs) { return index.find_text(pairs, text, key.text_hash()); },
        [&](const Value& candidate) { return candidate.is(Kind::String) && candidate.as_string() == text; });
  }
  return dict->first_value([&](const KeyIndex& index, const ValuePairs& pairs) { return index.find(pairs, key); },
                           [&](const Value& candidate) { return candidate.equals(key); });
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

// Room for `extra` more bytes of `out`. A value that holds one list many times over can display
// to far more text than memory holds; growing beyond the free memory throws std::bad_alloc, as
// a failed allocation would, instead of being granted and then killed by the kernel.
void make_room(std::string& out, size_t extra) {
  size_t needed = out.size() + extra;
  if (needed <= out.capacity()) return;
  size_t grown = std::max(needed, out.capacity() * 2);
  if (!fits_in_memory(grown, 1)) throw std::bad_alloc();
  out.reserve(grown);
}

// More than any value but a string adds at once: the longest float has a few hundred digits.
constexpr size_t kScalarRoom = 512;

}  // namespace

// Iterative, so that nesting depth is bounded by memory rather than by the native stack.
void Value::display_to(std::string& out, size_t max_bytes) const {
  struct Frame {
    const Value* container;
    size_t step;
  };
  std::vector<Frame> stack;
  auto emit = [&](const Value& v) {
    if (v.is(Kind::String)) {  // beyond the limit only as much as is asked for
      size_t length = std::min(v.as_string().size(), max_bytes - std::min(max_bytes, out.size()));
      make_room(out, length);
      out.append(v.as_string(), 0, length);
      return;
    }
    make_room(out, kScalarRoom);
    if (!is_container(v)) return display_scalar(v, out);
    out += opening(v);
    stack.push_back({&v, 0});
  };
  emit(*this);
  while (!stack.empty() && out.size() < max_bytes) {
    make_room(out, kScalarRoom);
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
using ListPair = std::pair<const ValueList*, const ValueList*>;

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
bool Value::equals(const Value& other) const {
  struct Frame {
    const ValueList* left;
    const ValueList* right;
    size_t index;
    bool remember;
  };
  auto both_lists = [](const Value& a, const Value& b) { return a.is(Kind::List) && b.is(Kind::List); };
  if (!both_lists(*this, other)) return scalar_equals(*this, other);
  if (as_list().size() != other.as_list().size()) return false;
  std::vector<Frame> stack{{&as_list(), &other.as_list(), 0, false}};
  std::unordered_set<ListPair, ListPairHash> equal_pairs;
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.index == top.left->size()) {
      if (top.remember) equal_pairs.insert({top.left, top.right});
      stack.pop_back();
      continue;
    }
    const Value& a = (*top.left)[top.index];
    const Value& b = (*top.right)[top.index];
    ++top.index;
    if (both_lists(a, b)) {
      if (a.as_list().size() != b.as_list().size()) return false;
      bool remember = worth_remembering(a, b);
      if (remember && equal_pairs.count({&a.as_list(), &b.as_list()})) continue;
      stack.push_back({&a.as_list(), &b.as_list(), 0, remember});
    } else if (!scalar_equals(a, b)) {
      return false;
    }
  }
  return true;
}

}  // namespace ostrel
