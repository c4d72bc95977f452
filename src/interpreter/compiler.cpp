// From the lowered tree to instructions. Each expression leaves its value in the register it
// is given; temporaries are taken above it and given back when the expression is done, so the
// arguments of a call land in consecutive registers. A variable is read in place (its own slot
// as the operand) only where nothing evaluated after the read could assign it; otherwise it is
// loaded into a temporary first, to read it at the moment the program does.
#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

#include "interpreter/code.hpp"
#include "interpreter/instructions.hpp"
#include "interpreter/operators.hpp"

namespace ostrel::code {
namespace {

using Op = code::Op;
using BinaryOperator = ast::BinaryOperator;

constexpr const char* kNoMatchingArm = "no matching pattern in match expression";
constexpr const char* kInvalidTarget = "invalid assignment target";

// Constants and names: evaluating them assigns nothing.
bool reads_only(const Expr& e) { return e.kind == ExprKind::Constant || e.kind == ExprKind::Name; }

// The Ref of a name held by one slot.
const Ref* single_slot_name(const Expr& e) {
  if (e.kind != ExprKind::Name) return nullptr;
  const Ref& ref = as<Name>(e).ref;
  return ref.slots.size() == 1 ? &ref : nullptr;
}

// Whether `e` is the name of the variable held by the one slot of `ref`.
bool names(const Expr& e, const Ref& ref) {
  const Ref* name = single_slot_name(e);
  return name && name->name == ref.name && name->slots[0].index == ref.slots[0].index &&
         name->slots[0].global == ref.slots[0].global;
}

class InstructionCompiler {
 public:
  InstructionCompiler(uint32_t first_temporary, const StackGuard& guard, Chunk& chunk, Moves moves)
      : next_(first_temporary), high_(first_temporary), guard_(guard), chunk_(chunk), moves_(moves) {}

  uint32_t temporaries_end() const { return high_; }
  // Whether the stack ran low: then the instructions are incomplete.
  bool too_deep() const { return too_deep_; }

  void expression(const Expr& e, uint32_t result) {
    if (guard_.exhausted()) {
      too_deep_ = true;
      return;
    }
    switch (e.kind) {
      case ExprKind::Constant: return emit({Op::LoadConstant, {}, {}, result, 0, 0, &as<Constant>(e).value});
      case ExprKind::Name: return load(as<Name>(e).ref, result);
      case ExprKind::Binary: return binary(as<Binary>(e), result);
      case ExprKind::Unary: return unary(as<Unary>(e), result);
      case ExprKind::Index: return index(as<Index>(e), result);
      case ExprKind::Member: return member(as<Member>(e), result);
      case ExprKind::Call: call(as<Call>(e), result); return;
      case ExprKind::If: return conditional(as<If>(e), result);
      case ExprKind::While: return loop(as<While>(e), result);
      case ExprKind::For: return walk(as<For>(e), result);
      case ExprKind::Block: return block(as<Block>(e), result);
      case ExprKind::Match: return match(as<Match>(e), result);
      case ExprKind::Assign: return assignment(as<Assign>(e), result);
      case ExprKind::CompoundAssign: return compound(as<CompoundAssign>(e), result);
      case ExprKind::Lambda: return emit({Op::MakeFunction, {}, {}, result, 0, 0, &as<Lambda>(e).closure});
      case ExprKind::List: return elements(as<Elements>(e).elements, Op::MakeList, result);
      case ExprKind::Tuple: return elements(as<Elements>(e).elements, Op::MakeTuple, result);
      case ExprKind::Dict: return dict(as<DictLiteral>(e), result);
      case ExprKind::Comprehension: return comprehension(as<Comprehension>(e), result);
      case ExprKind::Pipe: return pipe(as<Pipe>(e), result);
    }
  }

  // A statement of a block, leaving its value in `result`; a `return` only computes its value.
  void statement(const Stmt& statement, uint32_t result) {
    uint32_t mark = next_;
    switch (statement.kind) {
      case Stmt::Kind::Evaluate: expression(*statement.expr, result); break;
      case Stmt::Kind::Declare: {
        uint32_t value = temporary();
        expression(*statement.expr, value);
        emit({Op::Store, {}, {}, value, 0, 0, &statement.slot});
        emit({Op::LoadNone, {}, {}, result});
        break;
      }
      case Stmt::Kind::Function: {
        uint32_t value = temporary();
        emit({Op::MakeFunction, {}, {}, value, 0, 0, &statement.function});
        emit({Op::Store, {}, {}, value, 0, 0, &statement.slot});
        emit({Op::LoadNone, {}, {}, result});
        break;
      }
      case Stmt::Kind::Return:
        if (statement.expr) expression(*statement.expr, result);
        else emit({Op::LoadNone, {}, {}, result});
        break;
      case Stmt::Kind::Nothing: emit({Op::LoadNone, {}, {}, result}); break;
    }
    next_ = mark;
  }

  void end(uint32_t result) { emit({Op::End, {}, {}, result}); }

 private:
  void emit(Instruction instruction) {
    instruction.op = with_operator(instruction.op, instruction.binary);
    chunk_.code.push_back(instruction);
  }
  // The most frequent operators have instructions of their own, whose integer case needs no
  // test of the operator.
  static Op with_operator(Op op, ast::BinaryOperator binary) {
    using B = ast::BinaryOperator;
    switch (op) {
      case Op::Binary: return binary == B::Add ? Op::Add : binary == B::Sub ? Op::Subtract : op;
      case Op::BinaryConstant: return binary == B::Add ? Op::AddConstant : binary == B::Sub ? Op::SubtractConstant : op;
      case Op::CompareJump: return binary == B::Lt ? Op::LessJump : op;
      case Op::CompareConstantJump: return binary == B::Lt ? Op::LessConstantJump : op;
      default: return op;
    }
  }
  size_t here() const { return chunk_.code.size(); }
  void jump_here(size_t from) { chunk_.code[from].a = static_cast<uint32_t>(here()); }

