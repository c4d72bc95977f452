#include "support/jaro.hpp"

#include <algorithm>
#include <vector>

#include "support/utf8.hpp"

namespace ostrel {
namespace {

std::vector<char32_t> code_points(std::string_view text) {
  std::vector<char32_t> result;
  while (!text.empty()) {
    DecodedChar c = decode_utf8(text);
    result.push_back(c.code_point);
    text.remove_prefix(c.length);
  }
  return result;
}

}  // namespace

double jaro_similarity(std::string_view a_text, std::string_view b_text) {
  std::vector<char32_t> a = code_points(a_text);
  std::vector<char32_t> b = code_points(b_text);
  if (a.empty() && b.empty()) return 1.0;
  if (a.empty() || b.empty()) return 0.0;

  // Characters match when equal and no further apart than this window.
  std::size_t window = std::max(a.size(), b.size()) / 2;
  window = window > 0 ? window - 1 : 0;
  std::vector<bool> a_matched(a.size()), b_matched(b.size());
  std::size_t matches = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::size_t low = i > window ? i - window : 0;
    std::size_t high = std::min(b.size(), i + window + 1);
    for (std::size_t j = low; j < high; ++j) {
      if (!b_matched[j] && a[i] == b[j]) {
        a_matched[i] = b_matched[j] = true;
        ++matches;
        break;
      }
    }
  }
  if (matches == 0) return 0.0;

  // Matched characters that appear in a different order count as half a transposition each.
  std::size_t out_of_order = 0;
  std::size_t j = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!a_matched[i]) continue;
    while (!b_matched[j]) ++j;
    if (a[i] != b[j]) ++out_of_order;
    ++j;
  }
  double m = static_cast<double>(matches);
  double transpositions = static_cast<double>(out_of_order / 2);
  return (m / static_cast<double>(a.size()) + m / static_cast<double>(b.size()) + (m - transpositions) / m) / 3.0;
}

}  // namespace ostrel
