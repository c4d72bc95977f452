#pragma once
// The grammar's rule names in their fixed order. The enum and the printed names both come from this
// one list, so the order (which also sorts the rules of a syntax error) cannot drift.
#include <cstdint>
#include <string_view>

namespace ostrel::grammar {

#define OSTREL_GRAMMAR_RULES(X)                                                                       \
  X(EOI) X(ostrel) X(top_level_item) X(expression_statement) X(WHITESPACE) X(NEWLINE) X(COMMENT)     \
  X(import_statement) X(module_path) X(variable_declaration) X(type_annotation)                       \
  X(function_declaration) X(param_list) X(param) X(block_or_expression) X(block) X(statement)         \
  X(return_statement) X(if_expression) X(for_loop) X(while_loop) X(match_expression) X(match_arm)     \
  X(pattern) X(wildcard_pattern) X(constructor_pattern) X(tuple_pattern) X(list_pattern) X(guard)     \
  X(expression) X(pipe_expression) X(assignment_expression) X(assignment_operator)                    \
  X(conditional_expression) X(logical_or_expression) X(logical_and_expression)                        \
  X(equality_expression) X(equality_operator) X(relational_expression) X(relational_operator)         \
  X(additive_expression) X(additive_operator) X(multiplicative_expression)                            \
  X(multiplicative_operator) X(power_expression) X(unary_expression) X(unary_operator)                \
  X(postfix_expression) X(postfix_op) X(call_args) X(index_access) X(member_access)                   \
  X(primary_expression) X(literal) X(int_literal) X(float_literal) X(string_literal) X(escape_char)   \
  X(boolean_literal) X(list_literal) X(dict_literal) X(dict_entry) X(tuple_literal)                   \
  X(list_comprehension) X(lambda_expression) X(lambda_params) X(type_definition) X(type_expression)   \
  X(data_definition) X(data_constructor) X(trait_definition) X(instance_definition) X(identifier)     \
  X(identifier_raw) X(keyword)

enum class Rule : std::uint8_t {
#define OSTREL_RULE_ENUMERATOR(name) name,
  OSTREL_GRAMMAR_RULES(OSTREL_RULE_ENUMERATOR)
#undef OSTREL_RULE_ENUMERATOR
};

inline constexpr int rule_count = 0
#define OSTREL_RULE_COUNT(name) +1
    OSTREL_GRAMMAR_RULES(OSTREL_RULE_COUNT)
#undef OSTREL_RULE_COUNT
    ;

// The rule's name exactly as users see it in messages.
std::string_view name_of(Rule rule);

}  // namespace ostrel::grammar