  // A local that is always bound is copied without a check.
  void load(const Ref& ref, uint32_t result) {
    if (ref.slots.size() != 1) return emit({Op::Load, {}, {}, result, 0, 0, &ref});
    const Slot& slot = ref.slots[0];
    if (slot.global) return emit({Op::LoadGlobal, {}, {}, result, slot.index, 0, &ref});
    emit({ref.always_bound ? Op::Copy : Op::LoadLocal, {}, {}, result, slot.index, 0, &ref});
  }

  uint32_t temporary() { return temporaries(1); }
  // `count` consecutive temporaries; returns the first.
  uint32_t temporaries(size_t count) {
    uint32_t first = next_;
    next_ += static_cast<uint32_t>(count);
    high_ = std::max(high_, next_);
    return first;
  }

  // The register holding an operand's value, with the Ref of a variable read in place. A value
  // computed goes into `into` when given (see operands), else into a temporary.
  uint32_t operand(const Expr& e, bool in_place, const Ref*& ref, std::optional<uint32_t> into = std::nullopt) {
    ref = in_place ? single_slot_name(e) : nullptr;
    if (ref) return operand_of(ref->slots[0]);
    uint32_t r = into ? *into : temporary();
    expression(e, r);
    return r;
  }

  // Both operands of an operator, left first; the left one is read in place only when the right
  // one cannot assign it, and when reading it cannot fail or the right one is only read (so that
  // its unbound error still comes first). A constant on the right is read where it is: the
  // instruction becomes its `with_constant` form. A computed left operand may wait in the
  // instruction's result register (`left_into`): only this expression writes there, and the
  // instruction reads its operands before it writes its result. Smaller frames are cheaper to
  // open and release.
  void operands(const Expr& left, const Expr& right, Instruction& instruction, Op with_constant,
                std::optional<uint32_t> left_into = std::nullopt) {
    const Ref* left_ref = single_slot_name(left);
    bool stays = reads_only(right) || (left_ref && left_ref->always_bound && assigns_nothing(right));
    instruction.b = operand(left, stays, left_ref, left_into);
    instruction.p = left_ref;
    right_operand(right, instruction, with_constant);
  }

  // The right operand of an operator or an update, read where it is: a constant makes the
  // instruction its `with_constant` form, with the constant in q; anything else is R[c], with
  // the Ref in q of a variable read in place.
  void right_operand(const Expr& right, Instruction& instruction, Op with_constant) {
    if (right.kind == ExprKind::Constant) {
      instruction.op = with_constant;
      instruction.q = &as<Constant>(right).value;
      return;
    }
    const Ref* ref;
    instruction.c = operand(right, true, ref);
    instruction.q = ref;
  }

  void binary(const Binary& node, uint32_t result) {
    two_operands({Op::Binary, node.op, {}, result}, *node.left, *node.right, Op::BinaryConstant);
  }

  // The operand waits in the result register, which the instruction writes once it is read.
  void unary(const Unary& node, uint32_t result) {
    expression(*node.operand, result);
    emit({Op::Unary, {}, node.op, result, result});
  }

  void index(const Index& node, uint32_t result) {
    two_operands({Op::Index, {}, {}, result}, *node.target, *node.index, Op::IndexConstant);
  }

  // An operator or an index: both operands in temporaries, or the right one as a constant.
  void two_operands(Instruction instruction, const Expr& left, const Expr& right, Op with_constant) {
    uint32_t mark = next_;
    operands(left, right, instruction, with_constant, instruction.a);
    emit(instruction);
    next_ = mark;
  }

  // The elements of a list or tuple, in order into consecutive registers.
  void elements(const std::vector<ExprPtr>& items, Op make, uint32_t result) {
    uint32_t mark = next_;
    for (const ExprPtr& item : items) expression(*item, temporary());
    emit({make, {}, {}, result, mark, static_cast<uint32_t>(items.size())});
    next_ = mark;
  }

  // Each key, then its value.
  void dict(const DictLiteral& node, uint32_t result) {
    uint32_t mark = next_;
    for (const auto& [key, value] : node.entries) {
      expression(*key, temporary());
      expression(*value, temporary());
    }
    emit({Op::MakeDict, {}, {}, result, mark, static_cast<uint32_t>(node.entries.size())});
    next_ = mark;
  }

  // Nothing is evaluated between reading the object and the member: a variable is read in place.
  void member(const Member& node, uint32_t result) {
    uint32_t mark = next_;
    const Ref* ref;
    uint32_t object = operand(*node.object, true, ref);
    emit({Op::Member, {}, {}, result, object, 0, &node.name, ref});
    next_ = mark;
  }

