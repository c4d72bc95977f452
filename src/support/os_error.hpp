#pragma once
// The text users see for a failed system call.
#include <string>

namespace ostrel {

// "No such file or directory (os error 2)" style text for an errno value.
std::string os_error_text(int error_number);

}  // namespace ostrel
