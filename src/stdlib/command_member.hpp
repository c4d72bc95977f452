#pragma once
// Members that run one fixed command line, the script's argument (if any) last.
#include <string>
#include <vector>

#include "stdlib/module.hpp"

namespace ostrel::stdlib {

// What a member takes from the script: nothing; any text (a shell line); a unit, which may
// begin with "-" ("-.mount") and then follows "--" so that it cannot be read as an option; or a
// package name or search query, where a leading "-" is refused.
enum class Operand { None, Text, Unit, PackageName };

MemberFunction command_member(Operand operand, std::string program, std::vector<std::string> fixed_arguments);

}  // namespace ostrel::stdlib
