#pragma once
// Members that run one fixed command line, the script's argument (if any) last.
#include <string>
#include <vector>

#include "stdlib/module.hpp"

namespace ostrel::stdlib {

// What a member takes from the script: nothing, any text (a query, a unit), or a package name.
enum class Operand { None, Text, PackageName };

MemberFunction command_member(Operand operand, std::string program, std::vector<std::string> fixed_arguments);

}  // namespace ostrel::stdlib
