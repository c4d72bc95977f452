#include "parser/build_expression.hpp"

#include <string>

#include "parser/build_compound.hpp"
#include "parser/build_support.hpp"
#include "parser/literal_values.hpp"

namespace ostrel {
namespace {

using OperatorLookup = std::optional<BinaryOperator> (*)(std::string_view);

// Operands and operator matches alternate; the operators fold to the left.
Result<ExprPtr> build_binary_level(RuleMatch level, OperatorLookup operator_of) {
  MatchList inner = level.inner();
  OSTREL_TRY(accumulated, build_inner(level, 0));
  for (std::size_t i = 1; i < inner.size(); i += 2) {
    std::optional<BinaryOperator> op = operator_of(inner[i].text());
    if (!op) return Error{"unknown binary operator: " + std::string(inner[i].text())};
    OSTREL_TRY(right, build_inner(level, i + 1));
    accumulated = make_expr(ast::expr::BinaryOp{*op, std::move(accumulated), std::move(right)});
  }
  return accumulated;
}

// Levels whose operators are plain tokens, so every inner match is an operand.
template <class Combine>
Result<ExprPtr> build_operand_fold(RuleMatch level, Combine combine) {
  MatchList inner = level.inner();
  OSTREL_TRY(accumulated, build_inner(level, 0));
  for (std::size_t i = 1; i < inner.size(); ++i) {
    OSTREL_TRY(right, build_expression(inner[i]));
    accumulated = combine(std::move(accumulated), std::move(right));
  }
  return accumulated;
}

Result<ExprPtr> build_logical_level(RuleMatch level, BinaryOperator op) {
  return build_operand_fold(level, [op](ExprPtr left, ExprPtr right) {
    return make_expr(ast::expr::BinaryOp{op, std::move(left), std::move(right)});
  });
}

Result<ExprPtr> build_pipe(RuleMatch level) {
  return build_operand_fold(level, [](ExprPtr left, ExprPtr right) {
    return make_expr(ast::expr::Pipe{std::move(left), std::move(right)});
  });
}

Result<std::vector<ExprPtr>> build_power_operands(MatchList operands) { return build_expression_list(operands); }

// The only right-associative level: 2 ** 3 ** 2 is 2 ** (3 ** 2).
Result<ExprPtr> build_power(RuleMatch level) {
  if (level.inner().size() == 1) return build_expression(level.inner()[0]);
  OSTREL_TRY(operands, build_power_operands(level.inner()));
  if (operands.empty()) return Error{"incomplete power_expression"};
  ExprPtr accumulated = std::move(operands.back());
  for (std::size_t i = operands.size() - 1; i-- > 0;)
    accumulated = make_expr(ast::expr::BinaryOp{BinaryOperator::Pow, std::move(operands[i]), std::move(accumulated)});
  return accumulated;
}

std::optional<ast::UnaryOperator> unary_operator_of(std::string_view text) {
  if (text == "-") return ast::UnaryOperator::Neg;
  if (text == "+") return ast::UnaryOperator::Pos;
  if (text == "!" || text == "not") return ast::UnaryOperator::Not;
  return std::nullopt;
}

Result<ExprPtr> build_unary(RuleMatch unary) {
  if (unary.inner().size() == 1) return build_expression(unary.inner()[0]);
  OSTREL_TRY(operator_match, inner_match(unary, 0));
  std::optional<ast::UnaryOperator> op = unary_operator_of(operator_match.text());
  if (!op) return Error{"unknown unary operator: " + std::string(operator_match.text())};
  OSTREL_TRY(operand, build_inner(unary, 1));
  return make_expr(ast::expr::UnaryOp{*op, std::move(operand)});
}

// Calls, indexes and member accesses wrap the primary expression from left to right.
Result<ExprPtr> build_postfix(RuleMatch postfix) {
  MatchList inner = postfix.inner();
  OSTREL_TRY(accumulated, build_inner(postfix, 0));
  for (RuleMatch operation : inner.from(1)) {
    if (operation.rule() == Rule::call_args) {
      OSTREL_TRY(arguments, build_expression_list(operation.inner()));
      accumulated = make_expr(ast::expr::FunctionCall{std::move(accumulated), std::move(arguments)});
    } else if (operation.rule() == Rule::index_access) {
      OSTREL_TRY(index, build_inner(operation, 0));
      accumulated = make_expr(ast::expr::Index{std::move(accumulated), std::move(index)});
    } else if (operation.rule() == Rule::member_access) {
      OSTREL_TRY(member, inner_match(operation, 0));
      accumulated = make_expr(ast::expr::MemberAccess{std::move(accumulated), std::string(member.text())});
    }
  }
  return accumulated;
}

Result<ExprPtr> build_literal(RuleMatch literal) {
  std::string_view text = literal.text();
  switch (literal.rule()) {
    case Rule::int_literal: {
      Result<std::int64_t> value = read_integer(text);
      if (!value) return Error{"invalid int: " + value.error()};
      return make_expr(ast::expr::Integer{value.value()});
    }
    case Rule::float_literal: {
      Result<double> value = read_float(text);
      if (!value) return Error{"invalid float: " + value.error()};
      return make_expr(ast::expr::Float{value.value()});
    }
    case Rule::string_literal:
      return make_expr(ast::expr::StringLit{string_literal_value(text)});
    default:
      return make_expr(ast::expr::Boolean{text == "True" || text == "true"});
  }
}

}  // namespace

Result<ExprPtr> build_expression(RuleMatch match) {
  switch (match.rule()) {
    case Rule::expression_statement:
    case Rule::expression:
    case Rule::primary_expression:
      return build_inner(match, 0);
    case Rule::block_or_expression: return build_block(match);
    case Rule::if_expression: return build_if(match);
    case Rule::match_expression: return build_match(match);
    case Rule::assignment_expression: return build_assignment(match);
    case Rule::list_comprehension: return build_list_comprehension(match);
    case Rule::for_loop: return build_for_loop(match);
    case Rule::while_loop: return build_while_loop(match);
    case Rule::lambda_expression: return build_lambda(match);
    case Rule::pipe_expression: return build_pipe(match);
    case Rule::conditional_expression:
    case Rule::logical_or_expression:
      return build_logical_level(match, BinaryOperator::Or);
    case Rule::logical_and_expression: return build_logical_level(match, BinaryOperator::And);
    case Rule::equality_expression: return build_binary_level(match, equality_operator_of);
    case Rule::relational_expression: return build_binary_level(match, relational_operator_of);
    case Rule::additive_expression: return build_binary_level(match, additive_operator_of);
    case Rule::multiplicative_expression: return build_binary_level(match, multiplicative_operator_of);
    case Rule::power_expression: return build_power(match);
    case Rule::unary_expression: return build_unary(match);
    case Rule::postfix_expression: return build_postfix(match);
    case Rule::int_literal:
    case Rule::float_literal:
    case Rule::string_literal:
    case Rule::boolean_literal:
      return build_literal(match);
    case Rule::identifier: return make_expr(ast::expr::Identifier{std::string(match.text())});
    case Rule::list_literal: {
      OSTREL_TRY(elements, build_expression_list(match.inner()));
      return make_expr(ast::expr::List{std::move(elements)});
    }
    case Rule::tuple_literal: {
      OSTREL_TRY(elements, build_expression_list(match.inner()));
      return make_expr(ast::expr::Tuple{std::move(elements)});
    }
    case Rule::dict_literal: {
      OSTREL_TRY(entries, build_dict_entries(match.inner()));
      return make_expr(ast::expr::Dict{std::move(entries)});
    }
    default:
      return Error{"unexpected rule in expression: " + std::string(grammar::name_of(match.rule()))};
  }
}

Result<ExprPtr> build_inner(RuleMatch match, std::size_t index) {
  OSTREL_TRY(inner, inner_match(match, index));
  return build_expression(inner);
}

Result<std::vector<ExprPtr>> build_expression_list(MatchList matches) {
  std::vector<ExprPtr> built;
  built.reserve(matches.size());
  for (RuleMatch match : matches) {
    OSTREL_TRY(expression, build_expression(match));
    built.push_back(std::move(expression));
  }
  return built;
}

Result<std::vector<std::pair<ExprPtr, ExprPtr>>> build_dict_entries(MatchList entries) {
  std::vector<std::pair<ExprPtr, ExprPtr>> built;
  for (RuleMatch entry : entries) {
    OSTREL_TRY(key, build_inner(entry, 0));
    OSTREL_TRY(value, build_inner(entry, 1));
    built.emplace_back(std::move(key), std::move(value));
  }
  return built;
}

std::optional<BinaryOperator> equality_operator_of(std::string_view text) {
  if (text == "==") return BinaryOperator::Eq;
  if (text == "!=") return BinaryOperator::Neq;
  return std::nullopt;
}

std::optional<BinaryOperator> relational_operator_of(std::string_view text) {
  if (text == "<") return BinaryOperator::Lt;
  if (text == "<=") return BinaryOperator::Lte;
  if (text == ">") return BinaryOperator::Gt;
  if (text == ">=") return BinaryOperator::Gte;
  return std::nullopt;
}

std::optional<BinaryOperator> additive_operator_of(std::string_view text) {
  if (text == "+") return BinaryOperator::Add;
  if (text == "-") return BinaryOperator::Sub;
  return std::nullopt;
}

std::optional<BinaryOperator> multiplicative_operator_of(std::string_view text) {
  if (text == "*") return BinaryOperator::Mul;
  if (text == "/") return BinaryOperator::Div;
  if (text == "//") return BinaryOperator::IntDiv;
  if (text == "%") return BinaryOperator::Mod;
  return std::nullopt;
}

}  // namespace ostrel
