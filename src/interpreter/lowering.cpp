#include "interpreter/lowering.hpp"

#include <algorithm>

namespace ostrel {
namespace {

using namespace code;

template <class T>
std::unique_ptr<T> make() {
  return std::make_unique<T>();
}

const std::string* identifier_name(const ast::ExprPtr& e) {
  auto* id = e ? std::get_if<ast::expr::Identifier>(&e->node) : nullptr;
  return id ? &id->name : nullptr;
}

// The kind of builtin a call's callee names, if its name is one of the builtins'. The compiled
// code checks that the name still stands for that builtin when it runs.
BuiltinKind callee_kind(const ast::expr::FunctionCall& call) {
  const std::string* callee = identifier_name(call.callee);
  const Builtin* builtin = callee ? builtin_named(*callee) : nullptr;
  return builtin ? builtin->kind : BuiltinKind::Plain;
}

bool calls_range(const ast::Expr& e) {
  auto* call = std::get_if<ast::expr::FunctionCall>(&e.node);
  return call && callee_kind(*call) == BuiltinKind::Range;
}

// A loop's or comprehension's iterable that is a call of range.
std::optional<WalkedRange> walked_iterable(const ast::Expr& iterable, bool collects) {
  if (calls_range(iterable)) return WalkedRange{BuiltinKind::Plain, collects};
  return std::nullopt;
}

// A call to map or filter whose list argument, or to sum whose first argument, is a call of
// range.
std::optional<WalkedRange> walked_range(const ast::expr::FunctionCall& call) {
  BuiltinKind kind = callee_kind(call);
  const auto& arguments = call.arguments;
  bool mapping = kind == BuiltinKind::Map || kind == BuiltinKind::Filter;
  if (mapping && arguments.size() == 2 && calls_range(*arguments[1])) return WalkedRange{kind, kind == BuiltinKind::Map};
  if (kind == BuiltinKind::Sum && !arguments.empty() && calls_range(*arguments[0])) return WalkedRange{kind, false};
  return std::nullopt;
}

// Map or filter when the call is one of them with two arguments.
BuiltinKind mapping_call(const ast::expr::FunctionCall& call) {
  BuiltinKind kind = callee_kind(call);
  bool mapping = kind == BuiltinKind::Map || kind == BuiltinKind::Filter;
  return mapping && call.arguments.size() == 2 ? kind : BuiltinKind::Plain;
}

// Which in-place form, if any, `target = value` has.
InPlace in_place_form(const std::string& target, const ast::Expr& value) {
  if (auto* binary = std::get_if<ast::expr::BinaryOp>(&value.node)) {
    const std::string* left = identifier_name(binary->left);
    if (binary->op == ast::BinaryOperator::Add && left && *left == target) return InPlace::Add;
  }
  if (auto* call = std::get_if<ast::expr::FunctionCall>(&value.node)) {
    const std::string* first = call->arguments.size() == 2 ? identifier_name(call->arguments[0]) : nullptr;
    if (callee_kind(*call) == BuiltinKind::Append && first && *first == target) return InPlace::Append;
  }
  return InPlace::No;
}

struct ExpressionLowering {
  Lowering& lowering;

