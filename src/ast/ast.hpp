#pragma once
// The syntax tree: plain owned data between the parser and the evaluator. Every node owns its
// children; nothing records a source position. Variant and field names are printed verbatim by
// print_tree, so they follow the names users see.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace ostrel::ast {

struct Expr;
struct Stmt;
struct Pattern;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;

// One byte each, so that an instruction that names one stays 32 bytes.
enum class BinaryOperator : uint8_t { Add, Sub, Mul, Div, IntDiv, Mod, Pow, Eq, Neq, Lt, Lte, Gt, Gte, And, Or };
enum class UnaryOperator : uint8_t { Neg, Pos, Not };

const char* name_of(BinaryOperator op);
const char* name_of(UnaryOperator op);

struct Param {
  std::string name;
  std::optional<std::string> type_annotation;
};

struct FunctionDecl {
  std::string name;
  std::vector<Param> params;
  std::optional<std::string> return_type;
  ExprPtr body;
};

// ---- Patterns ----
namespace pattern {
struct Wildcard {};
struct Literal { ExprPtr value; };  // printed inline: the indirection is invisible
struct Identifier { std::string name; };
struct Tuple { std::vector<Pattern> elements; };
struct List { std::vector<Pattern> elements; std::optional<std::string> rest; };
struct Constructor { std::string name; std::vector<Pattern> arguments; };
}  // namespace pattern

struct Pattern {
  using Node = std::variant<pattern::Wildcard, pattern::Literal, pattern::Identifier, pattern::Tuple,
                            pattern::List, pattern::Constructor>;
  Node node;
};

struct MatchArm {
  Pattern pattern;
  ExprPtr guard;  // null when the arm has none
  ExprPtr body;
};

// ---- Expressions ----
namespace expr {
struct Integer { int64_t value; };
struct Float { double value; };
struct StringLit { std::string value; };
struct Boolean { bool value; };
struct Identifier { std::string name; };
struct List { std::vector<ExprPtr> elements; };
struct Dict { std::vector<std::pair<ExprPtr, ExprPtr>> entries; };
struct Tuple { std::vector<ExprPtr> elements; };
struct BinaryOp { BinaryOperator op; ExprPtr left; ExprPtr right; };
struct UnaryOp { UnaryOperator op; ExprPtr operand; };
struct Pipe { ExprPtr left; ExprPtr right; };
struct FunctionCall { ExprPtr callee; std::vector<ExprPtr> arguments; };
struct Index { ExprPtr target; ExprPtr index; };
struct MemberAccess { ExprPtr object; std::string member; };
struct If {
  ExprPtr condition;
  ExprPtr then_branch;
  std::vector<std::pair<ExprPtr, ExprPtr>> elif_branches;
  ExprPtr else_branch;  // null when absent
};
struct For { std::string variable; ExprPtr iterable; ExprPtr body; };
struct While { ExprPtr condition; ExprPtr body; };
struct Match { ExprPtr scrutinee; std::vector<MatchArm> arms; };
struct Lambda { std::vector<Param> params; ExprPtr body; };
struct ListComprehension {
  ExprPtr element;
  std::string variable;
  ExprPtr iterable;
  ExprPtr condition;  // null when absent
};
struct Block { std::vector<Stmt> statements; };
struct Assign { ExprPtr target; ExprPtr value; };
struct CompoundAssign { BinaryOperator op; ExprPtr target; ExprPtr value; };
}  // namespace expr

struct Expr {
  using Node = std::variant<expr::Integer, expr::Float, expr::StringLit, expr::Boolean, expr::Identifier,
                            expr::List, expr::Dict, expr::Tuple, expr::BinaryOp, expr::UnaryOp, expr::Pipe,
                            expr::FunctionCall, expr::Index, expr::MemberAccess, expr::If, expr::For,
                            expr::While, expr::Match, expr::Lambda, expr::ListComprehension, expr::Block,
                            expr::Assign, expr::CompoundAssign>;
  Node node;
  Expr* next_to_free = nullptr;  // used only while a tree is being freed

  template <class T>
  explicit Expr(T&& n) : node(std::forward<T>(n)) {}
  Expr(Expr&&) = default;
  Expr& operator=(Expr&&) = default;
  // Releases the subtree without recursing once per level, so trees of any depth can be freed.
  ~Expr();
};

template <class T>
ExprPtr make_expr(T&& node) {
  return std::make_unique<Expr>(std::forward<T>(node));
}

// ---- Type expressions and imports ----
struct TypeExpr;
namespace type_expr {
struct Simple { std::string name; };
struct Parameterized { std::string name; std::vector<TypeExpr> arguments; };
struct Tuple { std::vector<TypeExpr> elements; };
}  // namespace type_expr

struct TypeExpr {
  using Node = std::variant<type_expr::Simple, type_expr::Parameterized, type_expr::Tuple>;
  Node node;
};

namespace import_kind {
struct Simple { std::string path; };
struct Selective { std::vector<std::string> names; std::string path; };
struct Aliased { std::string path; std::string alias; };
}  // namespace import_kind
using ImportKind = std::variant<import_kind::Simple, import_kind::Selective, import_kind::Aliased>;

struct DataConstructor {
  std::string name;
  std::vector<std::string> fields;
};

// ---- Statements ----
namespace stmt {
struct Module { std::vector<Stmt> statements; };
struct Import { ImportKind kind; };
struct VariableDeclaration { std::string name; std::optional<std::string> type_annotation; ExprPtr value; };
struct FunctionDeclaration { FunctionDecl decl; };
struct TypeDefinition { std::string name; TypeExpr definition; };
struct DataDefinition { std::string name; std::vector<DataConstructor> constructors; };
struct TraitDefinition { std::string name; std::vector<FunctionDecl> methods; };
struct InstanceDefinition { std::string trait_name; TypeExpr for_type; std::vector<FunctionDecl> methods; };
struct Expression { ExprPtr expr; };  // printed inline
struct Return { ExprPtr value; };      // null for a bare "return"
}  // namespace stmt

struct Stmt {
  using Node = std::variant<stmt::Module, stmt::Import, stmt::VariableDeclaration, stmt::FunctionDeclaration,
                            stmt::TypeDefinition, stmt::DataDefinition, stmt::TraitDefinition,
                            stmt::InstanceDefinition, stmt::Expression, stmt::Return>;
  Node node;

  template <class T>
  explicit Stmt(T&& n) : node(std::forward<T>(n)) {}
};

}  // namespace ostrel::ast
