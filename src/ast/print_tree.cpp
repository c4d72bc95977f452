#include "ast/print_tree.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "support/big_stack.hpp"
#include "support/text_format.hpp"

namespace ostrel {
namespace {

using namespace ast;

// A child that may be absent, printed as "None" or "Some(...)".
struct MaybeExpr {
  const Expr* expr;
};

MaybeExpr maybe(const ExprPtr& child) { return MaybeExpr{child.get()}; }

// A record field: its name and value.
template <class T>
struct Named {
  const char* name;
  const T& value;
};

template <class T>
Named<T> named(const char* name, const T& value) {
  return Named<T>{name, value};
}

// Room kept below the deepest node printed, for the sink's work.
constexpr std::uintptr_t kStackReserve = std::uintptr_t{128} << 10;

// Writes the print of each node starting on the current line; `depth` is the indentation level of
// the line the node starts on, and its inner lines are indented one level more. Recursion goes one
// level per tree level with small frames. The nesting of a tree is capped when it is parsed, but a
// chain of operators folds into a tree as deep as the chain is long; the print stops where the
// stack would run out.
class Printer {
 public:
  explicit Printer(const TextSink& sink) : sink_(sink), stack_limit_(stack_limit(kStackReserve)) {}

  PrintEnd end() const { return too_deep_ ? PrintEnd::TooDeep : ok_ ? PrintEnd::Complete : PrintEnd::SinkFailed; }

  void print(const Stmt& statement, int depth) {
    if (enter()) std::visit([&](const auto& node) { this->node(node, depth); }, statement.node);
  }

  void print(const Expr& expression, int depth) {
    if (enter()) std::visit([&](const auto& node) { this->node(node, depth); }, expression.node);
  }

 private:
  // ---- Leaves ----
  void print(std::int64_t value, int) { put(std::to_string(value)); }
  void print(double value, int) { put(float_debug(value)); }
  void print(bool value, int) { put(value ? "true" : "false"); }
  void print(const std::string& text, int) { put(quoted_text(text)); }
  void print(BinaryOperator op, int) { put(name_of(op)); }
  void print(UnaryOperator op, int) { put(name_of(op)); }

  // ---- Shapes ----
  void print(const ExprPtr& child, int depth) { print(*child, depth); }

  void print(const MaybeExpr& child, int depth) {
    if (child.expr) tuple("Some", depth, *child.expr);
    else put("None");
  }

  template <class T>
  void print(const std::optional<T>& value, int depth) {
    if (value) tuple("Some", depth, *value);
    else put("None");
  }

  template <class T>
  void print(const std::vector<T>& list, int depth) {
    if (list.empty()) return put("[]");
    put("[\n");
    for (const T& element : list) field(element, depth + 1);
    close("]", depth);
  }

  template <class A, class B>
  void print(const std::pair<A, B>& pair, int depth) {
    put("(\n");
    field(pair.first, depth + 1);
    field(pair.second, depth + 1);
    close(")", depth);
  }

  template <class... Fields>
  void tuple(const char* name, int depth, const Fields&... fields) {
    put(name);
    put("(\n");
    (field(fields, depth + 1), ...);
    close(")", depth);
  }

  template <class... Fields>
  void record(const char* name, int depth, const Named<Fields>&... fields) {
    put(name);
    put(" {\n");
    (record_field(fields, depth + 1), ...);
    close("}", depth);
  }

  template <class T>
  void field(const T& value, int depth) {
    indent(depth);
    print(value, depth);
    put(",\n");
  }

  template <class T>
  void record_field(const Named<T>& field, int depth) {
    indent(depth);
    put(field.name);
    put(": ");
    print(field.value, depth);
    put(",\n");
  }

  // ---- Records ----
  void print(const FunctionDecl& f, int depth) {
    record("FunctionDecl", depth, named("name", f.name), named("params", f.params),
           named("return_type", f.return_type), named("body", f.body));
  }
  void print(const Param& p, int depth) {
    record("Param", depth, named("name", p.name), named("type_annotation", p.type_annotation));
  }
  void print(const MatchArm& arm, int depth) {
    MaybeExpr guard = maybe(arm.guard);
    record("MatchArm", depth, named("pattern", arm.pattern), named("guard", guard), named("body", arm.body));
  }
  void print(const DataConstructor& c, int depth) {
    record("DataConstructor", depth, named("name", c.name), named("fields", c.fields));
  }

  // ---- Patterns, types and imports ----
  void print(const Pattern& pattern, int depth) {
    std::visit([&](const auto& node) { this->node(node, depth); }, pattern.node);
  }
  void print(const TypeExpr& type, int depth) {
    std::visit([&](const auto& node) { this->node(node, depth); }, type.node);
  }
  void print(const ImportKind& kind, int depth) {
    std::visit([&](const auto& node) { this->node(node, depth); }, kind);
  }

  void node(const pattern::Wildcard&, int) { put("Wildcard"); }
  void node(const pattern::Literal& n, int depth) { tuple("Literal", depth, n.value); }
  void node(const pattern::Identifier& n, int depth) { tuple("Identifier", depth, n.name); }
  void node(const pattern::Tuple& n, int depth) { tuple("Tuple", depth, n.elements); }
  void node(const pattern::List& n, int depth) { tuple("List", depth, n.elements, n.rest); }
  void node(const pattern::Constructor& n, int depth) { tuple("Constructor", depth, n.name, n.arguments); }

