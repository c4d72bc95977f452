// Service units through systemctl; everything but the status query goes through sudo.
#include "stdlib/command_member.hpp"

namespace ostrel::stdlib {

const Module& systemd_module() {
  static const Module module{
      "systemd",
      {
          {"start", command_member(Operand::Unit, "sudo", {"systemctl", "start"})},
          {"stop", command_member(Operand::Unit, "sudo", {"systemctl", "stop"})},
          {"restart", command_member(Operand::Unit, "sudo", {"systemctl", "restart"})},
          {"enable", command_member(Operand::Unit, "sudo", {"systemctl", "enable"})},
          {"disable", command_member(Operand::Unit, "sudo", {"systemctl", "disable"})},
          {"status", command_member(Operand::Unit, "systemctl", {"status"})},
      }};
  return module;
}

}  // namespace ostrel::stdlib