  // The callee is read in place when it is held by one slot and no one can tell: the arguments
  // cannot assign it, and it is bound or they cannot fail (so that a callee's unbound error
  // still comes before anything the arguments do). Then the arguments that are bound variables
  // or constants are read in place too; the others are computed into temporaries first.
  // `moved`: a variable the call's result replaces, which an argument may take the value out of.
  // Returns whether that variable is a global whose value went into a temporary (see giving).
  bool call(const Call& node, uint32_t result, const Ref* moved = nullptr) {
    if (node.mapping != BuiltinKind::Plain) {
      map_or_call(node, node.mapping == BuiltinKind::Map, result);
      return false;
    }
    if (node.walked_range) {
      sum_of_range(node, result);
      return false;
    }
    const auto& arguments = node.arguments;
    const Ref* in_place = single_slot_name(*node.callee);
    if (in_place && !in_place->always_bound && !std::all_of(arguments.begin(), arguments.end(), cannot_fail))
      in_place = nullptr;
    for (const ExprPtr& argument : arguments)
      if (in_place && !assigns_nothing(*argument)) in_place = nullptr;
    uint32_t mark = next_;
    uint32_t callee = in_place ? operand_of(in_place->slots[0]) : temporary();
    if (!in_place) expression(*node.callee, callee);
    std::vector<Argument>& list = chunk_.arguments.emplace_back();
    const ExprPtr* moved_global = nullptr;  // taken out of its slot into a temporary first
    for (const ExprPtr& argument : arguments) {
      list.push_back(in_place ? argument_in_place(*argument) : Argument{});
      bool taken = list.back().from == Argument::From::Variable &&
                   ((moved && names(*argument, *moved)) || read_for_the_last_time(list.back().operand));
      if (!taken) continue;
      if (list.back().operand & kGlobalOperand) {
        list.back() = Argument{};
        moved_global = &argument;
      } else {
        list.back().from = Argument::From::Moved;
      }
    }
    // The first computed argument waits in the result register: the call takes its arguments
    // before it writes its result.
    std::optional<uint32_t> free = result;
    for (size_t i = 0; i < arguments.size(); ++i) {
      if (list[i].from != Argument::From::Temporary) continue;
      list[i].operand = free ? *std::exchange(free, std::nullopt) : temporary();
      if (&arguments[i] == moved_global)
        emit({giving(*moved), {}, {}, list[i].operand, operand_of(moved->slots[0]), 0, moved});
      else
        expression(*arguments[i], list[i].operand);
    }
    if (node.computed != BuiltinKind::Plain) {
      Op op = node.computed == BuiltinKind::Length ? Op::Length : Op::Text;
      emit({op, {}, {}, result, callee, 0, nullptr, list.data()});
    }
    emit({Op::Call, {}, {}, result, callee, static_cast<uint32_t>(arguments.size()), in_place, list.data()});
    next_ = mark;
    return moved_global != nullptr;
  }

  // How a variable gives its value to the call or sum that replaces it: a global is loaned when
  // the session goes on after an error (see Moves); anything else moves.
  Op giving(const Ref& replaced) const {
    return replaced.slots[0].global && !moves_.globals ? Op::Loan : Op::Move;
  }

  static uint32_t operand_of(const Slot& slot) { return slot.index | (slot.global ? kGlobalOperand : 0); }

  // A constant, or a variable that is always bound, read where it is.
  static Argument argument_in_place(const Expr& e) {
    if (e.kind == ExprKind::Constant) return {Argument::From::Constant, 0, &as<Constant>(e).value};
    const Ref* ref = single_slot_name(e);
    if (ref && ref->always_bound) return {Argument::From::Variable, operand_of(ref->slots[0])};
    return {};
  }

  static bool cannot_fail(const ExprPtr& e) {
    return e->kind == ExprKind::Constant || (e->kind == ExprKind::Name && as<Name>(*e).ref.always_bound);
  }

  // Calls `read(ref, times)` for each variable that evaluating `e` reads, and returns whether
  // `e` is of the kinds looked into: constants, names, lambdas (their captures count twice, as
  // the function may read them any number of times), operators, calls, indexing, members, lists
  // and tuples, and with `assignments` also assignments. Blocks, loops, conditionals and matches
  // may read a variable any number of times and assign anything; they end the walk with false.
  template <class Read>
  bool each_read(const Expr& e, bool assignments, Read& read) const {
    if (guard_.exhausted()) return false;
    auto all = [&](const std::vector<ExprPtr>& list) {
      return std::all_of(list.begin(), list.end(), [&](const ExprPtr& x) { return each_read(*x, assignments, read); });
    };
    auto both = [&](const ExprPtr& left, const ExprPtr& right) {
      return each_read(*left, assignments, read) && each_read(*right, assignments, read);
    };
    switch (e.kind) {
      case ExprKind::Constant: return true;
      case ExprKind::Name: read(as<Name>(e).ref, 1); return true;
      case ExprKind::Lambda:
        for (const Ref& capture : as<Lambda>(e).closure.captures) read(capture, 2);
        return true;
      case ExprKind::Binary: return both(as<Binary>(e).left, as<Binary>(e).right);
      case ExprKind::Unary: return each_read(*as<Unary>(e).operand, assignments, read);
      case ExprKind::Pipe: return both(as<Pipe>(e).left, as<Pipe>(e).right);
      case ExprKind::Call: return each_read(*as<Call>(e).callee, assignments, read) && all(as<Call>(e).arguments);
      case ExprKind::Index: return both(as<Index>(e).target, as<Index>(e).index);
      case ExprKind::Member: return each_read(*as<Member>(e).object, assignments, read);
      case ExprKind::List:
      case ExprKind::Tuple: return all(as<Elements>(e).elements);
      case ExprKind::Assign: return assignments && each_read(*as<Assign>(e).value, assignments, read);
      case ExprKind::CompoundAssign:
        return assignments && both(as<CompoundAssign>(e).current, as<CompoundAssign>(e).value);
      default: return false;
    }
  }

  // Whether evaluating `e` assigns no variable of this frame. Only assignments can, and the
  // blocks, loops, conditionals and matches that may hold one; a call cannot, as a function
  // assigns only the slots of its own frame.
  bool assigns_nothing(const Expr& e) const {
    auto ignore = [](const Ref&, size_t) {};
    return each_read(e, false, ignore);
  }

