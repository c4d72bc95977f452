#include "parser/build_compound.hpp"

#include <optional>
#include <string>

#include "parser/build_expression.hpp"
#include "parser/build_statement.hpp"
#include "parser/build_support.hpp"

namespace ostrel {
namespace {

Result<ExprPtr> build_inner_body(RuleMatch match, std::size_t index) {
  OSTREL_TRY(inner, inner_match(match, index));
  return build_block(inner);
}

Result<ast::MatchArm> build_match_arm(RuleMatch arm) {
  OSTREL_TRY(pattern_match, inner_match(arm, 0));
  OSTREL_TRY(pattern, build_pattern(pattern_match));
  ExprPtr guard;
  ExprPtr body;
  for (RuleMatch part : arm.inner().from(1)) {
    if (part.rule() == Rule::guard) {
      OSTREL_TRY(condition, build_inner(part, 0));
      guard = std::move(condition);
    } else {
      OSTREL_TRY(expression, build_expression(part));
      body = std::move(expression);
    }
  }
  if (!body) return Error{"incomplete match_arm"};
  return ast::MatchArm{std::move(pattern), std::move(guard), std::move(body)};
}

// Element patterns, then the name written after "..", if any.
Result<ast::Pattern> build_list_pattern(RuleMatch list) {
  ast::pattern::List built;
  for (RuleMatch part : list.inner()) {
    if (part.rule() == Rule::pattern) {
      OSTREL_TRY(element, build_pattern(part));
      built.elements.push_back(std::move(element));
    } else if (part.rule() == Rule::identifier) {
      built.rest = std::string(part.text());
    }
  }
  return ast::Pattern{std::move(built)};
}

Result<ast::Pattern> literal_pattern(RuleMatch literal) {
  OSTREL_TRY(value, build_expression(literal));
  return ast::Pattern{ast::pattern::Literal{std::move(value)}};
}

std::optional<BinaryOperator> compound_assignment_operator_of(std::string_view text) {
  if (text == "+=") return BinaryOperator::Add;
  if (text == "-=") return BinaryOperator::Sub;
  if (text == "*=") return BinaryOperator::Mul;
  if (text == "/=") return BinaryOperator::Div;
  if (text == "%=") return BinaryOperator::Mod;
  if (text == "**=") return BinaryOperator::Pow;
  return std::nullopt;
}

}  // namespace

Result<ExprPtr> build_block(RuleMatch body) {
  OSTREL_TRY(first, inner_match(body, 0));
  if (first.rule() != Rule::block) return build_expression(first);
  std::vector<ast::Stmt> statements;
  for (RuleMatch line : first.inner()) {
    OSTREL_TRY(statement, build_statement(line));
    if (statement) statements.push_back(std::move(*statement));
  }
  return make_expr(ast::expr::Block{std::move(statements)});
}

// Condition and then-branch, then each elif condition with the body after it; a body met on its
// own is the else-branch.
Result<ExprPtr> build_if(RuleMatch conditional) {
  MatchList inner = conditional.inner();
  OSTREL_TRY(condition, build_inner(conditional, 0));
  OSTREL_TRY(then_branch, build_inner_body(conditional, 1));
  ast::expr::If built{std::move(condition), std::move(then_branch), {}, nullptr};
  for (std::size_t i = 2; i < inner.size(); ++i) {
    if (inner[i].rule() == Rule::expression) {
      OSTREL_TRY(elif_condition, build_expression(inner[i]));
      OSTREL_TRY(elif_branch, build_inner_body(conditional, ++i));
      built.elif_branches.emplace_back(std::move(elif_condition), std::move(elif_branch));
    } else if (inner[i].rule() == Rule::block_or_expression) {
      OSTREL_TRY(else_branch, build_block(inner[i]));
      built.else_branch = std::move(else_branch);
    }
  }
  return make_expr(std::move(built));
}

Result<ExprPtr> build_for_loop(RuleMatch loop) {
  OSTREL_TRY(variable, inner_match(loop, 0));
  OSTREL_TRY(iterable, build_inner(loop, 1));
  OSTREL_TRY(body, build_inner_body(loop, 2));
  return make_expr(ast::expr::For{std::string(variable.text()), std::move(iterable), std::move(body)});
}

Result<ExprPtr> build_while_loop(RuleMatch loop) {
  OSTREL_TRY(condition, build_inner(loop, 0));
  OSTREL_TRY(body, build_inner_body(loop, 1));
  return make_expr(ast::expr::While{std::move(condition), std::move(body)});
}

Result<ExprPtr> build_match(RuleMatch match_expression) {
  OSTREL_TRY(scrutinee, build_inner(match_expression, 0));
  std::vector<ast::MatchArm> arms;
  for (RuleMatch part : match_expression.inner().from(1)) {
    if (part.rule() != Rule::match_arm) continue;
    OSTREL_TRY(arm, build_match_arm(part));
    arms.push_back(std::move(arm));
  }
  return make_expr(ast::expr::Match{std::move(scrutinee), std::move(arms)});
}

Result<ast::Pattern> build_pattern(RuleMatch pattern) {
  OSTREL_TRY(form, inner_match(pattern, 0));
  switch (form.rule()) {
    case Rule::wildcard_pattern: return ast::Pattern{ast::pattern::Wildcard{}};
    case Rule::identifier: return ast::Pattern{ast::pattern::Identifier{std::string(form.text())}};
    case Rule::int_literal:
    case Rule::float_literal:
    case Rule::string_literal:
    case Rule::boolean_literal:
      return literal_pattern(form);
    case Rule::literal: {
      OSTREL_TRY(literal, inner_match(form, 0));
      return literal_pattern(literal);
    }
    case Rule::tuple_pattern: {
      OSTREL_TRY(elements, build_pattern_list(form.inner()));
      return ast::Pattern{ast::pattern::Tuple{std::move(elements)}};
    }
    case Rule::list_pattern: return build_list_pattern(form);
    case Rule::constructor_pattern: {
      OSTREL_TRY(name, inner_match(form, 0));
      OSTREL_TRY(arguments, build_pattern_list(form.inner().from(1)));
      return ast::Pattern{ast::pattern::Constructor{std::string(name.text()), std::move(arguments)}};
    }
    default:
      return Error{"unexpected pattern: " + std::string(grammar::name_of(form.rule()))};
  }
}

Result<std::vector<ast::Pattern>> build_pattern_list(MatchList patterns) {
  std::vector<ast::Pattern> built;
  built.reserve(patterns.size());
  for (RuleMatch pattern : patterns) {
    OSTREL_TRY(element, build_pattern(pattern));
    built.push_back(std::move(element));
  }
  return built;
}

// The target and the value are built before the operator is looked at, so their messages come first.
Result<ExprPtr> build_assignment(RuleMatch assignment) {
  MatchList inner = assignment.inner();
  if (inner.size() != 3) return build_inner(assignment, 0);
  OSTREL_TRY(target, build_expression(inner[0]));
  OSTREL_TRY(value, build_expression(inner[2]));
  std::string_view op = inner[1].text();
  if (op == "=") return make_expr(ast::expr::Assign{std::move(target), std::move(value)});
  std::optional<BinaryOperator> arithmetic = compound_assignment_operator_of(op);
  if (!arithmetic) return Error{"unknown assignment operator: " + std::string(op)};
  return make_expr(ast::expr::CompoundAssign{*arithmetic, std::move(target), std::move(value)});
}

Result<ExprPtr> build_lambda(RuleMatch lambda) {
  std::vector<ast::Param> params;
  ExprPtr body;
  for (RuleMatch part : lambda.inner()) {
    if (part.rule() == Rule::lambda_params) {
      for (RuleMatch name : part.inner()) params.push_back(ast::Param{std::string(name.text()), std::nullopt});
    } else {
      OSTREL_TRY(expression, build_expression(part));
      body = std::move(expression);
    }
  }
  if (!body) return Error{"incomplete lambda_expression"};
  return make_expr(ast::expr::Lambda{std::move(params), std::move(body)});
}

Result<ExprPtr> build_list_comprehension(RuleMatch comprehension) {
  MatchList inner = comprehension.inner();
  OSTREL_TRY(element, build_inner(comprehension, 0));
  OSTREL_TRY(variable, inner_match(comprehension, 1));
  OSTREL_TRY(iterable, build_inner(comprehension, 2));
  ExprPtr condition;
  if (inner.size() > 3) {
    OSTREL_TRY(filter, build_expression(inner[3]));
    condition = std::move(filter);
  }
  return make_expr(ast::expr::ListComprehension{std::move(element), std::string(variable.text()),
                                                std::move(iterable), std::move(condition)});
}

}  // namespace ostrel
