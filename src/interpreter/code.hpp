#pragma once
// The lowered form of a program, from which its instructions are compiled (which point into
// it): the syntax tree with every name resolved to slots, its literals turned into values, the
// branches of a conditional in one list and the shapes of in-place updates (`xs = append(xs, v)`,
// `s += t`) and of walked ranges marked. Function bodies live in shared FunctionCode that every
// function value made from them keeps alive, so values outlive the tree they came from.
//
// Variables live in slots: the global table's (the top level's own scope) or the running
// frame's (parameters, the function's own name, the values a function captured, and one slot
// per name of each block, loop, comprehension and match arm, the arms of one match sharing the
// slots of their pattern names). A slot may be unbound (see variables.hpp).
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ast/ast.hpp"
#include "interpreter/builtins.hpp"
#include "interpreter/instructions.hpp"
#include "interpreter/symbols.hpp"
#include "interpreter/value.hpp"

namespace ostrel::code {

enum class ExprKind : uint8_t {
  Constant, Name, List, Tuple, Dict, Binary, Unary, Pipe, Call, Index, Member,
  If, For, While, Match, Lambda, Comprehension, Block, Assign, CompoundAssign,
};

struct Expr {
  explicit Expr(ExprKind k) : kind(k) {}
  virtual ~Expr() = default;
  Expr(const Expr&) = delete;
  Expr& operator=(const Expr&) = delete;
  const ExprKind kind;
};
using ExprPtr = std::unique_ptr<Expr>;

template <ExprKind K>
struct Node : Expr {
  Node() : Expr(K) {}
};

struct Stmt;
struct FunctionCode;

// A variable's place: a slot of the running frame, or of the global table.
struct Slot {
  uint32_t index = 0;
  bool global = false;
};

// A name where the code reads or assigns it: the slots that may hold it there, innermost scope
// first. The first bound one is the variable; when none is, reading fails and assigning binds
// the first (which is then the innermost scope's own). Before a slot that is always bound (a
// parameter, a loop's variable, a global bound when the statement was lowered), only declared
// slots are listed.
struct Ref {
  Symbol name = 0;
  std::vector<Slot> slots;
  bool always_bound = false;  // the last slot is such a slot: reading the name cannot fail
};

// The slots of a block, loop, comprehension or match arm, unbound again when it ends.
using ScopeSlots = std::vector<uint32_t>;

// A function or lambda as the code makes it: its code, and where the values it captures are
// read at that moment (one per name in FunctionCode::capture_slots).
struct Closure {
  std::shared_ptr<const FunctionCode> code;
  std::vector<Ref> captures;
};

struct Constant final : Node<ExprKind::Constant> { Value value; };
struct Name final : Node<ExprKind::Name> { Ref ref; };
// List and tuple literals.
struct Elements final : Expr {
  explicit Elements(ExprKind k) : Expr(k) {}
  std::vector<ExprPtr> elements;
};
struct DictLiteral final : Node<ExprKind::Dict> { std::vector<std::pair<ExprPtr, ExprPtr>> entries; };
struct Binary final : Node<ExprKind::Binary> {
  ast::BinaryOperator op{};
  ExprPtr left, right;
};
struct Unary final : Node<ExprKind::Unary> {
  ast::UnaryOperator op{};
  ExprPtr operand;
};
struct Pipe final : Node<ExprKind::Pipe> { ExprPtr left, right; };
// A range(...) call walked without building it while `range` (and `walker`) are still the
// builtins: the iterable of a loop or comprehension, or the list argument of map, filter or sum.
struct WalkedRange {
  BuiltinKind walker = BuiltinKind::Plain;  // Map, Filter or Sum; Plain for loops and comprehensions
  bool collects = false;  // one result per element (map, a comprehension without a condition)
};
struct Call final : Node<ExprKind::Call> {
  ExprPtr callee;
  std::vector<ExprPtr> arguments;
  // `map(f, range(...))`, `filter(f, range(...))` or `sum(range(...))`.
  std::optional<WalkedRange> walked_range;
  // Map or Filter for a call `map(f, xs)` or `filter(f, xs)`: while the name stands for that
  // builtin, the dispatch loop walks xs and calls f for each element itself.
  BuiltinKind mapping = BuiltinKind::Plain;
  // Length or Text for a call `len(x)` or `str(x)`: while the name stands for that builtin, the
  // dispatch loop counts x or writes its digits itself when it can.
  BuiltinKind computed = BuiltinKind::Plain;
};
struct Index final : Node<ExprKind::Index> { ExprPtr target, index; };
struct Member final : Node<ExprKind::Member> {
  ExprPtr object;
  Value name;  // a String, whose payload keeps its hash as a key
};
// The then-branch and the elif branches as (condition, body) pairs in order.
struct If final : Node<ExprKind::If> {
  std::vector<std::pair<ExprPtr, ExprPtr>> branches;
  ExprPtr otherwise;  // null when there is no else
};
struct For final : Node<ExprKind::For> {
  uint32_t variable = 0;
  ScopeSlots scope;
  ExprPtr iterable, body;
  std::optional<WalkedRange> walked_range;  // when the iterable is a call of the name range
};
struct While final : Node<ExprKind::While> { ExprPtr condition, body; };

struct Pattern {
  // Never: constructor patterns, and literal patterns over anything but a literal.
  enum class Kind : uint8_t { Wildcard, Literal, Name, Tuple, List, Never };
  Kind kind = Kind::Wildcard;
  uint32_t name = 0;              // Name: a frame slot
  Value literal;                  // Literal
  std::vector<Pattern> elements;  // Tuple and List
  std::optional<uint32_t> rest;   // List
};
struct Arm {
  ScopeSlots scope;     // the pattern's names first, then those the guard and body assign
  ScopeSlots assigned;  // the names of `scope` the pattern does not bind
  Pattern pattern;
  ExprPtr guard;  // null when the arm has none
  ExprPtr body;
};
struct Match final : Node<ExprKind::Match> {
  ExprPtr scrutinee;
  std::vector<Arm> arms;
  ScopeSlots shared;  // the slots the arms' pattern names share
};

struct Lambda final : Node<ExprKind::Lambda> { Closure closure; };
struct Comprehension final : Node<ExprKind::Comprehension> {
  ExprPtr element;
  uint32_t variable = 0;
  ScopeSlots scope;
  ExprPtr iterable;
  ExprPtr condition;  // null when absent
  std::optional<WalkedRange> walked_range;  // when the iterable is a call of the name range
};
struct Block final : Node<ExprKind::Block> {
  std::vector<Stmt> statements;
  ScopeSlots scope;
};

// Assignments whose new value extends the target's own value, done in place when nothing else
// holds that value: `x = x + e` (Add) and `x = append(x, e)` (Append).
enum class InPlace : uint8_t { No, Add, Append };
struct Assign final : Node<ExprKind::Assign> {
  std::optional<Ref> target;  // absent: not a name, which fails once the value is evaluated
  ExprPtr value;
  InPlace in_place = InPlace::No;
};
struct CompoundAssign final : Node<ExprKind::CompoundAssign> {
  ast::BinaryOperator op{};
  std::optional<Ref> target;  // absent: not a name
  ExprPtr current;               // the target, evaluated as an expression
  ExprPtr value;
};

// A call's frame holds frame_size slots: first those of the variables (the function's own name,
// bound to the function so that a declared function can call itself, the parameters and the
// captured values, all bound before the body runs, and the body's own, which start unbound),
// then the dispatch loop's temporaries.
struct FunctionCode {
  std::optional<uint32_t> self_slot;  // absent for lambdas; the frame's first slot
  // Nothing but the call puts a value in the own name's slot: a call from the dispatch loop
  // lends it the function the caller holds instead of counting one more reference to it.
  bool self_borrowed = false;
  std::vector<uint32_t> param_slots;  // a name given twice has one slot: the later argument wins
  std::vector<uint32_t> capture_slots;
  // How a call fills the frame. When the parameters have slots of their own, one after the other
  // up to bound_on_entry, and the own name's slot, if any, is borrowed, the arguments move in as
  // a block of `param_count` (Block), followed by the captured values if there are any
  // (BlockAndCaptures); otherwise each goes to its slot (General).
  enum class Entry : uint8_t { Block, BlockAndCaptures, General };
  Entry entry = Entry::General;
  uint32_t param_count = 0;
  uint32_t bound_on_entry = 0;  // the own name's and parameters' slots, first in the frame
  uint32_t variables = 0;       // slots for variables; the dispatch loop's temporaries follow
  uint32_t frame_size = 0;
  ExprPtr body;
  Chunk instructions;  // the body's, the way the dispatch loop runs it
};

struct Stmt {
  // Nothing: imports and type, data, trait and instance definitions, which have no effect.
  enum class Kind : uint8_t { Declare, Function, Evaluate, Return, Nothing };
  Kind kind = Kind::Nothing;
  Slot slot;         // Declare, Function: the innermost scope's slot of the name
  ExprPtr expr;      // Declare, Evaluate, Return (null: bare return)
  Closure function;  // Function
};

// One top-level statement, lowered just before it runs; its blocks, loops and arms take
// frame_size slots of a frame of its own. Its instructions point into it: it never moves.
struct TopLevel {
  TopLevel() = default;
  TopLevel(const TopLevel&) = delete;
  TopLevel& operator=(const TopLevel&) = delete;

  Stmt statement;
  uint32_t variables = 0;
  uint32_t frame_size = 0;
  Chunk instructions;
};

template <class T>
const T& as(const Expr& e) {
  return static_cast<const T&>(e);
}

}  // namespace ostrel::code