  // Whether evaluating `e` leaves the variable `name` alone: neither reads nor assigns it.
  bool leaves_alone(const Expr& e, Symbol name) const {
    bool named = false;
    auto read = [&](const Ref& ref, size_t) { named = named || ref.name == name; };
    return each_read(e, false, read) && !named;
  }

  // `x |> f`: x, then f, then the call of f with x.
  void pipe(const Pipe& node, uint32_t result) {
    uint32_t mark = next_;
    uint32_t callee = temporary();
    std::vector<Argument>& argument = chunk_.arguments.emplace_back();
    argument.push_back({Argument::From::Temporary, temporary()});
    expression(*node.left, argument[0].operand);
    expression(*node.right, callee);
    emit({Op::Call, {}, {}, result, callee, 1, nullptr, argument.data()});
    next_ = mark;
  }

  // `map(f, xs)` and `filter(f, xs)`: the walk over xs calls f one element after another in this
  // loop instead of the builtin calling back into a loop of its own each time. The plain call
  // after MapStart takes every other case, with the builtin's checks. The callee goes right
  // below xs, where MapStart and RangeStart look for it.
  void map_or_call(const Call& node, bool map, uint32_t result) {
    uint32_t mark = next_;
    uint32_t callee = temporary();
    expression(*node.callee, callee);
    std::optional<size_t> range_start;
    uint32_t sequence, function;
    if (node.walked_range) {
      const auto& range = as<Call>(*node.arguments[1]);
      sequence = temporaries(1 + range.arguments.size());
      function = temporary();
      expression(*node.arguments[0], function);
      range_start = range_walk(range, *node.walked_range, sequence);
    } else {
      sequence = temporary();
      function = temporary();
      expression(*node.arguments[0], function);
      expression(*node.arguments[1], sequence);
    }
    size_t start = here();
    emit({Op::MapStart, {}, {}, 0, sequence, map});
    std::vector<Argument>& arguments = chunk_.arguments.emplace_back();
    arguments = {{Argument::From::Temporary, function}, {Argument::From::Temporary, sequence}};
    emit({Op::Call, {}, {}, result, callee, 2, nullptr, arguments.data()});
    size_t to_end = here();
    emit({Op::Jump});
    jump_here(start);
    if (range_start) jump_here(*range_start);
    // MapStart took the list out of its register: each element goes there in turn.
    std::vector<Argument>& element = chunk_.arguments.emplace_back();
    element.push_back({Argument::From::Temporary, sequence});
    emit({map ? Op::MapStep : Op::FilterStep, {}, {}, sequence, function, 1, nullptr, element.data()});
    emit({Op::CollectEnd, {}, {}, result});
    jump_here(to_end);
    next_ = mark;
  }

  // `sum(range(...), ...)`: the range is walked when both names stand for their builtins, and its
  // sum taken once the other arguments, which sum ignores, are evaluated too.
  void sum_of_range(const Call& node, uint32_t result) {
    uint32_t mark = next_;
    uint32_t callee = temporary();
    expression(*node.callee, callee);
    const auto& range = as<Call>(*node.arguments[0]);
    uint32_t sequence = temporaries(1 + range.arguments.size());
    jump_here(range_walk(range, *node.walked_range, sequence));
    std::vector<Argument>& arguments = chunk_.arguments.emplace_back();
    arguments.push_back({Argument::From::Temporary, sequence});
    for (size_t i = 1; i < node.arguments.size(); ++i) {
      arguments.push_back({Argument::From::Temporary, temporary()});
      expression(*node.arguments[i], arguments.back().operand);
    }
    size_t summed = here();
    emit({Op::SumEnd, {}, {}, 0, callee, result});
    emit({Op::Call, {}, {}, result, callee, static_cast<uint32_t>(arguments.size()), nullptr, arguments.data()});
    jump_here(summed);
    next_ = mark;
  }

  // A call of the name range, its callee in register `at` and its arguments in the temporaries
  // after it: counted and walked at once, or else called to make the value in `at`. Returns where
  // the instruction that starts the walk is, to point its jump at the walk's first step.
  size_t range_walk(const Call& range, const WalkedRange& walked, uint32_t at) {
    expression(*range.callee, at);
    std::vector<Argument>& arguments = chunk_.arguments.emplace_back();
    for (size_t i = 0; i < range.arguments.size(); ++i) {
      arguments.push_back({Argument::From::Temporary, at + 1 + static_cast<uint32_t>(i)});
      expression(*range.arguments[i], arguments.back().operand);
    }
    auto count = static_cast<uint32_t>(range.arguments.size());
    size_t start = here();
    emit({Op::RangeStart, {}, {}, 0, at, count, &walked});
    emit({Op::Call, {}, {}, at, at, count, nullptr, arguments.data()});
    return start;
  }

  // The iterable of a loop or comprehension, which `start` begins to walk. Returns where a walked
  // range starts instead, to point its jump at the walk's first step.
  std::optional<size_t> iterable(const Expr& e, const std::optional<WalkedRange>& walked, Instruction start) {
    uint32_t mark = next_;
    std::optional<size_t> range_start;
    if (walked) {
      const auto& range = as<Call>(e);
      start.b = temporaries(1 + range.arguments.size());
      range_start = range_walk(range, *walked, start.b);
    } else {
      start.b = temporary();
      expression(e, start.b);
    }
    emit(start);
    next_ = mark;
    return range_start;
  }

  // Jumps past what follows when the condition is false; returns where to patch the target.
  size_t jump_unless(const Expr& condition) {
    uint32_t mark = next_;
    if (condition.kind == ExprKind::Binary && is_comparison(as<Binary>(condition).op)) {
      const auto& comparison = as<Binary>(condition);
      Instruction instruction{Op::CompareJump, comparison.op};
      operands(*comparison.left, *comparison.right, instruction, Op::CompareConstantJump);
      emit(instruction);
    } else {
      uint32_t test = temporary();
      expression(condition, test);
      emit({Op::JumpIfFalse, {}, {}, 0, test});
    }
    next_ = mark;
    return here() - 1;
  }