  ExprPtr operator()(const ast::expr::Integer& n) { return constant(Value::integer(n.value)); }
  ExprPtr operator()(const ast::expr::Float& n) { return constant(Value::floating(n.value)); }
  ExprPtr operator()(const ast::expr::StringLit& n) { return constant(lowering.text(n.value)); }
  ExprPtr operator()(const ast::expr::Boolean& n) { return constant(Value::boolean(n.value)); }
  ExprPtr operator()(const ast::expr::Identifier& n) {
    auto out = make<Name>();
    lowering.use(out->ref, n.name, false);
    return out;
  }
  ExprPtr operator()(const ast::expr::List& n) { return elements(ExprKind::List, n.elements); }
  ExprPtr operator()(const ast::expr::Tuple& n) { return elements(ExprKind::Tuple, n.elements); }
  ExprPtr operator()(const ast::expr::Dict& n) {
    auto out = make<DictLiteral>();
    for (const auto& [key, value] : n.entries) out->entries.emplace_back(sub(*key), sub(*value));
    return out;
  }
  ExprPtr operator()(const ast::expr::BinaryOp& n) {
    auto out = make<Binary>();
    out->op = n.op;
    out->left = sub(*n.left);
    out->right = sub(*n.right);
    return out;
  }
  ExprPtr operator()(const ast::expr::UnaryOp& n) {
    auto out = make<Unary>();
    out->op = n.op;
    out->operand = sub(*n.operand);
    return out;
  }
  ExprPtr operator()(const ast::expr::Pipe& n) {
    auto out = make<Pipe>();
    out->left = sub(*n.left);
    out->right = sub(*n.right);
    return out;
  }
  ExprPtr operator()(const ast::expr::FunctionCall& n) {
    auto out = make<Call>();
    out->callee = sub(*n.callee);
    for (const auto& argument : n.arguments) out->arguments.push_back(sub(*argument));
    out->walked_range = walked_range(n);
    out->mapping = mapping_call(n);
    BuiltinKind kind = callee_kind(n);
    bool computed = (kind == BuiltinKind::Length || kind == BuiltinKind::Text) && n.arguments.size() == 1;
    out->computed = computed ? kind : BuiltinKind::Plain;
    return out;
  }
  ExprPtr operator()(const ast::expr::Index& n) {
    auto out = make<Index>();
    out->target = sub(*n.target);
    out->index = sub(*n.index);
    return out;
  }
  ExprPtr operator()(const ast::expr::MemberAccess& n) {
    auto out = make<Member>();
    out->object = sub(*n.object);
    out->name = lowering.text(n.member);
    return out;
  }
  ExprPtr operator()(const ast::expr::If& n) {
    auto out = make<If>();
    out->branches.emplace_back(sub(*n.condition), sub(*n.then_branch));
    for (const auto& [condition, body] : n.elif_branches) out->branches.emplace_back(sub(*condition), sub(*body));
    if (n.else_branch) out->otherwise = sub(*n.else_branch);
    return out;
  }
  ExprPtr operator()(const ast::expr::For& n) {
    auto out = make<For>();
    out->iterable = sub(*n.iterable);
    out->walked_range = walked_iterable(*n.iterable, false);
    lowering.enter_scope();
    out->variable = lowering.declare_local(n.variable);
    lowering.bound_from_start();  // each step binds the variable before the body runs
    out->body = sub(*n.body);
    out->scope = lowering.leave_scope();
    return out;
  }
  ExprPtr operator()(const ast::expr::While& n) {
    auto out = make<While>();
    out->condition = sub(*n.condition);
    out->body = sub(*n.body);
    return out;
  }
  ExprPtr operator()(const ast::expr::Match& n) {
    auto out = make<Match>();
    out->scrutinee = sub(*n.scrutinee);
    // The arms' pattern names share slots, each arm's first name in the first one and so on:
    // an arm binds all of its names before any of its code runs, so no arm sees what another
    // left there.
    for (const auto& arm : n.arms) {
      lowering.enter_scope();
      Arm lowered;
      lowered.pattern = lowering.pattern(arm.pattern, out->shared);
      size_t pattern_names = lowering.scope_size();
      lowering.bound_from_start();  // the pattern binds its names before the guard and body run
      if (arm.guard) lowered.guard = sub(*arm.guard);
      lowered.body = sub(*arm.body);
      lowered.scope = lowering.leave_scope();
      lowered.assigned.assign(lowered.scope.begin() + pattern_names, lowered.scope.end());
      out->arms.push_back(std::move(lowered));
    }
    return out;
  }
  ExprPtr operator()(const ast::expr::Lambda& n) {
    auto out = make<Lambda>();
    out->closure = lowering.function(std::nullopt, n.params, *n.body);
    return out;
  }
  ExprPtr operator()(const ast::expr::ListComprehension& n) {
    auto out = make<Comprehension>();
    out->iterable = sub(*n.iterable);
    out->walked_range = walked_iterable(*n.iterable, !n.condition);
    lowering.enter_scope();
    out->variable = lowering.declare_local(n.variable);
    lowering.bound_from_start();  // each step binds the variable before the condition runs
    if (n.condition) out->condition = sub(*n.condition);
    out->element = sub(*n.element);
    out->scope = lowering.leave_scope();
    return out;
  }
  ExprPtr operator()(const ast::expr::Block& n) {
    auto out = make<Block>();
    lowering.enter_scope();
    out->statements.reserve(n.statements.size());
    for (const auto& statement : n.statements) out->statements.push_back(lowering.statement(statement));
    out->scope = lowering.leave_scope();
    return out;
  }
  ExprPtr operator()(const ast::expr::Assign& n) {
    auto out = make<Assign>();
    out->value = sub(*n.value);
    if (const std::string* target = identifier_name(n.target)) {
      lowering.use(out->target.emplace(), *target, true);
      out->in_place = in_place_form(*target, *n.value);
    }
    return out;
  }
  ExprPtr operator()(const ast::expr::CompoundAssign& n) {
    auto out = make<CompoundAssign>();
    out->op = n.op;
    out->current = sub(*n.target);
    out->value = sub(*n.value);
    if (const std::string* target = identifier_name(n.target)) {
      lowering.use(out->target.emplace(), *target, false);
      lowering.changed(*target);
    }
    return out;
  }

