#include "interpreter/compiler.hpp"

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

bool is_call_to(const ast::Expr& e, std::string_view name) {
  auto* call = std::get_if<ast::expr::FunctionCall>(&e.node);
  const std::string* callee = call ? identifier_name(call->callee) : nullptr;
  return callee && *callee == name;
}

// The builtin range when the expression is a call of that name: a walk need not build it.
const Builtin* range_call(const ast::Expr& e) { return is_call_to(e, "range") ? builtin_named("range") : nullptr; }

// Which argument of a call to map, filter or sum is a range(...) call they could walk.
std::optional<Call::WalkedRange> walked_range(const ast::expr::FunctionCall& call) {
  using Walker = Call::WalkedRange::Walker;
  const std::string* callee = identifier_name(call.callee);
  if (!callee) return std::nullopt;
  const auto& arguments = call.arguments;
  bool mapping = *callee == "map" || *callee == "filter";
  if (mapping && arguments.size() == 2 && range_call(*arguments[1]))
    return Call::WalkedRange{*callee == "map" ? Walker::Map : Walker::Filter, builtin_named(*callee), range_call(*arguments[1]), 1};
  if (*callee == "sum" && !arguments.empty() && range_call(*arguments[0]))
    return Call::WalkedRange{Walker::Sum, builtin_named(*callee), range_call(*arguments[0]), 0};
  return std::nullopt;
}

// Which in-place form, if any, `target = value` has.
InPlace in_place_form(const std::string& target, const ast::Expr& value) {
  if (auto* binary = std::get_if<ast::expr::BinaryOp>(&value.node)) {
    const std::string* left = identifier_name(binary->left);
    if (binary->op == ast::BinaryOperator::Add && left && *left == target) return InPlace::Add;
  }
  if (auto* call = std::get_if<ast::expr::FunctionCall>(&value.node)) {
    const std::string* callee = identifier_name(call->callee);
    const std::string* first = call->arguments.size() == 2 ? identifier_name(call->arguments[0]) : nullptr;
    if (callee && *callee == "append" && first && *first == target) return InPlace::Append;
  }
  return InPlace::No;
}

struct ExpressionCompiler {
  Compiler& compiler;

  ExprPtr operator()(const ast::expr::Integer& n) { return constant(Value::integer(n.value)); }
  ExprPtr operator()(const ast::expr::Float& n) { return constant(Value::floating(n.value)); }
  ExprPtr operator()(const ast::expr::StringLit& n) { return constant(Value::string(n.value)); }
  ExprPtr operator()(const ast::expr::Boolean& n) { return constant(Value::boolean(n.value)); }
  ExprPtr operator()(const ast::expr::Identifier& n) {
    auto out = make<Name>();
    out->symbol = compiler.use(n.name);
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
    out->member = n.member;
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
    out->variable = compiler.intern(n.variable);
    out->iterable = sub(*n.iterable);
    out->range = range_call(*n.iterable);
    out->body = sub(*n.body);
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
    for (const auto& arm : n.arms) {
      out->arms.push_back(
          {compiler.pattern(arm.pattern), arm.guard ? sub(*arm.guard) : nullptr, sub(*arm.body)});
    }
    return out;
  }
  ExprPtr operator()(const ast::expr::Lambda& n) {
    auto out = make<Lambda>();
    out->function = compiler.function(std::nullopt, n.params, *n.body);
    return out;
  }
  ExprPtr operator()(const ast::expr::ListComprehension& n) {
    auto out = make<Comprehension>();
    out->element = sub(*n.element);
    out->variable = compiler.intern(n.variable);
    out->iterable = sub(*n.iterable);
    out->range = range_call(*n.iterable);
    if (n.condition) out->condition = sub(*n.condition);
    return out;
  }
  ExprPtr operator()(const ast::expr::Block& n) {
    auto out = make<Block>();
    out->statements.reserve(n.statements.size());
    for (const auto& statement : n.statements) out->statements.push_back(compiler.statement(statement));
    return out;
  }
  ExprPtr operator()(const ast::expr::Assign& n) {
    auto out = make<Assign>();
    out->value = sub(*n.value);
    if (const std::string* target = identifier_name(n.target)) {
      out->target = compiler.use(*target);
      out->in_place = in_place_form(*target, *n.value);
    }
    return out;
  }
  ExprPtr operator()(const ast::expr::CompoundAssign& n) {
    auto out = make<CompoundAssign>();
    out->op = n.op;
    out->current = sub(*n.target);
    out->value = sub(*n.value);
    if (const std::string* target = identifier_name(n.target)) out->target = compiler.use(*target);
    return out;
  }

