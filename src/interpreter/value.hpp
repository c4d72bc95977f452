#pragma once
// A runtime value. Scalars are held inline; strings, lists, dictionaries, tuples and functions
// live in reference-counted payloads that are never changed while shared, so copying a value is
// a count increment and no script can tell it from a deep copy. A payload held by one value only
// may be changed in place (the *_mut accessors copy a shared payload first), and so may one held
// by a variable that loaned it (see open_loan) and one value more.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ostrel {

class Value;
struct Builtin;  // a predefined function's table entry (builtins.hpp)

// Base of every heap payload. The count is not atomic: values never cross threads.
struct HeapObject {
  union {
    uint32_t refs = 1;
    HeapObject* next_to_free;  // once the count is zero: the chain of payloads waiting to be freed
  };
  HeapObject() = default;
  HeapObject(const HeapObject&) : refs(1) {}  // a copy starts with its own single reference
  HeapObject& operator=(const HeapObject&) = delete;
  virtual ~HeapObject() = default;
  virtual HeapObject* clone() const = 0;
  // Called when the last reference goes.
  virtual void dispose() { delete this; }
};

// Frees a payload whose last reference went; without recursion, so deeply nested values are safe.
void free_payload(HeapObject* object);

// Drops one reference.
inline void release(HeapObject* object) {
  if (--object->refs == 0) free_payload(object);
}

// The text of a String payload, seen from here so that reading it costs no call (value.cpp
// keeps the rest of the payload).
struct TextPayload : HeapObject {
  std::string text;
  explicit TextPayload(std::string t) : text(std::move(t)) {}
};

using ValueList = std::vector<Value>;
using ValuePairs = std::vector<std::pair<Value, Value>>;
class ValueSpan;

class Value {
 public:
  enum class Kind : uint8_t { Int, Float, String, Bool, List, Dict, Tuple, Function, BuiltinFn, None };

  Value() : kind_(Kind::None), int_(0) {}
  static Value integer(int64_t v) { Value r(Kind::Int); r.int_ = v; return r; }
  static Value floating(double v) { Value r(Kind::Float); r.float_ = v; return r; }
  static Value boolean(bool v) { Value r(Kind::Bool); r.int_ = v; return r; }
  static Value none() { return Value(); }
  static Value string(std::string text);
  // A String of the decimal digits of `number`, as it displays.
  static Value decimal(int64_t number);
  static Value builtin(const Builtin& entry) { Value r(Kind::BuiltinFn); r.builtin_ = &entry; return r; }
  static Value list(ValueList items);
  static Value tuple(ValueList items);
  static Value dict(ValuePairs pairs);
  // A Function value over the evaluator's payload; takes over the caller's reference.
  static Value function(HeapObject* data);

  Value(const Value& other) : kind_(other.kind_), int_(other.int_) {
    if (is_heap()) ++heap_->refs;
  }
  Value(Value&& other) noexcept : kind_(other.kind_), int_(other.int_) { other.kind_ = Kind::None; }
  // What this held is released last: `other` may live inside it.
  Value& operator=(const Value& other) {
    if (other.is_heap()) ++other.heap_->refs;
    take_over(other.kind_, other.int_);
    return *this;
  }
  Value& operator=(Value&& other) noexcept {
    Kind kind = other.kind_;
    other.kind_ = Kind::None;
    take_over(kind, other.int_);
    return *this;
  }
  ~Value() {
    if (is_heap()) release(heap_);
  }
  // Makes this the Int or Bool `v` without a value to move in.
  void set_int(int64_t v) { take_over(Kind::Int, v); }
  void set_bool(bool v) { take_over(Kind::Bool, v); }
  // Makes this None, releasing what it held. The payload word of None is never read (a moved-from
  // value keeps its own too): frames are cleared slot by slot, so one store less each counts.
  void reset() noexcept {
    if (is_heap()) release(heap_);
    kind_ = Kind::None;
  }

  Kind kind() const { return kind_; }
  bool is(Kind k) const { return kind_ == k; }
  bool is_none() const { return kind_ == Kind::None; }

  int64_t as_int() const { return int_; }
  double as_float() const { return float_; }
  bool as_bool() const { return int_ != 0; }
  const std::string& as_string() const { return static_cast<const TextPayload*>(heap_)->text; }
  const Builtin& as_builtin() const { return *builtin_; }
  inline ValueSpan as_list() const;  // List and Tuple: the elements, valid while this holds them
  const ValuePairs& as_dict() const;
  const HeapObject* payload() const { return heap_; }  // Function: the evaluator's payload

  // In-place changes; a payload shared with other values is copied first.
  void append_text(std::string_view tail);  // String
  inline ValueList& list_mut();
  // List: the elements from `first` on (at most the list's size) as a List. A long tail shares
  // this list's storage instead of being copied, so walking a list by its tail costs constant
  // time and memory per step.
  Value tail(size_t first) const;

  // String: its number of characters, and the character at `position` (0 <= position < count)
  // as a String. Constant time once the text has been looked at (see TextIndex).
  int64_t character_count() const;
  Value character_at(int64_t position) const;
  // String: the character at `position` (not negative) into `out`, which may hold this string;
  // false when there is none, past the end. Indexing in a loop: one call for both steps.
  bool character_into(int64_t position, Value& out) const;
  // String: text_hash (key_index.hpp) of the text, kept with the payload so that a key looked
  // up again and again is hashed once.
  uint64_t text_hash() const;
  // String: whether the String `other` holds the same text. Constants of one program with the
  // same text share their payload, which answers at once; known hashes rule most others out.
  bool same_text(const Value& other) const { return heap_ == other.heap_ || texts_equal(other); }

