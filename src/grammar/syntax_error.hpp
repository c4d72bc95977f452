#pragma once
// The text of a syntax error: where the grammar stopped, the source line around it and what it
// expected there, in the six-line layout users see after "Parse error: ".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "grammar/rule.hpp"

namespace ostrel::grammar {

// "unexpected ...; expected ...", "expected ...", "unexpected ..." or "unknown parsing error". Each
// list names every rule once, in the order of the rule list, whatever the order given.
std::string describe_failure(std::vector<Rule> expected, std::vector<Rule> unexpected);

// The six lines (no final newline) for an error at byte `position` of `source` with the given last
// line message. The source may hold malformed UTF-8; such bytes are shown as U+FFFD.
std::string render_syntax_error(std::string_view source, std::size_t position, std::string_view message);

}  // namespace ostrel::grammar