  ExprPtr sub(const ast::Expr& e) { return lowering.expression(e); }
  static ExprPtr constant(Value value) {
    auto out = make<Constant>();
    out->value = std::move(value);
    return out;
  }
  ExprPtr elements(ExprKind kind, const std::vector<ast::ExprPtr>& items) {
    auto out = std::make_unique<Elements>(kind);
    out->elements.reserve(items.size());
    for (const auto& item : items) out->elements.push_back(sub(*item));
    return out;
  }
};

// The value of a literal pattern, or none when the pattern holds another kind of expression.
std::optional<Value> literal_value(const ast::Expr& e) {
  if (auto* n = std::get_if<ast::expr::Integer>(&e.node)) return Value::integer(n->value);
  if (auto* n = std::get_if<ast::expr::Float>(&e.node)) return Value::floating(n->value);
  if (auto* n = std::get_if<ast::expr::StringLit>(&e.node)) return Value::string(n->value);
  if (auto* n = std::get_if<ast::expr::Boolean>(&e.node)) return Value::boolean(n->value);
  return std::nullopt;
}

struct PatternLowering {
  Lowering& lowering;
  ScopeSlots& shared;

  Pattern operator()(const ast::pattern::Wildcard&) { return with_kind(Pattern::Kind::Wildcard); }
  Pattern operator()(const ast::pattern::Literal& p) {
    std::optional<Value> value = p.value ? literal_value(*p.value) : std::nullopt;
    if (!value) return with_kind(Pattern::Kind::Never);
    Pattern out = with_kind(Pattern::Kind::Literal);
    out.literal = std::move(*value);
    return out;
  }
  Pattern operator()(const ast::pattern::Identifier& p) {
    Pattern out = with_kind(Pattern::Kind::Name);
    out.name = lowering.declare_pattern_name(p.name, shared);
    return out;
  }
  Pattern operator()(const ast::pattern::Tuple& p) { return with_elements(Pattern::Kind::Tuple, p.elements); }
  Pattern operator()(const ast::pattern::List& p) {
    Pattern out = with_elements(Pattern::Kind::List, p.elements);
    if (p.rest) out.rest = lowering.declare_pattern_name(*p.rest, shared);
    return out;
  }
  Pattern operator()(const ast::pattern::Constructor&) { return with_kind(Pattern::Kind::Never); }

