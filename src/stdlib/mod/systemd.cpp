// Service units through systemctl; everything but the status query goes through sudo.
#include "stdlib/module.hpp"

namespace ostrel::stdlib {

Module systemd_module() {
  return module("systemd", {
      {"start", command_member(Operand::Text, "sudo", {"systemctl", "start"})},
      {"stop", command_member(Operand::Text, "sudo", {"systemctl", "stop"})},
      {"restart", command_member(Operand::Text, "sudo", {"systemctl", "restart"})},
      {"enable", command_member(Operand::Text, "sudo", {"systemctl", "enable"})},
      {"disable", command_member(Operand::Text, "sudo", {"systemctl", "disable"})},
      {"status", command_member(Operand::Text, "systemctl", {"status"})},
  });
}

}  // namespace ostrel::stdlib
