// User-repository packages through yay, which asks for privileges itself.
#include "stdlib/command_member.hpp"

namespace ostrel::stdlib {

const Module& aur_module() {
  static const Module module{
      "aur",
      {
          {"install", command_member(Operand::PackageName, "yay", {"-S", "--noconfirm"})},
          {"search", command_member(Operand::PackageName, "yay", {"-Ss"})},
          {"update", command_member(Operand::None, "yay", {"-Sua", "--noconfirm"})},
          {"info", command_member(Operand::PackageName, "yay", {"-Qi"})},
      }};
  return module;
}

}  // namespace ostrel::stdlib
