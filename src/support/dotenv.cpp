#include "support/dotenv.hpp"

namespace ostrel::dotenv {

std::optional<std::string> load(std::string_view) { return std::string("path not found"); }

}  // namespace ostrel::dotenv
