#pragma once
// The program's version, shown by `--version` and the interactive banner. The build defines it
// from the project's version.

namespace ostrel {

inline constexpr char kVersion[] = OSTREL_VERSION;

}  // namespace ostrel
