#include "parser/build_statement.hpp"

#include <string>

#include "parser/build_compound.hpp"
#include "parser/build_expression.hpp"
#include "parser/build_support.hpp"

namespace ostrel {
namespace {

using ast::Stmt;
using StmtResult = Result<std::optional<Stmt>>;

// A statement as a build result.
template <class Variant>
StmtResult built(Variant variant) {
  return std::optional<Stmt>(Stmt(std::move(variant)));
}

std::string text_of(RuleMatch match) { return std::string(match.text()); }

Result<std::string> name_of_declaration(RuleMatch declaration) {
  OSTREL_TRY(name, inner_match(declaration, 0));
  return text_of(name);
}

Result<ast::ImportKind> build_import_kind(RuleMatch import) {
  OSTREL_TRY(first, inner_match(import, 0));
  if (first.rule() == Rule::identifier) {
    ast::import_kind::Selective selective{{text_of(first)}, ""};
    for (RuleMatch part : import.inner().from(1)) {
      if (part.rule() == Rule::identifier) selective.names.push_back(text_of(part));
      else if (part.rule() == Rule::module_path) selective.path = text_of(part);
    }
    return ast::ImportKind{std::move(selective)};
  }
  if (first.rule() == Rule::module_path) {
    MatchList inner = import.inner();
    if (inner.size() > 1) return ast::ImportKind{ast::import_kind::Aliased{text_of(first), text_of(inner[1])}};
    return ast::ImportKind{ast::import_kind::Simple{text_of(first)}};
  }
  return Error{"unexpected import form: " + std::string(grammar::name_of(first.rule()))};
}

StmtResult build_variable_declaration(RuleMatch declaration) {
  OSTREL_TRY(name, name_of_declaration(declaration));
  std::optional<std::string> annotation;
  std::optional<RuleMatch> value_match;
  for (RuleMatch part : declaration.inner().from(1)) {
    if (part.rule() == Rule::type_annotation) annotation = text_of(part);
    else value_match = part;
  }
  if (!value_match) return Error{"missing expression in var decl"};
  OSTREL_TRY(value, build_expression(*value_match));
  return built(ast::stmt::VariableDeclaration{std::move(name), std::move(annotation), std::move(value)});
}

StmtResult build_return(RuleMatch statement) {
  if (statement.inner().empty()) return built(ast::stmt::Return{nullptr});
  OSTREL_TRY(value, build_inner(statement, 0));
  return built(ast::stmt::Return{std::move(value)});
}

StmtResult build_type_definition(RuleMatch definition) {
  OSTREL_TRY(name, name_of_declaration(definition));
  OSTREL_TRY(type, inner_match(definition, 1));
  return built(ast::stmt::TypeDefinition{std::move(name), build_type_expression(type)});
}

ast::DataConstructor build_data_constructor(RuleMatch constructor) {
  ast::DataConstructor built;
  MatchList inner = constructor.inner();
  if (!inner.empty()) built.name = text_of(inner[0]);
  for (RuleMatch field : inner.from(1)) built.fields.push_back(text_of(field));
  return built;
}

StmtResult build_data_definition(RuleMatch definition) {
  OSTREL_TRY(name, name_of_declaration(definition));
  std::vector<ast::DataConstructor> constructors;
  for (RuleMatch part : definition.inner().from(1))
    if (part.rule() == Rule::data_constructor) constructors.push_back(build_data_constructor(part));
  return built(ast::stmt::DataDefinition{std::move(name), std::move(constructors)});
}

// The `function_declaration` matches of the run, in order; the first that fails ends the build.
Result<std::vector<ast::FunctionDecl>> build_methods(MatchList parts) {
  std::vector<ast::FunctionDecl> methods;
  for (RuleMatch part : parts) {
    if (part.rule() != Rule::function_declaration) continue;
    OSTREL_TRY(method, build_function_declaration(part));
    methods.push_back(std::move(method));
  }
  return methods;
}

StmtResult build_trait_definition(RuleMatch definition) {
  OSTREL_TRY(name, name_of_declaration(definition));
  OSTREL_TRY(methods, build_methods(definition.inner().from(1)));
  return built(ast::stmt::TraitDefinition{std::move(name), std::move(methods)});
}

StmtResult build_instance_definition(RuleMatch definition) {
  OSTREL_TRY(name, name_of_declaration(definition));
  OSTREL_TRY(type, inner_match(definition, 1));
  ast::TypeExpr for_type = build_type_expression(type);
  OSTREL_TRY(methods, build_methods(definition.inner().from(2)));
  return built(ast::stmt::InstanceDefinition{std::move(name), std::move(for_type), std::move(methods)});
}

std::vector<ast::Param> build_params(RuleMatch param_list) {
  std::vector<ast::Param> params;
  for (RuleMatch param : param_list.inner()) {
    if (param.rule() != Rule::param) continue;
    MatchList inner = param.inner();
    ast::Param built;
    if (!inner.empty()) built.name = text_of(inner[0]);
    if (inner.size() > 1) built.type_annotation = text_of(inner[1]);
    params.push_back(std::move(built));
  }
  return params;
}

}  // namespace

StmtResult build_statement(RuleMatch match) {
  switch (match.rule()) {
    case Rule::expression_statement: {
      OSTREL_TRY(expression, build_inner(match, 0));
      return built(ast::stmt::Expression{std::move(expression)});
    }
    case Rule::import_statement: {
      OSTREL_TRY(kind, build_import_kind(match));
      return built(ast::stmt::Import{std::move(kind)});
    }
    case Rule::variable_declaration: return build_variable_declaration(match);
    case Rule::function_declaration: {
      OSTREL_TRY(declaration, build_function_declaration(match));
      return built(ast::stmt::FunctionDeclaration{std::move(declaration)});
    }
    case Rule::return_statement: return build_return(match);
    case Rule::type_definition: return build_type_definition(match);
    case Rule::data_definition: return build_data_definition(match);
    case Rule::trait_definition: return build_trait_definition(match);
    case Rule::instance_definition: return build_instance_definition(match);
    default: return std::optional<Stmt>();
  }
}

Result<ast::FunctionDecl> build_function_declaration(RuleMatch declaration) {
  OSTREL_TRY(name, name_of_declaration(declaration));
  ast::FunctionDecl built{std::move(name), {}, std::nullopt, nullptr};
  for (RuleMatch part : declaration.inner().from(1)) {
    if (part.rule() == Rule::param_list) {
      built.params = build_params(part);
    } else if (part.rule() == Rule::type_annotation) {
      built.return_type = text_of(part);
    } else if (part.rule() == Rule::block_or_expression) {
      OSTREL_TRY(body, build_block(part));
      built.body = std::move(body);
    }
  }
  if (!built.body) return Error{"incomplete function_declaration"};
  return built;
}

ast::TypeExpr build_type_expression(RuleMatch type) {
  MatchList inner = type.inner();
  if (inner.empty()) return ast::TypeExpr{ast::type_expr::Tuple{}};
  if (inner[0].rule() == Rule::type_expression) return ast::TypeExpr{ast::type_expr::Tuple{build_type_list(inner)}};
  std::vector<ast::TypeExpr> arguments = build_type_list(inner.from(1));
  if (arguments.empty()) return ast::TypeExpr{ast::type_expr::Simple{text_of(inner[0])}};
  return ast::TypeExpr{ast::type_expr::Parameterized{text_of(inner[0]), std::move(arguments)}};
}

std::vector<ast::TypeExpr> build_type_list(MatchList matches) {
  std::vector<ast::TypeExpr> types;
  for (RuleMatch match : matches)
    if (match.rule() == Rule::type_expression) types.push_back(build_type_expression(match));
  return types;
}

}  // namespace ostrel
