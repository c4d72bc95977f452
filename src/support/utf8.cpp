#include "support/utf8.hpp"

namespace ostrel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";

struct LeadByte {
  std::size_t length;        // 0: cannot start a sequence
  unsigned char second_low;  // allowed range of the second byte; it excludes overlongs,
  unsigned char second_high; // surrogates and values past U+10FFFF
};

LeadByte classify(unsigned char byte) {
  if (byte < 0x80) return {1, 0, 0};
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

DecodedChar decode_utf8(std::string_view text) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  LeadByte lead = classify(byte(0));
  if (lead.length == 0) return {kReplacement, 1, false};
  if (lead.length == 1) return {byte(0), 1, true};
  static constexpr unsigned char kLeadMask[] = {0, 0, 0x1F, 0x0F, 0x07};
  char32_t code_point = byte(0) & kLeadMask[lead.length];
  for (std::size_t i = 1; i < lead.length; ++i) {
    unsigned char low = i == 1 ? lead.second_low : 0x80;
    unsigned char high = i == 1 ? lead.second_high : 0xBF;
    if (i >= text.size() || byte(i) < low || byte(i) > high) return {kReplacement, i, false};
    code_point = (code_point << 6) | (byte(i) & 0x3F);
  }
  return {code_point, lead.length, true};
}

std::string utf8_lossy(std::string_view bytes) {
  std::string result;
  result.reserve(bytes.size());
  while (!bytes.empty()) {
    DecodedChar c = decode_utf8(bytes);
    if (c.valid) result.append(bytes.substr(0, c.length));
    else result.append(kReplacementUtf8);
    bytes.remove_prefix(c.length);
  }
  return result;
}

}  // namespace ostrel
