#pragma once
// A listing of compiled instructions, for tests that compare what the compiler makes of small
// programs with what it should make. One line per instruction: its position, its name, then a,
// b and c; a jump's a as the position it goes to ("->7"), an operand that is a global as "g3".
// A constant the instruction reads follows as "k=..." and a call's arguments in parentheses:
// "r2" a temporary, "v1" a variable read in place, "m1" a variable whose value the call takes,
// "k=1" a constant.
#include <string>

#include "interpreter/instructions.hpp"
#include "interpreter/value.hpp"

namespace listing {

inline std::string operand(uint32_t r) {
  if (r & ostrel::code::kGlobalOperand) return "g" + std::to_string(r & ~ostrel::code::kGlobalOperand);
  return std::to_string(r);
}

inline std::string constant(const void* value) { return "k=" + static_cast<const ostrel::Value*>(value)->display(); }

inline std::string arguments(const ostrel::code::Instruction& in) {
  using From = ostrel::code::Argument::From;
  const auto* given = static_cast<const ostrel::code::Argument*>(in.q);
  std::string out = " (";
  for (uint32_t i = 0; i < in.c; ++i) {
    if (i > 0) out += " ";
    if (given[i].from == From::Constant) out += constant(given[i].constant);
    else if (given[i].from == From::Variable) out += "v" + operand(given[i].operand);
    else out += (given[i].from == From::Temporary ? "r" : "m") + operand(given[i].operand);
  }
  return out + ")";
}

inline std::string of(const ostrel::code::Chunk& chunk) {
  using ostrel::code::Op;
  std::string out;
  for (size_t i = 0; i < chunk.code.size(); ++i) {
    const ostrel::code::Instruction& in = chunk.code[i];
    out += std::to_string(i) + ": " + ostrel::code::name_of(in.op) + " ";
    out += ostrel::code::jumps(in.op) ? "->" + std::to_string(i + static_cast<int32_t>(in.a)) : operand(in.a);
    out += " " + operand(in.b) + " " + operand(in.c);
    if (ostrel::code::has_constant_operand(in.op) || in.op == Op::MatchConstant) out += " " + constant(in.q);
    if (in.op == Op::LoadConstant) out += " " + constant(in.p);
    if (in.op == Op::Call || in.op == Op::MapStep || in.op == Op::FilterStep) out += arguments(in);
    out += "\n";
  }
  return out;
}

}  // namespace listing
