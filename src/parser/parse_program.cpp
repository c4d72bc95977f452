#include "parser/parse_program.hpp"

#include <new>
#include <vector>

#include "grammar/match_program.hpp"
#include "parser/build_statement.hpp"
#include "parser/build_support.hpp"

namespace ostrel {

namespace {

Result<ast::StmtPtr> build_program(std::string_view source) {
  OSTREL_TRY(matches, grammar::match_program(source));
  std::vector<ast::Stmt> statements;
  for (grammar::RuleMatch item : matches.top_level()) {
    if (item.rule() == grammar::Rule::EOI) continue;
    OSTREL_TRY(statement, build_statement(item));
    if (statement) statements.push_back(std::move(*statement));
  }
  return std::make_unique<ast::Stmt>(ast::stmt::Module{std::move(statements)});
}

}  // namespace

// A huge text can need more memory for its matches and tree than the machine has; that ends the
// parse with an error instead of an abort.
Result<ast::StmtPtr> parse_program(std::string_view source) {
  try {
    return build_program(source);
  } catch (const std::bad_alloc&) {
    return Error{"out of memory"};
  }
}

}  // namespace ostrel
