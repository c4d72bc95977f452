#pragma once
// The grammar of the language: one rule per grammar rule, in the order of the language's
// description, so the two can be read side by side. Normal rules yield a match, atomic rules yield
// one without inner matches, and silent rules (plain structs) yield none; literals never do.
// Helpers that are not grammar rules are marked as such.
// Include it only from the one file that runs the grammar: PEGTL is slow to compile.
#include "grammar/engine.hpp"

namespace ostrel::grammar::rules {

namespace pg = tao::pegtl;
using engine::atomic_rule;
using engine::memoised_nesting_rule;
using engine::nesting_rule;
using engine::normal_rule;
using engine::opt_s;
using engine::plus_s;
using engine::seq_s;
using engine::star_s;

#define L(text) TAO_PEGTL_STRING(text)

struct identifier;
struct EOI;
struct escape_char;
struct top_level_item;
struct import_statement;
struct module_path;
struct variable_declaration;
struct type_annotation;
struct function_declaration;
struct param_list;
struct param;
struct block_or_expression;
struct block;
struct statement;
struct return_statement;
struct expression_statement;
struct type_definition;
struct type_expression;
struct data_definition;
struct data_constructor;
struct trait_definition;
struct instance_definition;
struct expression;
struct pipe_expression;
struct assignment_expression;
struct assignment_operator;
struct conditional_expression;
struct logical_or_expression;
struct logical_and_expression;
struct equality_expression;
struct equality_operator;
struct relational_expression;
struct relational_operator;
struct additive_expression;
struct additive_operator;
struct multiplicative_expression;
struct multiplicative_operator;
struct power_expression;
struct unary_expression;
struct unary_operator;
struct postfix_expression;
struct postfix_op;
struct call_args;
struct index_access;
struct member_access;
struct primary_expression;
struct list_literal;
struct dict_literal;
struct dict_entry;
struct tuple_literal;
struct if_expression;
struct for_loop;
struct while_loop;
struct lambda_expression;
struct lambda_params;
struct list_comprehension;
struct match_expression;
struct match_arm;
struct guard;
struct pattern;
struct wildcard_pattern;
struct literal;
struct constructor_pattern;
struct tuple_pattern;
struct list_pattern;

// Helpers (not grammar rules).
struct letter : pg::ranges<'a', 'z', 'A', 'Z'> {};
struct letter_digit_or_underscore : pg::ranges<'a', 'z', 'A', 'Z', '0', '9', '_'> {};
template <class Word>
struct whole_word : pg::seq<Word, pg::not_at<letter_digit_or_underscore>> {};
// Zero or more comma-separated elements.
template <class Element>
struct comma_list : opt_s<Element, star_s<L(","), Element>> {};
// The same, with an optional comma after the last element.
template <class Element>
struct trailing_comma_list : opt_s<Element, star_s<L(","), Element>, pg::opt<L(",")>> {};

// ---- Lexical rules ----

struct WHITESPACE : pg::sor<pg::one<' '>, pg::one<'\t'>> {};
struct NEWLINE : pg::sor<L("\r\n"), pg::one<'\n'>, pg::one<'\r'>> {};
struct COMMENT : pg::sor<pg::seq<L("//"), pg::star<pg::utf8::not_one<'\n', '\r'>>>,
                         pg::seq<L("/*"), pg::until<L("*/"), pg::utf8::any>>> {};
struct identifier_raw : atomic_rule<Rule::identifier_raw, pg::sor<letter, pg::one<'_'>>,
                                    pg::star<letter_digit_or_underscore>> {};
struct keyword
    : atomic_rule<Rule::keyword,
                  pg::sor<whole_word<L("import")>, whole_word<L("from")>, whole_word<L("as")>, whole_word<L("var")>,
                          whole_word<L("def")>, whole_word<L("if")>, whole_word<L("elif")>, whole_word<L("else")>,
                          whole_word<L("for")>, whole_word<L("while")>, whole_word<L("in")>, whole_word<L("match")>,
                          whole_word<L("type")>, whole_word<L("data")>, whole_word<L("trait")>,
                          whole_word<L("instance")>, whole_word<L("and")>, whole_word<L("or")>,
                          whole_word<L("not")>, whole_word<L("is")>, whole_word<L("return")>,
                          whole_word<L("True")>, whole_word<L("true")>, whole_word<L("False")>,
                          whole_word<L("false")>, whole_word<L("lambda")>>> {};
struct identifier : atomic_rule<Rule::identifier, pg::not_at<keyword>, identifier_raw> {};
struct EOI : normal_rule<Rule::EOI, pg::eof> {};

}  // namespace ostrel::grammar::rules