  ExprPtr sub(const ast::Expr& e) { return compiler.expression(e); }
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

struct PatternCompiler {
  Compiler& compiler;

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
    out.name = compiler.intern(p.name);
    return out;
  }
  Pattern operator()(const ast::pattern::Tuple& p) { return with_elements(Pattern::Kind::Tuple, p.elements); }
  Pattern operator()(const ast::pattern::List& p) {
    Pattern out = with_elements(Pattern::Kind::List, p.elements);
    if (p.rest) out.rest = compiler.intern(*p.rest);
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
    for (const auto& element : elements) out.elements.push_back(compiler.pattern(element));
    return out;
  }
};

Stmt of_kind(Stmt::Kind kind) {
  Stmt out;
  out.kind = kind;
  return out;
}

}  // namespace

bool Compiler::out_of_stack() {
  if (guard_.exhausted()) out_of_stack_ = true;
  return out_of_stack_;
}

std::optional<code::Stmt> Compiler::compile(const ast::Stmt& statement) {
  out_of_stack_ = false;
  used_names_.clear();
  code::Stmt out = this->statement(statement);
  if (out_of_stack_) return std::nullopt;
  return out;
}

code::ExprPtr Compiler::expression(const ast::Expr& expression) {
  if (out_of_stack()) return ExpressionCompiler::constant(Value());
  return std::visit(ExpressionCompiler{*this}, expression.node);
}

code::Pattern Compiler::pattern(const ast::Pattern& pattern) {
  if (out_of_stack()) return PatternCompiler::with_kind(Pattern::Kind::Never);
  return std::visit(PatternCompiler{*this}, pattern.node);
}

std::shared_ptr<const code::FunctionCode> Compiler::function(std::optional<std::string> name,
                                                             const std::vector<ast::Param>& params,
                                                             const ast::Expr& body) {
  auto out = std::make_shared<FunctionCode>();
  if (name) out->name = intern(*name);
  for (const auto& param : params) out->params.push_back(intern(param.name));
  used_names_.emplace_back();
  out->body = expression(body);
  std::vector<Symbol> used = std::move(used_names_.back());
  used_names_.pop_back();
  // The call binds the parameters and the function's own name, so they never come from outside.
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  for (Symbol symbol : used) {
    bool bound_by_call = (out->name && *out->name == symbol) ||
                         std::find(out->params.begin(), out->params.end(), symbol) != out->params.end();
    if (bound_by_call) continue;
    out->free_names.push_back(symbol);
    if (!used_names_.empty()) used_names_.back().push_back(symbol);
  }
  return out;
}

Symbol Compiler::use(const std::string& name) {
  Symbol symbol = intern(name);
  if (!used_names_.empty()) used_names_.back().push_back(symbol);
  return symbol;
}

code::Stmt Compiler::statement(const ast::Stmt& statement) {
  if (out_of_stack()) return of_kind(Stmt::Kind::Nothing);
  if (auto* s = std::get_if<ast::stmt::Module>(&statement.node)) {
    Stmt out = of_kind(Stmt::Kind::Sequence);
    out.statements.reserve(s->statements.size());
    for (const auto& inner : s->statements) out.statements.push_back(this->statement(inner));
    return out;
  }
  if (auto* s = std::get_if<ast::stmt::VariableDeclaration>(&statement.node)) {
    Stmt out = of_kind(Stmt::Kind::Declare);
    out.name = intern(s->name);
    out.expr = expression(*s->value);
    return out;
  }
  if (auto* s = std::get_if<ast::stmt::FunctionDeclaration>(&statement.node)) {
    Stmt out = of_kind(Stmt::Kind::Function);
    out.name = intern(s->decl.name);
    out.function = function(s->decl.name, s->decl.params, *s->decl.body);
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