  // Dict: the value of the first pair whose key equals `key` (by `equals`), or null. Hashed
  // beyond a few pairs (see KeyIndex).
  const Value* find(const Value& key) const;

  // The display form users see ("[1, 2.5, a b]", "True", "<builtin:len>"). Throws
  // std::bad_alloc when the text would not fit in the free memory. `display_to` may stop once
  // `out` holds `max_bytes` or more.
  std::string display() const;
  void display_to(std::string& out, size_t max_bytes = SIZE_MAX) const;
  // The length of the display form, found without building it (SIZE_MAX when larger): a payload
  // met more than once is measured once, so a list that holds one list many times over, at many
  // levels, is measured in time linear in its payloads.
  size_t display_size() const;
  // The display form inside an error message: whole, or when that would not fit in memory its
  // first bytes and "...", so that the message still tells what went wrong.
  std::string display_in_message() const;
  // Equality as the language defines it (Int and Float compare numerically; dicts, tuples and
  // functions are never equal). Inline for an Int, the most frequent key and literal.
  bool equals(const Value& other) const {
    if (kind_ == Kind::Int) return other.equals_integer(int_);
    return equals_non_integer(other);
  }
  // equals(Value::integer(k)), without making that value.
  bool equals_integer(int64_t k) const {
    if (kind_ == Kind::Int) return int_ == k;
    return kind_ == Kind::Float && float_ == static_cast<double>(k);
  }
  // "Int", "Float", "String", ... as returned by the builtin `type`.
  const char* type_name() const;

 private:
  explicit Value(Kind k) : kind_(k), int_(0) {}
  Value(Kind k, HeapObject* object) : kind_(k), heap_(object) {}
  // One bit test: this runs on every copy, move-assignment and destruction of a value.
  static constexpr uint32_t kHeapKinds = 1u << static_cast<int>(Kind::String) | 1u << static_cast<int>(Kind::List) |
                                         1u << static_cast<int>(Kind::Dict) | 1u << static_cast<int>(Kind::Tuple) |
                                         1u << static_cast<int>(Kind::Function);
  bool is_heap() const { return (kHeapKinds >> static_cast<int>(kind_)) & 1u; }
  // Holds `kind` and `bits` (whose reference, if any, is counted already), then releases what
  // it held before.
  void take_over(Kind kind, int64_t bits) noexcept {
    if (!is_heap()) {
      kind_ = kind;
      int_ = bits;
      return;
    }
    HeapObject* old = heap_;
    kind_ = kind;
    int_ = bits;
    release(old);
  }
  HeapObject* unshare();
  ValueList& shared_list_mut();  // list_mut for the other lists
  bool equals_non_integer(const Value& other) const;
  bool texts_equal(const Value& other) const;  // String: same_text for two payloads

  Kind kind_;
  union {
    int64_t int_;  // also a Bool, as 0 or 1: written whole, it can be copied whole at once
    double float_;
    HeapObject* heap_;
    const Builtin* builtin_;  // a table entry, which outlives every value
  };
};

// A loan of a variable's String or List to the statement that replaces it, when nothing can read
// the variable until then but a failure of the statement must leave it as it was (a global of the
// REPL: a function reads the globals it captured when it was made, never the variables). While
// the loan is open the payload grows in place when held by the variable and one value more, as it
// would had the variable let go of it. Growth at the end is the only change a payload gets, so a
// failed statement cuts it back to the size it had. One loan at a time: the statement assigns
// nothing else meanwhile, and only top-level statements lend.
void open_loan(const Value& lender);
// The statement replaces the variable.
void close_loan();
// The statement failed and every other holder of the payload is gone: the variable holds what it
// held when it lent it.
void undo_loan();

// Consecutive values wherever they are kept (a list's storage, or a few values on the C++ stack),
// read only.
class ValueSpan {
 public:
  ValueSpan(const Value* values, size_t count) : values_(values), count_(count) {}
  // Implicit: a vector is read as it stands.
  ValueSpan(const ValueList& values) : values_(values.data()), count_(values.size()) {}
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  const Value& operator[](size_t i) const { return values_[i]; }
  const Value* begin() const { return values_; }
  const Value* end() const { return values_ + count_; }

 private:
  const Value* values_;
  size_t count_;
};

// The elements of a List or Tuple payload, seen from here so that reading them costs no call
// (value.cpp keeps the rest of the payload): its own, or those of another list from `first` on
// (a view, made by Value::tail). The list viewed is never changed while the view holds a
// reference to it, and is never a view itself.
struct ListPayload : HeapObject {
  ValueList items;
  ListPayload* viewed = nullptr;
  size_t first = 0;

  ValueSpan elements() const {
    if (!viewed) return items;
    return ValueSpan(viewed->items.data() + first, viewed->items.size() - first);
  }
};

ValueSpan Value::as_list() const { return static_cast<const ListPayload*>(heap_)->elements(); }

// A list held by this value only, with its own elements, is changed as it is: appending in a
// loop does this once a step.
ValueList& Value::list_mut() {
  auto* list = static_cast<ListPayload*>(heap_);
  if (list->refs == 1 && !list->viewed) return list->items;
  return shared_list_mut();
}

}  // namespace ostrel