  void conditional(const If& node, uint32_t result) {
    std::vector<size_t> to_end;
    for (const auto& [condition, body] : node.branches) {
      size_t skip = jump_unless(*condition);
      expression(*body, result);
      to_end.push_back(here());
      emit({Op::Jump});
      jump_here(skip);
    }
    if (node.otherwise) expression(*node.otherwise, result);
    else emit({Op::LoadNone, {}, {}, result});
    for (size_t from : to_end) jump_here(from);
  }

  void loop(const While& node, uint32_t result) {
    emit({Op::LoadNone, {}, {}, result});
    uint32_t top = static_cast<uint32_t>(here());
    size_t exit = jump_unless(*node.condition);
    expression(*node.body, result);
    emit({Op::Jump, {}, {}, top});
    jump_here(exit);
  }

  // The step to the next element follows the body, so that a pass takes one dispatch less.
  void walk(const For& node, uint32_t result) {
    emit({Op::LoadNone, {}, {}, result});
    std::optional<size_t> range_start = iterable(*node.iterable, node.walked_range, {Op::ForStart});
    if (range_start) jump_here(*range_start);
    size_t enter = here();
    emit({Op::Jump});
    uint32_t body = static_cast<uint32_t>(here());
    expression(*node.body, result);
    jump_here(enter);
    emit({Op::ForLoop, {}, {}, body, node.variable});
    emit({Op::ForEnd});
    unbind(node.scope);
  }

  // A walk like a for loop's whose passes collect the element's values.
  void comprehension(const Comprehension& node, uint32_t result) {
    bool as_many = !node.condition;
    std::optional<size_t> range_start =
        iterable(*node.iterable, node.walked_range, {Op::ComprehensionStart, {}, {}, 0, 0, as_many});
    if (range_start) jump_here(*range_start);
    uint32_t top = static_cast<uint32_t>(here());
    emit({Op::ForNext, {}, {}, 0, node.variable});
    if (node.condition) chunk_.code[jump_unless(*node.condition)].a = top;
    uint32_t mark = next_;
    uint32_t value = temporary();
    expression(*node.element, value);
    emit({Op::Collect, {}, {}, top, value});
    next_ = mark;
    jump_here(top);
    emit({Op::CollectEnd, {}, {}, result});
    unbind(node.scope);
  }

  void unbind(const ScopeSlots& scope) {
    if (!scope.empty()) emit({Op::Unbind, {}, {}, 0, 0, 0, &scope});
  }

  // The arms in order: each is its pattern's tests, any of which goes on with the next arm when
  // it fails, then the guard, which does the same when false, then the body. Consecutive arms
  // whose patterns are tuples (or lists) share one test of the kind, which skips them all when
  // it fails. The names a pattern binds stay bound when its arm is not taken after all (only
  // that arm reads them, and it binds them all again before it does) until the match is left;
  // the names its guard assigned are unbound at once.
  void match(const Match& node, uint32_t result) {
    uint32_t mark = next_;
    uint32_t held = temporary();
    uint32_t scrutinee = held;
    if (const Ref* local = scrutinee_in_place(node)) scrutinee = local->slots[0].index;
    else expression(*node.scrutinee, held);
    std::vector<size_t> to_end, to_next_arm, to_other_kind;
    std::optional<Pattern::Kind> run;  // the kind of the run of sequence patterns the arm is in
    uint32_t known_length = 0;          // the fewest elements the arm can meet within its run
    for (const Arm& arm : node.arms) {
      for (size_t from : to_next_arm) jump_here(from);
      to_next_arm.clear();
      std::optional<Pattern::Kind> kind = sequence_kind(arm.pattern);
      if (kind != run) {
        for (size_t from : to_other_kind) jump_here(from);
        to_other_kind.clear();
        run = kind;
        if (run) to_other_kind.push_back(kind_test(*run, scrutinee));
        known_length = 0;
      }
      pattern(arm.pattern, scrutinee, to_next_arm, run.has_value(), known_length);
      // The arm after one that only tests for no elements meets one at least: `[] => ...` and
      // then `[x ..rest] => ...` test the length once.
      bool only_empty = run && arm.pattern.elements.empty() && !arm.pattern.rest && !arm.guard;
      known_length = only_empty ? 1 : 0;
      if (arm.guard) to_next_arm.push_back(jump_unless(*arm.guard));
      expression(*arm.body, result);
      leave(node, arm, held);
      to_end.push_back(here());
      emit({Op::Jump});
      if (arm.guard && !arm.assigned.empty()) {
        jump_here(to_next_arm.back());
        to_next_arm.pop_back();
        unbind(arm.assigned);
      }
    }
    for (size_t from : to_next_arm) jump_here(from);
    for (size_t from : to_other_kind) jump_here(from);
    emit({Op::Fail, {}, {}, 0, 0, 0, kNoMatchingArm});
    for (size_t from : to_end) jump_here(from);
    next_ = mark;
  }

  // After the chosen arm, nothing holds on to the scrutinee or to parts of it any more (in the
  // slots of arms whose guard failed too), so that a variable matched on can then be updated
  // in place. `held`: the register that holds the scrutinee, or nothing when it is read in place.
  void leave(const Match& node, const Arm& arm, uint32_t held) {
    emit({Op::LeaveMatch, {}, {}, 0, held, 0, &arm.assigned, &node.shared});
  }

