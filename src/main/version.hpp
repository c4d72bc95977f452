#pragma once
// The program's version, shown by `--version` and the interactive banner.

namespace ostrel {

inline constexpr char kVersion[] = "0.2.6";

}  // namespace ostrel