  void node(const type_expr::Simple& n, int depth) { tuple("Simple", depth, n.name); }
  void node(const type_expr::Parameterized& n, int depth) { tuple("Parameterized", depth, n.name, n.arguments); }
  void node(const type_expr::Tuple& n, int depth) { tuple("Tuple", depth, n.elements); }

  void node(const import_kind::Simple& n, int depth) { tuple("Simple", depth, n.path); }
  void node(const import_kind::Selective& n, int depth) { tuple("Selective", depth, n.names, n.path); }
  void node(const import_kind::Aliased& n, int depth) { tuple("Aliased", depth, n.path, n.alias); }

  // ---- Statements ----
  void node(const stmt::Module& n, int depth) { tuple("Module", depth, n.statements); }
  void node(const stmt::Import& n, int depth) { tuple("Import", depth, n.kind); }
  void node(const stmt::VariableDeclaration& n, int depth) {
    tuple("VariableDeclaration", depth, n.name, n.type_annotation, n.value);
  }
  void node(const stmt::FunctionDeclaration& n, int depth) { tuple("FunctionDeclaration", depth, n.decl); }
  void node(const stmt::TypeDefinition& n, int depth) { tuple("TypeDefinition", depth, n.name, n.definition); }
  void node(const stmt::DataDefinition& n, int depth) { tuple("DataDefinition", depth, n.name, n.constructors); }
  void node(const stmt::TraitDefinition& n, int depth) { tuple("TraitDefinition", depth, n.name, n.methods); }
  void node(const stmt::InstanceDefinition& n, int depth) {
    tuple("InstanceDefinition", depth, n.trait_name, n.for_type, n.methods);
  }
  void node(const stmt::Expression& n, int depth) { tuple("Expression", depth, n.expr); }
  void node(const stmt::Return& n, int depth) { tuple("Return", depth, maybe(n.value)); }

  // ---- Expressions ----
  void node(const expr::Integer& n, int depth) { tuple("Integer", depth, n.value); }
  void node(const expr::Float& n, int depth) { tuple("Float", depth, n.value); }
  void node(const expr::StringLit& n, int depth) { tuple("StringLit", depth, n.value); }
  void node(const expr::Boolean& n, int depth) { tuple("Boolean", depth, n.value); }
  void node(const expr::Identifier& n, int depth) { tuple("Identifier", depth, n.name); }
  void node(const expr::List& n, int depth) { tuple("List", depth, n.elements); }
  void node(const expr::Dict& n, int depth) { tuple("Dict", depth, n.entries); }
  void node(const expr::Tuple& n, int depth) { tuple("Tuple", depth, n.elements); }
  void node(const expr::BinaryOp& n, int depth) { tuple("BinaryOp", depth, n.op, n.left, n.right); }
  void node(const expr::UnaryOp& n, int depth) { tuple("UnaryOp", depth, n.op, n.operand); }
  void node(const expr::Pipe& n, int depth) { tuple("Pipe", depth, n.left, n.right); }
  void node(const expr::FunctionCall& n, int depth) { tuple("FunctionCall", depth, n.callee, n.arguments); }
  void node(const expr::Index& n, int depth) { tuple("Index", depth, n.target, n.index); }
  void node(const expr::MemberAccess& n, int depth) { tuple("MemberAccess", depth, n.object, n.member); }
  void node(const expr::If& n, int depth) {
    tuple("If", depth, n.condition, n.then_branch, n.elif_branches, maybe(n.else_branch));
  }
  void node(const expr::For& n, int depth) { tuple("For", depth, n.variable, n.iterable, n.body); }
  void node(const expr::While& n, int depth) { tuple("While", depth, n.condition, n.body); }
  void node(const expr::Match& n, int depth) { tuple("Match", depth, n.scrutinee, n.arms); }
  void node(const expr::Lambda& n, int depth) { tuple("Lambda", depth, n.params, n.body); }
  void node(const expr::ListComprehension& n, int depth) {
    tuple("ListComprehension", depth, n.element, n.variable, n.iterable, maybe(n.condition));
  }
  void node(const expr::Block& n, int depth) { tuple("Block", depth, n.statements); }
  void node(const expr::Assign& n, int depth) { tuple("Assign", depth, n.target, n.value); }
  void node(const expr::CompoundAssign& n, int depth) { tuple("CompoundAssign", depth, n.op, n.target, n.value); }

  // ---- Output ----
  void close(const char* bracket, int depth) {
    indent(depth);
    put(bracket);
  }

  void indent(int depth) {
    static const std::string spaces(4096, ' ');
    std::size_t count = static_cast<std::size_t>(depth) * 4;
    while (count > 0 && ok_) {
      std::size_t piece = std::min(count, spaces.size());
      put(std::string_view(spaces).substr(0, piece));
      count -= piece;
    }
  }

  void put(std::string_view piece) {
    if (ok_) ok_ = sink_(piece);
  }

  // Whether to go on into one more node: not after a failure, nor once the stack is nearly full.
  bool enter() {
    if (ok_ && reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < stack_limit_) ok_ = !(too_deep_ = true);
    return ok_;
  }

  const TextSink& sink_;
  std::uintptr_t stack_limit_;
  bool ok_ = true;
  bool too_deep_ = false;
};

}  // namespace

PrintEnd print_tree(const ast::Stmt& root, const TextSink& sink) {
  Printer printer(sink);
  printer.print(root, 0);
  return printer.end();
}

std::string print_tree(const ast::Stmt& root) {
  std::string text;
  print_tree(root, [&](std::string_view piece) {
    text.append(piece);
    return true;
  });
  return text;
}

}  // namespace ostrel