  // A local that is always bound is matched where it is, saving its copy, when nothing can
  // assign it until an arm's body runs: no pattern binds it and no guard assigns anything.
  const Ref* scrutinee_in_place(const Match& node) const {
    const Ref* ref = single_slot_name(*node.scrutinee);
    if (!ref || !ref->always_bound || ref->slots[0].global) return nullptr;
    auto holds = [&](const ScopeSlots& scope) {
      return std::find(scope.begin(), scope.end(), ref->slots[0].index) != scope.end();
    };
    if (holds(node.shared)) return nullptr;
    for (const Arm& arm : node.arms)
      if (holds(arm.scope) || (arm.guard && !assigns_nothing(*arm.guard))) return nullptr;
    return ref;
  }

  static std::optional<Pattern::Kind> sequence_kind(const Pattern& pattern) {
    if (pattern.kind == Pattern::Kind::Tuple || pattern.kind == Pattern::Kind::List) return pattern.kind;
    return std::nullopt;
  }

  // Jumps away unless the value is a Tuple (or List); returns where to patch the target.
  size_t kind_test(Pattern::Kind kind, uint32_t value) {
    Value::Kind wanted = kind == Pattern::Kind::Tuple ? Value::Kind::Tuple : Value::Kind::List;
    emit({Op::MatchKind, {}, {}, 0, value, static_cast<uint32_t>(wanted)});
    return here() - 1;
  }

  // Tests whether the value in register `value` fits a pattern and loads the names it binds
  // into their slots, in the order the pattern names them (the later of a name given twice
  // wins). `kind_known`: the value has been found to be of the pattern's kind; `known_length`:
  // a sequence value has been found to hold that many elements at least.
  void pattern(const Pattern& pattern, uint32_t value, std::vector<size_t>& to_next_arm, bool kind_known,
               uint32_t known_length = 0) {
    if (guard_.exhausted()) {
      too_deep_ = true;
      return;
    }
    switch (pattern.kind) {
      case Pattern::Kind::Wildcard: return;
      case Pattern::Kind::Name: return emit({Op::Copy, {}, {}, pattern.name, value});
      case Pattern::Kind::Literal:
        to_next_arm.push_back(here());
        return emit({Op::MatchConstant, {}, {}, 0, value, 0, nullptr, &pattern.literal});
      case Pattern::Kind::Never:
        to_next_arm.push_back(here());
        return emit({Op::Jump});
      case Pattern::Kind::Tuple:
      case Pattern::Kind::List:
        if (!kind_known) to_next_arm.push_back(kind_test(pattern.kind, value));
        return elements(pattern, value, to_next_arm, known_length);
    }
  }

  // The length (unless it is known to be enough for a rest), then the elements from the first
  // on, then the rest name.
  void elements(const Pattern& pattern, uint32_t value, std::vector<size_t>& to_next_arm, uint32_t known_length) {
    auto count = static_cast<uint32_t>(pattern.elements.size());
    if (!pattern.rest || count > known_length) {
      to_next_arm.push_back(here());
      emit({pattern.rest ? Op::MatchLengthAtLeast : Op::MatchLength, {}, {}, 0, value, count});
    }
    for (uint32_t i = 0; i < count; ++i) {
      const Pattern& element = pattern.elements[i];
      if (element.kind == Pattern::Kind::Wildcard) continue;
      if (element.kind == Pattern::Kind::Name) {
        emit({Op::LoadElement, {}, {}, element.name, value, i});
        continue;
      }
      uint32_t mark = next_;
      uint32_t held = temporary();
      emit({Op::LoadElement, {}, {}, held, value, i});
      this->pattern(element, held, to_next_arm, false);
      next_ = mark;
    }
    if (pattern.rest) emit({Op::LoadRest, {}, {}, *pattern.rest, value, count});
  }

  // A `return` ends the block with its value: a jump to the block's end.
  void block(const Block& node, uint32_t result) {
    std::vector<size_t> returns;
    // Every statement leaves a value in `result`.
    if (node.statements.empty()) emit({Op::LoadNone, {}, {}, result});
    std::vector<ScopeSlots> last = last_reads(node);
    std::vector<uint32_t> outer = std::move(last_reads_);
    for (size_t k = 0; k < node.statements.size(); ++k) {
      const Stmt& s = node.statements[k];
      last_reads_ = std::move(last[k]);
      statement(s, result);
      if (s.kind != Stmt::Kind::Return) continue;
      returns.push_back(here());
      emit({Op::Jump});
    }
    last_reads_ = std::move(outer);
    for (size_t from : returns) jump_here(from);
    unbind(node.scope);
  }

  // For each statement of a block, the block's own variables it reads for the last time: once,
  // outside any loop, conditional, match or block, and no later statement reads them. The
  // block's variables are unbound when it ends, so a call given one of them may take its value.
  std::vector<ScopeSlots> last_reads(const Block& node) const {
    Reads reads;
    for (uint32_t slot : node.scope) reads.emplace(slot, Read{});
    size_t opaque = 0;  // one past the last statement that may read anything
    for (size_t k = 0; k < node.statements.size(); ++k)
      if (!count_reads(node.statements[k], k, reads)) opaque = k + 1;
    std::vector<ScopeSlots> out(node.statements.size());
    for (const auto& [slot, read] : reads)
      if (read.count == 1 && read.statement >= opaque) out[read.statement].push_back(slot);
    return out;
  }

  // The reads of some variables: the last statement that reads each, and how often it does.
  struct Read {
    size_t statement = 0;
    size_t count = 0;
  };
  using Reads = std::unordered_map<uint32_t, Read>;

  static void count_read(const Ref& ref, size_t statement, size_t times, Reads& reads) {
    for (const Slot& slot : ref.slots) {
      auto found = slot.global ? reads.end() : reads.find(slot.index);
      if (found == reads.end()) continue;
      Read& read = found->second;
      if (read.statement != statement) read = {statement, 0};
      read.count += ref.slots.size() == 1 ? times : 2;
    }
  }