  static Pattern with_kind(Pattern::Kind kind) {
    Pattern out;
    out.kind = kind;
    return out;
  }
  Pattern with_elements(Pattern::Kind kind, const std::vector<ast::Pattern>& elements) {
    Pattern out = with_kind(kind);
    for (const auto& element : elements) out.elements.push_back(lowering.pattern(element, shared));
    return out;
  }
};

Stmt of_kind(Stmt::Kind kind) {
  Stmt out;
  out.kind = kind;
  return out;
}

// Whether the parameters' slots are `first`, `first + 1`, ...: no name given twice, none the
// function's own.
bool params_follow_one_another(const std::vector<uint32_t>& slots, uint32_t first) {
  for (size_t i = 0; i < slots.size(); ++i)
    if (slots[i] != first + i) return false;
  return true;
}

}  // namespace

Value Lowering::text(const std::string& text) {
  auto [it, inserted] = texts_.try_emplace(text);
  if (inserted) {
    it->second = Value::string(text);
    it->second.text_hash();  // kept with the payload: a key compared with it is mostly ruled out by hash
  }
  return it->second;
}

bool Lowering::out_of_stack() {
  if (guard_.exhausted()) out_of_stack_ = true;
  return out_of_stack_;
}

std::unique_ptr<code::TopLevel> Lowering::lower(const ast::Stmt& statement) {
  out_of_stack_ = false;
  Function top;
  top.scopes.emplace_back().global = true;
  top.innermost = &top.scopes.back();
  function_ = &top;
  auto out = std::make_unique<code::TopLevel>();
  out->statement = this->statement(statement);
  function_ = nullptr;
  if (out_of_stack_) return nullptr;
  for (const Use& use : top.uses) resolve(top, use);
  out->variables = top.frame_size;
  std::optional<uint32_t> frame_size =
      compile_statement(out->statement, top.frame_size, guard_, out->instructions, {0, moves_globals_});
  if (!frame_size) return nullptr;
  out->frame_size = *frame_size;
  return out;
}

code::ExprPtr Lowering::expression(const ast::Expr& expression) {
  if (out_of_stack()) return ExpressionLowering::constant(Value());
  return std::visit(ExpressionLowering{*this}, expression.node);
}

code::Pattern Lowering::pattern(const ast::Pattern& pattern, code::ScopeSlots& shared) {
  if (out_of_stack()) return PatternLowering::with_kind(Pattern::Kind::Never);
  return std::visit(PatternLowering{*this, shared}, pattern.node);
}

// The body is lowered as a function of its own; the names it uses from outside become
// captured slots, and where they are read when the value is made is resolved in the enclosing
// function like any other use.
code::Closure Lowering::function(std::optional<std::string> name, const std::vector<ast::Param>& params,
                                 const ast::Expr& body) {
  auto code = std::make_shared<FunctionCode>();
  Function inner;
  inner.outer = function_;
  Scope& call = inner.scopes.emplace_back();
  inner.innermost = &call;
  function_ = &inner;
  if (name) {
    code->self_slot = local_slot(call, symbols_.intern(*name));
    inner.own_name = symbols_.intern(*name);
  }
  for (const auto& param : params) code->param_slots.push_back(local_slot(call, symbols_.intern(param.name)));
  call.always_bound = call.slots.size();
  code->param_count = static_cast<uint32_t>(code->param_slots.size());
  code->bound_on_entry = static_cast<uint32_t>(call.slots.size());
  code->body = expression(body);
  function_ = inner.outer;
  if (out_of_stack_) return {};
  code->self_borrowed = code->self_slot && !inner.own_name_changed;
  for (const Use& use : inner.uses) resolve(inner, use);
  code->variables = inner.frame_size;
  // A lent own name is never moved out of its slot.
  code::Moves moves{code->self_borrowed ? 1u : 0u, false};
  std::optional<uint32_t> frame_size =
      compile_instructions(*code->body, inner.frame_size, guard_, code->instructions, moves);
  if (!frame_size) {
    out_of_stack_ = true;
    return {};
  }
  code->frame_size = *frame_size;
  code::Closure closure;
  closure.captures.resize(inner.captured.size());
  for (size_t i = 0; i < inner.captured.size(); ++i) {
    code->capture_slots.push_back(inner.captured[i].second);
    closure.captures[i].name = inner.captured[i].first;
    // Moving the closure into its node keeps the vector's elements where they are.
    resolve_later(closure.captures[i]);
  }
  bool block = params_follow_one_another(code->param_slots, code->self_slot ? 1 : 0) &&
               (!code->self_slot || code->self_borrowed);
  code->entry = !block                           ? FunctionCode::Entry::General
                : code->capture_slots.empty()    ? FunctionCode::Entry::Block
                                                 : FunctionCode::Entry::BlockAndCaptures;
  closure.code = std::move(code);
  return closure;
}

void Lowering::bound_from_start() {
  Scope& scope = *function_->innermost;
  scope.always_bound = scope.slots.size();
}

void Lowering::enter_scope() {
  Scope& scope = function_->scopes.emplace_back();
  scope.parent = function_->innermost;
  function_->innermost = &scope;
}

// A slot that is only assigned to is bound by an assignment only while no outer slot of the name
// is bound; when an outer one is bound all the while the scope runs, it is never bound and need
// not be unbound (see keep_declared_only).
code::ScopeSlots Lowering::leave_scope() {
  Scope& scope = *function_->innermost;
  code::ScopeSlots slots;
  for (size_t i = 0; i < scope.slots.size(); ++i) {
    auto [name, slot] = scope.slots[i];
    if (is_declared(slot) || i < scope.always_bound || !bound_here(scope.parent, name)) slots.push_back(slot);
  }
  function_->innermost = scope.parent;
  return slots;
}

// The nearest slot from `scope` outwards that can hold the name, if it is sure to be bound at the
// point the walk has reached: a call's own name or a parameter, a loop's variable, a name the
// scope's statements before this point declared (a block's scope is new each time it runs, and
// its statements run in order), or a global bound when the statement was lowered.
std::optional<code::Slot> Lowering::bound_here(const Scope* scope, Symbol name) {
  for (const Scope* s = scope; s; s = s->parent) {
    if (s->global) {
      uint32_t slot = globals_.slot_of(name);
      // A global is never unbound again; top-level statements are lowered just before they run.
      if (is_bound(globals_[slot])) return code::Slot{slot, true};
      return std::nullopt;
    }
    size_t at = s->slots.position(name);
    if (at == s->slots.size()) continue;
    uint32_t slot = s->slots[at].second;
    if (at < s->always_bound || is_declared(slot)) return code::Slot{slot, false};
  }
  return std::nullopt;
}

code::Slot Lowering::declare(const std::string& name) {
  code::Slot slot = innermost_slot(name);
  if (!slot.global) mark_declared(slot.index);
  return slot;
}

uint32_t Lowering::declare_local(const std::string& name) {
  uint32_t slot = local_slot(*function_->innermost, symbols_.intern(name));
  mark_declared(slot);
  return slot;
}

// While its pattern is lowered, an arm's scope holds only the pattern's names: the next new one
// takes the next of the shared slots.
uint32_t Lowering::declare_pattern_name(const std::string& name, code::ScopeSlots& shared) {
  Scope& scope = *function_->innermost;
  Symbol symbol = symbols_.intern(name);
  if (const auto* entry = scope.slots.find(symbol)) return entry->second;  // a name given twice
  size_t taken = scope.slots.size();
  if (taken == shared.size()) shared.push_back(function_->frame_size++);
  scope.slots.add(symbol, shared[taken]);
  mark_declared(shared[taken]);
  return shared[taken];
}

void Lowering::use(code::Ref& ref, const std::string& name, bool assigned) {
  if (assigned) innermost_slot(name);
  ref.name = symbols_.intern(name);
  resolve_later(ref);
}

void Lowering::resolve_later(code::Ref& ref) {
  Scope* scope = function_->innermost;
  function_->uses.push_back({&ref, scope, bound_here(scope, ref.name)});
}

code::Slot Lowering::innermost_slot(const std::string& name) {
  Scope& scope = *function_->innermost;
  Symbol symbol = symbols_.intern(name);
  if (scope.global) return {globals_.slot_of(symbol), true};
  return {local_slot(scope, symbol), false};
}

bool Lowering::is_declared(uint32_t slot) const {
  return slot < function_->declared.size() && function_->declared[slot];
}

void Lowering::mark_declared(uint32_t slot) {
  std::vector<bool>& declared = function_->declared;
  if (declared.size() <= slot) declared.resize(slot + 1);
  declared[slot] = true;
}

void Lowering::changed(const std::string& name) {
  if (function_->own_name == symbols_.intern(name)) function_->own_name_changed = true;
}

// Every name a function binds (a parameter, a declaration, an assignment's target) gets its
// slot here: one that is the function's own name, in any scope, may end up in the own name's slot.
uint32_t Lowering::local_slot(Scope& scope, Symbol name) {
  if (function_->own_name == name) function_->own_name_changed = true;
  if (const auto* entry = scope.slots.find(name)) return entry->second;
  scope.slots.add(name, function_->frame_size);
  return function_->frame_size++;
}

// The slots from the use's scope outwards, ending at the one that was sure to be bound there.
void Lowering::resolve(Function& function, const Use& use) {
  code::Ref& ref = *use.ref;
  auto is_bound_one = [&](code::Slot slot) {
    return use.bound && use.bound->index == slot.index && use.bound->global == slot.global;
  };
  for (Scope* s = use.scope; s; s = s->parent) {
    code::Slot slot{0, s->global};
    if (s->global) {
      slot.index = globals_.slot_of(ref.name);
    } else {
      const auto* held = s->slots.find(ref.name);
      if (!held) continue;
      slot.index = held->second;
    }
    ref.always_bound = is_bound_one(slot);
    if (ref.always_bound) keep_declared_only(function, ref);
    ref.slots.push_back(slot);
    if (ref.always_bound || s->global) return;
  }
  ref.slots.push_back({captured_slot(function, ref.name), false});
}

// Called when the next slot of the Ref is always bound. An assignment binds an inner scope's
// slot only when no slot of the name is bound, so before that slot only the declared ones can
// ever hold the name; dropping the others lets a name often keep a single slot.
void Lowering::keep_declared_only(const Function& function, code::Ref& ref) {
  auto never_bound = [&](const code::Slot& slot) {
    return slot.index >= function.declared.size() || !function.declared[slot.index];
  };
  ref.slots.erase(std::remove_if(ref.slots.begin(), ref.slots.end(), never_bound), ref.slots.end());
}

uint32_t Lowering::captured_slot(Function& function, Symbol name) {
  if (const auto* entry = function.captured.find(name)) return entry->second;
  function.captured.add(name, function.frame_size);
  return function.frame_size++;
}

code::Stmt Lowering::statement(const ast::Stmt& statement) {
  if (out_of_stack()) return of_kind(Stmt::Kind::Nothing);
  if (auto* s = std::get_if<ast::stmt::VariableDeclaration>(&statement.node)) {
    Stmt out = of_kind(Stmt::Kind::Declare);
    out.expr = expression(*s->value);
    out.slot = declare(s->name);
    return out;
  }
  if (auto* s = std::get_if<ast::stmt::FunctionDeclaration>(&statement.node)) {
    Stmt out = of_kind(Stmt::Kind::Function);
    out.function = function(s->decl.name, s->decl.params, *s->decl.body);
    out.slot = declare(s->decl.name);
    return out;
  }
  if (auto* s = std::get_if<ast::stmt::Expression>(&statement.node)) {
    Stmt out = of_kind(Stmt::Kind::Evaluate);
    out.expr = expression(*s->expr);
    return out;
  }
  if (auto* s = std::get_if<ast::stmt::Return>(&statement.node)) {
    Stmt out = of_kind(Stmt::Kind::Return);
    if (s->value) out.expr = expression(*s->value);
    return out;
  }
  return of_kind(Stmt::Kind::Nothing);
}

}  // namespace ostrel
