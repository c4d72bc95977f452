// Repository packages through pacman; changes go through sudo, queries do not.
#include "stdlib/module.hpp"

namespace ostrel::stdlib {

Module pacman_module() {
  return module("pacman", {
      {"install", command_member(Operand::PackageName, "sudo", {"pacman", "-S", "--noconfirm"})},
      {"remove", command_member(Operand::PackageName, "sudo", {"pacman", "-R", "--noconfirm"})},
      {"update", command_member(Operand::None, "sudo", {"pacman", "-Syu", "--noconfirm"})},
      {"search", command_member(Operand::PackageName, "pacman", {"-Ss"})},
      {"list", command_member(Operand::None, "pacman", {"-Q"})},
      {"info", command_member(Operand::PackageName, "pacman", {"-Qi"})},
      {"clean", command_member(Operand::None, "sudo", {"pacman", "-Scc", "--noconfirm"})},
  });
}

}  // namespace ostrel::stdlib
