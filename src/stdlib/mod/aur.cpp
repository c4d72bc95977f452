// User-repository packages through yay, which asks for privileges itself.
#include "stdlib/module.hpp"

namespace ostrel::stdlib {

Module aur_module() {
  return module("aur", {
      {"install", command_member(Operand::PackageName, "yay", {"-S", "--noconfirm"})},
      {"search", command_member(Operand::PackageName, "yay", {"-Ss"})},
      {"update", command_member(Operand::None, "yay", {"-Sua", "--noconfirm"})},
      {"info", command_member(Operand::PackageName, "yay", {"-Qi"})},
  });
}

}  // namespace ostrel::stdlib
