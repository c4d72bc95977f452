#pragma once
// Short constructors for hand-built syntax trees in evaluator tests.
#include <string>
#include <utility>
#include <vector>

#include "ast/ast.hpp"

namespace build {

using namespace ostrel::ast;
using Op = BinaryOperator;

template <class... Items>
std::vector<ExprPtr> exprs(Items&&... items) {
  std::vector<ExprPtr> out;
  (out.push_back(std::forward<Items>(items)), ...);
  return out;
}

template <class... Items>
std::vector<Stmt> stmts(Items&&... items) {
  std::vector<Stmt> out;
  (out.push_back(std::forward<Items>(items)), ...);
  return out;
}

inline ExprPtr integer(int64_t v) { return make_expr(expr::Integer{v}); }
inline ExprPtr floating(double v) { return make_expr(expr::Float{v}); }
inline ExprPtr text(std::string v) { return make_expr(expr::StringLit{std::move(v)}); }
inline ExprPtr boolean(bool v) { return make_expr(expr::Boolean{v}); }
inline ExprPtr name(std::string n) { return make_expr(expr::Identifier{std::move(n)}); }
inline ExprPtr binary(Op op, ExprPtr l, ExprPtr r) { return make_expr(expr::BinaryOp{op, std::move(l), std::move(r)}); }
inline ExprPtr unary(UnaryOperator op, ExprPtr e) { return make_expr(expr::UnaryOp{op, std::move(e)}); }
inline ExprPtr assign(ExprPtr target, ExprPtr value) {
  return make_expr(expr::Assign{std::move(target), std::move(value)});
}
inline ExprPtr compound(Op op, ExprPtr target, ExprPtr value) {
  return make_expr(expr::CompoundAssign{op, std::move(target), std::move(value)});
}
inline ExprPtr index(ExprPtr target, ExprPtr i) { return make_expr(expr::Index{std::move(target), std::move(i)}); }
inline ExprPtr member(ExprPtr object, std::string m) {
  return make_expr(expr::MemberAccess{std::move(object), std::move(m)});
}
inline ExprPtr if_else(ExprPtr c, ExprPtr t, ExprPtr e = nullptr) {
  return make_expr(expr::If{std::move(c), std::move(t), {}, std::move(e)});
}
inline ExprPtr while_loop(ExprPtr c, ExprPtr body) { return make_expr(expr::While{std::move(c), std::move(body)}); }
inline ExprPtr for_loop(std::string v, ExprPtr it, ExprPtr body) {
  return make_expr(expr::For{std::move(v), std::move(it), std::move(body)});
}
inline ExprPtr lambda(std::vector<std::string> params, ExprPtr body) {
  std::vector<Param> ps;
  for (auto& p : params) ps.push_back({std::move(p), std::nullopt});
  return make_expr(expr::Lambda{std::move(ps), std::move(body)});
}

template <class... Args>
ExprPtr call(std::string callee, Args&&... args) {
  return make_expr(expr::FunctionCall{name(std::move(callee)), exprs(std::forward<Args>(args)...)});
}
template <class... Items>
ExprPtr list(Items&&... items) {
  return make_expr(expr::List{exprs(std::forward<Items>(items)...)});
}
template <class... Items>
ExprPtr tuple(Items&&... items) {
  return make_expr(expr::Tuple{exprs(std::forward<Items>(items)...)});
}
template <class... Items>
ExprPtr block(Items&&... items) {
  return make_expr(expr::Block{stmts(std::forward<Items>(items)...)});
}

inline Stmt expression(ExprPtr e) { return Stmt(stmt::Expression{std::move(e)}); }
inline Stmt var(std::string n, ExprPtr e) { return Stmt(stmt::VariableDeclaration{std::move(n), std::nullopt, std::move(e)}); }
inline Stmt ret(ExprPtr e = nullptr) { return Stmt(stmt::Return{std::move(e)}); }
inline Stmt def(std::string n, std::vector<std::string> params, ExprPtr body) {
  std::vector<Param> ps;
  for (auto& p : params) ps.push_back({std::move(p), std::nullopt});
  return Stmt(stmt::FunctionDeclaration{FunctionDecl{std::move(n), std::move(ps), std::nullopt, std::move(body)}});
}

template <class... Items>
StmtPtr program(Items&&... items) {
  return std::make_unique<Stmt>(stmt::Module{stmts(std::forward<Items>(items)...)});
}

}  // namespace build
