#include "ast/ast.hpp"

namespace ostrel::ast {

const char* name_of(BinaryOperator op) {
  static const char* const names[] = {"Add", "Sub", "Mul", "Div", "IntDiv", "Mod", "Pow", "Eq",
                                      "Neq", "Lt",  "Lte", "Gt",  "Gte",    "And", "Or"};
  return names[static_cast<int>(op)];
}

const char* name_of(UnaryOperator op) {
  static const char* const names[] = {"Neg", "Pos", "Not"};
  return names[static_cast<int>(op)];
}

namespace {

// Detached nodes are chained through the nodes themselves: freeing a tree must not allocate, since
// it also runs while an out-of-memory error unwinds.
void take(ExprPtr& e, Expr*& out) {
  if (!e) return;
  Expr* node = e.release();
  node->next_to_free = out;
  out = node;
}

void take_all(std::vector<ExprPtr>& list, Expr*& out) {
  for (auto& e : list) take(e, out);
}

void take_from_statements(std::vector<Stmt>& statements, Expr*& out) {
  for (auto& s : statements) {
    if (auto* d = std::get_if<stmt::VariableDeclaration>(&s.node)) take(d->value, out);
    else if (auto* f = std::get_if<stmt::FunctionDeclaration>(&s.node)) take(f->decl.body, out);
    else if (auto* e = std::get_if<stmt::Expression>(&s.node)) take(e->expr, out);
    else if (auto* r = std::get_if<stmt::Return>(&s.node)) take(r->value, out);
  }
}

// Moves the child expressions of one node (including those held by the statements of a block and
// the arms of a match) onto the chain `out`, leaving the node shallow.
struct ChildDetacher {
  Expr*& out;
  void operator()(expr::List& n) { take_all(n.elements, out); }
  void operator()(expr::Tuple& n) { take_all(n.elements, out); }
  void operator()(expr::Dict& n) {
    for (auto& [k, v] : n.entries) { take(k, out); take(v, out); }
  }
  void operator()(expr::BinaryOp& n) { take(n.left, out); take(n.right, out); }
  void operator()(expr::UnaryOp& n) { take(n.operand, out); }
  void operator()(expr::Pipe& n) { take(n.left, out); take(n.right, out); }
  void operator()(expr::FunctionCall& n) { take(n.callee, out); take_all(n.arguments, out); }
  void operator()(expr::Index& n) { take(n.target, out); take(n.index, out); }
  void operator()(expr::MemberAccess& n) { take(n.object, out); }
  void operator()(expr::If& n) {
    take(n.condition, out);
    take(n.then_branch, out);
    for (auto& [c, b] : n.elif_branches) { take(c, out); take(b, out); }
    take(n.else_branch, out);
  }
  void operator()(expr::For& n) { take(n.iterable, out); take(n.body, out); }
  void operator()(expr::While& n) { take(n.condition, out); take(n.body, out); }
  void operator()(expr::Match& n) {
    take(n.scrutinee, out);
    for (auto& arm : n.arms) { take(arm.guard, out); take(arm.body, out); }
  }
  void operator()(expr::Lambda& n) { take(n.body, out); }
  void operator()(expr::ListComprehension& n) {
    take(n.element, out); take(n.iterable, out); take(n.condition, out);
  }
  void operator()(expr::Block& n) { take_from_statements(n.statements, out); }
  void operator()(expr::Assign& n) { take(n.target, out); take(n.value, out); }
  void operator()(expr::CompoundAssign& n) { take(n.target, out); take(n.value, out); }
  template <class Leaf>
  void operator()(Leaf&) {}
};

}  // namespace

Expr::~Expr() {
  Expr* pending = nullptr;
  std::visit(ChildDetacher{pending}, node);
  while (pending) {
    Expr* next = pending;
    pending = next->next_to_free;
    std::visit(ChildDetacher{pending}, next->node);
    delete next;  // shallow by now: its own destructor finds no children
  }
}

}  // namespace ostrel::ast