  // Counts the reads of statement k; false where it holds code that may read a variable any
  // number of times (a loop, a conditional...), which is not looked into.
  bool count_reads(const Stmt& statement, size_t k, Reads& reads) const {
    if (statement.kind == Stmt::Kind::Function) {
      for (const Ref& capture : statement.function.captures) count_read(capture, k, 2, reads);
      return true;
    }
    auto read = [&](const Ref& ref, size_t times) { count_read(ref, k, times, reads); };
    return !statement.expr || each_read(*statement.expr, true, read);
  }
  bool read_for_the_last_time(uint32_t operand) const {
    return std::find(last_reads_.begin(), last_reads_.end(), operand) != last_reads_.end();
  }

  // A target that is not a name fails once the value is computed.
  void assignment(const Assign& node, uint32_t result) {
    if (node.in_place == InPlace::Append) return append(node, result);
    uint32_t mark = next_;
    if (node.in_place == InPlace::Add) {
      // `x = x + e`: x is loaded first, as the operator's left operand is.
      const auto& sum = as<Binary>(*node.value);
      uint32_t current = temporary();
      expression(*sum.left, current);
      uint32_t addend = temporary();
      expression(*sum.right, addend);
      emit({Op::AssignSum, {}, {}, current, addend, result, &*node.target});
    } else {
      uint32_t value = temporary();
      if (node.target) {
        bool loaned = replacing(node, value);
        emit({loaned ? Op::AssignLoaned : Op::Assign, {}, {}, value, result, 0, &*node.target});
      } else {
        expression(*node.value, value);
        emit({Op::Fail, {}, {}, 0, 0, 0, kInvalidTarget});
      }
    }
    next_ = mark;
  }

  // The new value of `x = f(..., x, ...)` and `x = x + a + b...` (x once, nothing else reading
  // or assigning it), where the old value is not needed any more once it is read: it moves
  // into the call or the sum (or is loaned to it, see giving), so that a list or text held by x
  // alone grows in place. Returns whether it was loaned: the assignment then ends the loan.
  bool replacing(const Assign& node, uint32_t result) {
    const Ref& target = *node.target;
    bool movable =
        target.slots.size() == 1 && (target.slots[0].global || target.slots[0].index >= moves_.first_local);
    if (movable && node.value->kind == ExprKind::Call) {
      const auto& value = as<Call>(*node.value);
      size_t reads = 0;
      bool alone = leaves_alone(*value.callee, target.name);
      for (const ExprPtr& argument : value.arguments) {
        if (names(*argument, target)) ++reads;
        else alone = alone && leaves_alone(*argument, target.name);
      }
      if (alone && reads == 1) return call(value, result, &target) && giving(target) == Op::Loan;
    }
    if (movable && node.value->kind == ExprKind::Binary && sum_from(as<Binary>(*node.value), target)) {
      sum(as<Binary>(*node.value), target, result);
      return giving(target) == Op::Loan;
    }
    expression(*node.value, result);
    return false;
  }

  // Whether `e` is `x + a + b...` with x the target, and a, b... leave it alone.
  bool sum_from(const Binary& e, const Ref& target) const {
    if (guard_.exhausted()) return false;
    if (e.op != BinaryOperator::Add || !leaves_alone(*e.right, target.name)) return false;
    if (e.left->kind == ExprKind::Binary) return sum_from(as<Binary>(*e.left), target);
    return names(*e.left, target);
  }

  // Each + of the sum into the result register, which the target's value went into first.
  void sum(const Binary& node, const Ref& target, uint32_t result) {
    if (guard_.exhausted()) return expression(node, result);
    uint32_t mark = next_;
    if (node.left->kind == ExprKind::Name) {
      const Ref& first = as<Name>(*node.left).ref;
      emit({giving(first), {}, {}, result, operand_of(first.slots[0]), 0, &first});
    } else {
      sum(as<Binary>(*node.left), target, result);
    }
    Instruction instruction{Op::Binary, node.op, {}, result, result};
    right_operand(*node.right, instruction, Op::BinaryConstant);
    emit(instruction);
    next_ = mark;
  }

  // `x = append(x, e)`: the callee and both arguments in consecutive registers; a callee that is
  // not the builtin append is called and its result assigned.
  void append(const Assign& node, uint32_t result) {
    const auto& call = as<Call>(*node.value);
    uint32_t mark = next_;
    uint32_t callee = temporary();
    expression(*call.callee, callee);
    std::vector<Argument>& arguments = chunk_.arguments.emplace_back();
    for (const ExprPtr& argument : call.arguments) {
      arguments.push_back({Argument::From::Temporary, temporary()});
      expression(*argument, arguments.back().operand);
    }
    size_t appended = here();
    emit({Op::AssignAppend, {}, {}, 0, callee, result, &*node.target});
    emit({Op::Call, {}, {}, callee, callee, 2, nullptr, arguments.data()});
    emit({Op::Assign, {}, {}, callee, result, 0, &*node.target});
    jump_here(appended);
    next_ = mark;
  }

  void compound(const CompoundAssign& node, uint32_t result) {
    if (update(node, result)) return;
    uint32_t mark = next_;
    uint32_t current = temporary();
    expression(*node.current, current);
    uint32_t operand = temporary();
    expression(*node.value, operand);
    emit({Op::Compound, {}, {}, current, operand, result, &node});
    next_ = mark;
  }

