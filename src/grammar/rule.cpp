#include "grammar/rule.hpp"

namespace ostrel::grammar {

std::string_view name_of(Rule rule) {
  static constexpr std::string_view names[] = {
#define OSTREL_RULE_NAME(name) #name,
      OSTREL_GRAMMAR_RULES(OSTREL_RULE_NAME)
#undef OSTREL_RULE_NAME
  };
  return names[static_cast<int>(rule)];
}

}  // namespace ostrel::grammar
