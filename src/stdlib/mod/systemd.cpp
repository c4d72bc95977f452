// Service units through systemctl; everything but the status query goes through sudo.
#include "stdlib/module.hpp"

namespace ostrel::stdlib {

Module systemd_module() {
  return module("systemd", {
      {"start", command_member(Operand::Unit, "sudo", {"systemctl", "start"})},
      {"stop", command_member(Operand::Unit, "sudo", {"systemctl", "stop"})},
      {"restart", command_member(Operand::Unit, "sudo", {"systemctl", "restart"})},
      {"enable", command_member(Operand::Unit, "sudo", {"systemctl", "enable"})},
      {"disable", command_member(Operand::Unit, "sudo", {"systemctl", "disable"})},
      {"status", command_member(Operand::Unit, "systemctl", {"status"})},
  });
}

}  // namespace ostrel::stdlib