  // `x op= v` where x is held by one slot and always bound, and v assigns nothing: reading x
  // after v cannot fail nor see another value, so x is changed where it is held.
  bool update(const CompoundAssign& node, uint32_t result) {
    const Ref* target = single_slot_name(*node.current);
    if (!target || !target->always_bound || !assigns_nothing(*node.value)) return false;
    uint32_t mark = next_;
    Instruction instruction{Op::Update, node.op, {}, result};
    instruction.b = operand_of(target->slots[0]);
    instruction.p = target;
    right_operand(*node.value, instruction, Op::UpdateConstant);
    emit(instruction);
    next_ = mark;
    return true;
  }

  uint32_t next_;
  uint32_t high_;
  const StackGuard& guard_;
  Chunk& chunk_;
  Moves moves_;
  // The frame slots that the statement being compiled reads for the last time (see last_reads).
  ScopeSlots last_reads_;
  bool too_deep_ = false;
};

// What leads straight to an End is that End: a branch that finishes a body saves a dispatch, and
// a scope that ends with the frame leaves its slots to the frame's release. Backwards, so that an
// unbinding before one that became an End becomes one too. Only the instructions from `first` on
// are new.
void end_early(Chunk& chunk, size_t first) {
  for (size_t i = chunk.code.size(); i-- > first;) {
    Instruction& instruction = chunk.code[i];
    bool releases = instruction.op == Op::Unbind || instruction.op == Op::LeaveMatch;
    const Instruction* next = instruction.op == Op::Jump ? &chunk.code[instruction.a]
                              : releases                 ? &chunk.code[i + 1]
                                                         : nullptr;
    if (next && next->op == Op::End) instruction = *next;
  }
}

// A call whose result ends the chunk is the last thing its frame does: the frame's variables it
// is given are read for the last time, and their values move into the call. Not the callee's
// own slot, nor a variable given twice.
void move_last_reads(Chunk& chunk, size_t first, Moves moves) {
  for (size_t i = first; i + 1 < chunk.code.size(); ++i) {
    const Instruction& call = chunk.code[i];
    const Instruction& next = chunk.code[i + 1];
    if (call.op != Op::Call || next.op != Op::End || next.a != call.a) continue;
    // The chunk owns its argument lists; the instructions only point at them.
    auto* arguments = const_cast<Argument*>(static_cast<const Argument*>(call.q));
    std::vector<uint32_t> variables;  // sorted, to count each one's uses at once
    for (const Argument* argument = arguments; argument != arguments + call.c; ++argument)
      if (argument->from == Argument::From::Variable) variables.push_back(argument->operand);
    std::sort(variables.begin(), variables.end());
    auto given_once = [&](uint32_t operand) {
      auto [from, to] = std::equal_range(variables.begin(), variables.end(), operand);
      return to - from == 1;
    };
    for (Argument* argument = arguments; argument != arguments + call.c; ++argument) {
      uint32_t operand = argument->operand;
      bool local = !(operand & kGlobalOperand) && operand >= moves.first_local && operand != call.b;
      if (argument->from == Argument::From::Variable && local && given_once(operand))
        argument->from = Argument::From::Moved;
    }
  }
}

// The compiler places jumps by position in the chunk; the dispatch loop takes them from the
// jumping instruction.
void make_jumps_relative(Chunk& chunk, size_t first) {
  for (size_t i = first; i < chunk.code.size(); ++i) {
    Instruction& instruction = chunk.code[i];
    if (jumps(instruction.op)) instruction.a -= static_cast<uint32_t>(i);
  }
}

// A copy straight before an End of the register copied into is one instruction: a function that
// ends with a variable's value (a parameter, say) saves a dispatch.
void copy_then_end(Chunk& chunk, size_t first) {
  for (size_t i = first + 1; i < chunk.code.size(); ++i) {
    Instruction& copy = chunk.code[i - 1];
    if (chunk.code[i].op == Op::End && copy.op == Op::Copy && copy.a == chunk.code[i].a) copy.op = Op::EndCopy;
  }
}

// Compiles what `compile` gives the compiler into `chunk`, ending with its value in register
// `first_temporary`; returns the end of the slots its temporaries need.
template <class Compile>
std::optional<uint32_t> compile_chunk(uint32_t first_temporary, const StackGuard& guard, Chunk& chunk, Moves moves,
                                      Compile compile) {
  size_t first = chunk.code.size();
  InstructionCompiler compiler(first_temporary + 1, guard, chunk, moves);
  compile(compiler);
  if (compiler.too_deep()) return std::nullopt;
  compiler.end(first_temporary);
  end_early(chunk, first);
  move_last_reads(chunk, first, moves);
  copy_then_end(chunk, first);
  make_jumps_relative(chunk, first);
  return compiler.temporaries_end();
}

}  // namespace

std::optional<uint32_t> compile_instructions(const Expr& expression, uint32_t first_temporary,
                                             const StackGuard& guard, Chunk& chunk, Moves moves) {
  return compile_chunk(first_temporary, guard, chunk, moves,
                       [&](InstructionCompiler& compiler) { compiler.expression(expression, first_temporary); });
}

std::optional<uint32_t> compile_statement(const Stmt& statement, uint32_t first_temporary, const StackGuard& guard,
                                          Chunk& chunk, Moves moves) {
  return compile_chunk(first_temporary, guard, chunk, moves,
                       [&](InstructionCompiler& compiler) { compiler.statement(statement, first_temporary); });
}

void compile_call(uint32_t count, Chunk& chunk) {
  std::vector<Argument>& arguments = chunk.arguments.emplace_back();
  for (uint32_t i = 1; i <= count; ++i) arguments.push_back({Argument::From::Temporary, i});
  chunk.code.push_back({Op::Call, {}, {}, 0, 0, count, nullptr, arguments.data()});
  chunk.code.push_back({Op::End});
}

}  // namespace ostrel::code