namespace ostrel::grammar::engine {
struct implicit_skip : pg::seq<pg::star<rules::WHITESPACE>, pg::star<rules::COMMENT, pg::star<rules::WHITESPACE>>> {};
}  // namespace ostrel::grammar::engine

namespace ostrel::grammar::rules {

// ---- Literal rules ----

// Helpers (not grammar rules).
struct digits : pg::plus<pg::digit> {};
struct exponent : pg::seq<pg::one<'e', 'E'>, pg::opt<pg::one<'+', '-'>>, digits> {};
template <char Quote>
struct quoted : pg::seq<pg::one<Quote>, pg::star<pg::sor<escape_char, pg::utf8::not_one<Quote, '\\'>>>,
                        pg::one<Quote>> {};

struct int_literal
    : atomic_rule<Rule::int_literal, digits, pg::not_at<pg::sor<letter, pg::digit, pg::one<'.'>, pg::one<'_'>>>> {};
struct float_literal
    : atomic_rule<Rule::float_literal, digits, pg::sor<pg::seq<pg::one<'.'>, digits, pg::opt<exponent>>, exponent>> {};
struct string_literal : atomic_rule<Rule::string_literal, pg::sor<quoted<'"'>, quoted<'\''>>> {};
struct escape_char
    : atomic_rule<Rule::escape_char, pg::one<'\\'>, pg::one<'n', 't', 'r', '\\', '"', '\'', '0'>> {};
struct boolean_literal : atomic_rule<Rule::boolean_literal, pg::sor<L("True"), L("true"), L("False"), L("false")>,
                                     pg::not_at<letter_digit_or_underscore>> {};

// ---- Program, statements, declarations and blocks ----

// Helpers (not grammar rules).
struct item_separator : pg::sor<plus_s<NEWLINE>, plus_s<L(";")>> {};
// A statement line of a block after its first: line breaks, then right after the last one the units
// of every open block, then the statement.
struct further_block_line : pg::seq<plus_s<NEWLINE>, engine::indentation_stack, engine::implicit_skip, statement> {};
// The braced members of a trait or an instance.
struct members : seq_s<L("{"), star_s<NEWLINE>, star_s<function_declaration, star_s<NEWLINE>>, L("}")> {};

struct ostrel : seq_s<pg::bof, star_s<NEWLINE>, star_s<top_level_item, item_separator>, pg::opt<top_level_item>,
                      star_s<NEWLINE>, EOI> {};
struct top_level_item : pg::sor<import_statement, function_declaration, type_definition, data_definition,
                                trait_definition, instance_definition, variable_declaration, expression_statement> {};
struct import_statement
    : normal_rule<Rule::import_statement,
                  seq_s<L("import"),
                        pg::sor<seq_s<L("{"), identifier, star_s<L(","), identifier>, L("}"), L("from"), module_path>,
                                seq_s<module_path, L("as"), identifier>,
                                module_path>>> {};
struct module_path : atomic_rule<Rule::module_path, identifier_raw, pg::star<pg::one<'.'>, identifier_raw>> {};
struct variable_declaration
    : normal_rule<Rule::variable_declaration,
                  seq_s<L("var"), identifier, opt_s<L(":"), type_annotation>, L("="), expression>> {};
struct type_annotation
    : nesting_rule<Rule::type_annotation,
                   seq_s<identifier, opt_s<L("<"), type_annotation, star_s<L(","), type_annotation>, L(">")>>> {};
struct function_declaration
    : normal_rule<Rule::function_declaration,
                  seq_s<L("def"), identifier, L("("), pg::opt<param_list>, L(")"), opt_s<L("->"), type_annotation>,
                        pg::sor<L(":"), L("=")>, block_or_expression>> {};
struct param_list : normal_rule<Rule::param_list, seq_s<param, star_s<L(","), param>>> {};
struct param : normal_rule<Rule::param, seq_s<identifier, opt_s<L(":"), type_annotation>>> {};
struct block_or_expression : normal_rule<Rule::block_or_expression, pg::sor<block, expression>> {};
struct block
    : normal_rule<Rule::block, plus_s<NEWLINE>, engine::indentation_stack,
                  engine::with_new_indentation_unit<
                      pg::seq<engine::implicit_skip, statement, pg::star<engine::implicit_skip, further_block_line>>>> {
};
struct statement : pg::sor<variable_declaration, return_statement, expression_statement> {};
struct return_statement : normal_rule<Rule::return_statement, seq_s<L("return"), pg::opt<expression>>> {};
struct expression_statement : normal_rule<Rule::expression_statement, expression> {};
struct type_definition : normal_rule<Rule::type_definition, seq_s<L("type"), identifier, L("="), type_expression>> {};
struct type_expression
    : nesting_rule<Rule::type_expression,
                   pg::sor<seq_s<identifier, opt_s<L("("), comma_list<type_expression>, L(")")>>,
                           seq_s<L("("), comma_list<type_expression>, L(")")>>> {};
struct data_definition
    : normal_rule<Rule::data_definition,
                  seq_s<L("data"), identifier, L("="), data_constructor, star_s<L("|"), data_constructor>>> {};
struct data_constructor
    : normal_rule<Rule::data_constructor, seq_s<identifier, opt_s<L("("), comma_list<identifier>, L(")")>>> {};
struct trait_definition : normal_rule<Rule::trait_definition, seq_s<L("trait"), identifier, members>> {};
struct instance_definition
    : normal_rule<Rule::instance_definition, seq_s<L("instance"), identifier, L("for"), type_expression, members>> {};

// ---- Expression precedence ladder ----

struct expression : memoised_nesting_rule<Rule::expression, pipe_expression> {};
struct pipe_expression
    : normal_rule<Rule::pipe_expression, seq_s<assignment_expression, star_s<L("|>"), assignment_expression>>> {};
struct assignment_expression
    : normal_rule<Rule::assignment_expression,
                  seq_s<conditional_expression, opt_s<assignment_operator, conditional_expression>>> {};
struct assignment_operator : normal_rule<Rule::assignment_operator, pg::sor<L("="), L("+="), L("-="), L("*="), L("/="),
                                                                            L("%="), L("**="), L("&&="), L("||=")>> {};
struct conditional_expression : normal_rule<Rule::conditional_expression, logical_or_expression> {};
struct logical_or_expression
    : normal_rule<Rule::logical_or_expression,
                  seq_s<logical_and_expression, star_s<pg::sor<L("||"), L("or")>, logical_and_expression>>> {};
struct logical_and_expression
    : normal_rule<Rule::logical_and_expression,
                  seq_s<equality_expression, star_s<pg::sor<L("&&"), L("and")>, equality_expression>>> {};
struct equality_expression
    : normal_rule<Rule::equality_expression,
                  seq_s<relational_expression, star_s<equality_operator, relational_expression>>> {};
struct equality_operator : normal_rule<Rule::equality_operator, pg::sor<L("=="), L("!=")>> {};
struct relational_expression
    : normal_rule<Rule::relational_expression,
                  seq_s<additive_expression, star_s<relational_operator, additive_expression>>> {};
struct relational_operator : normal_rule<Rule::relational_operator, pg::sor<L("<="), L(">="), L("<"), L(">")>> {};
struct additive_expression
    : normal_rule<Rule::additive_expression,
                  seq_s<multiplicative_expression, star_s<additive_operator, multiplicative_expression>>> {};
struct additive_operator : normal_rule<Rule::additive_operator, pg::sor<L("+"), L("-")>> {};
struct multiplicative_expression
    : normal_rule<Rule::multiplicative_expression,
                  seq_s<power_expression, star_s<multiplicative_operator, power_expression>>> {};
struct multiplicative_operator
    : normal_rule<Rule::multiplicative_operator, pg::sor<L("*"), L("/"), L("//"), L("%")>> {};
struct power_expression
    : normal_rule<Rule::power_expression, seq_s<unary_expression, star_s<L("**"), unary_expression>>> {};

// ---- Unary, postfix and primary expressions and collection literals ----

struct unary_expression
    : normal_rule<Rule::unary_expression,
                  pg::sor<seq_s<unary_operator, engine::one_level_deeper<unary_expression>>, postfix_expression>> {};
struct unary_operator : normal_rule<Rule::unary_operator, pg::sor<L("-"), L("+"), L("!"), L("not")>> {};
struct postfix_expression : normal_rule<Rule::postfix_expression, seq_s<primary_expression, star_s<postfix_op>>> {};
struct postfix_op : pg::sor<call_args, index_access, member_access> {};
struct call_args : normal_rule<Rule::call_args, seq_s<L("("), comma_list<expression>, L(")")>> {};
struct index_access : normal_rule<Rule::index_access, seq_s<L("["), expression, L("]")>> {};
struct member_access : normal_rule<Rule::member_access, seq_s<L("."), identifier>> {};
struct primary_expression
    : normal_rule<Rule::primary_expression,
                  pg::sor<float_literal, int_literal, string_literal, boolean_literal, lambda_expression,
                          if_expression, for_loop, while_loop, match_expression, list_comprehension, list_literal,
                          dict_literal, tuple_literal, identifier, seq_s<L("("), expression, L(")")>>> {};
struct list_literal : normal_rule<Rule::list_literal, seq_s<L("["), trailing_comma_list<expression>, L("]")>> {};
struct dict_literal : normal_rule<Rule::dict_literal, seq_s<L("{"), trailing_comma_list<dict_entry>, L("}")>> {};
struct dict_entry : normal_rule<Rule::dict_entry, seq_s<expression, L(":"), expression>> {};
struct tuple_literal
    : normal_rule<Rule::tuple_literal, seq_s<L("("), expression, L(","), comma_list<expression>, L(")")>> {};

// ---- Control-flow expressions ----

// Helpers (not grammar rules): the clauses after the then-branch.
struct elif_clause : seq_s<star_s<NEWLINE>, L("elif"), expression, L(":"), block_or_expression> {};
struct else_clause : seq_s<star_s<NEWLINE>, L("else"), L(":"), block_or_expression> {};

struct if_expression
    : normal_rule<Rule::if_expression, seq_s<L("if"), expression, L(":"), block_or_expression, star_s<elif_clause>,
                                             pg::opt<else_clause>>> {};
struct for_loop
    : normal_rule<Rule::for_loop, seq_s<L("for"), identifier, L("in"), expression, L(":"), block_or_expression>> {};
struct while_loop : normal_rule<Rule::while_loop, seq_s<L("while"), expression, L(":"), block_or_expression>> {};
struct lambda_expression
    : normal_rule<Rule::lambda_expression, seq_s<L("lambda"), pg::opt<lambda_params>, L(":"), expression>> {};
struct lambda_params : normal_rule<Rule::lambda_params, seq_s<identifier, star_s<L(","), identifier>>> {};
struct list_comprehension
    : normal_rule<Rule::list_comprehension, seq_s<L("["), expression, L("for"), identifier, L("in"), expression,
                                                  opt_s<L("if"), expression>, L("]")>> {};

// ---- Match expressions and patterns ----

struct match_expression
    : normal_rule<Rule::match_expression,
                  seq_s<L("match"), expression, L("{"), star_s<NEWLINE>, match_arm,
                        star_s<L(","), star_s<NEWLINE>, match_arm>, pg::opt<L(",")>, star_s<NEWLINE>, L("}")>> {};
struct match_arm : normal_rule<Rule::match_arm, seq_s<pattern, pg::opt<guard>, L("=>"), expression>> {};
struct guard : normal_rule<Rule::guard, seq_s<L("if"), expression>> {};
struct pattern : nesting_rule<Rule::pattern, pg::sor<wildcard_pattern, literal, constructor_pattern, tuple_pattern,
                                                     list_pattern, identifier>> {};
struct wildcard_pattern : normal_rule<Rule::wildcard_pattern, L("_")> {};
struct literal : normal_rule<Rule::literal, pg::sor<float_literal, int_literal, string_literal, boolean_literal>> {};
struct constructor_pattern
    : normal_rule<Rule::constructor_pattern, seq_s<identifier, L("("), comma_list<pattern>, L(")")>> {};
struct tuple_pattern : normal_rule<Rule::tuple_pattern, seq_s<L("("), comma_list<pattern>, L(")")>> {};
struct list_pattern
    : normal_rule<Rule::list_pattern,
                  seq_s<L("["), opt_s<pattern, star_s<L(","), pattern>, opt_s<L(".."), identifier>>, L("]")>> {};

#undef L

}  // namespace ostrel::grammar::rules
