#include "interpreter/text_index.hpp"

#include <cstring>

#include "support/utf8.hpp"

namespace ostrel {
namespace {

// Eight bytes at a time: this runs over every string that is indexed.
bool all_ascii(const char* bytes, size_t size) {
  uint64_t seen = 0;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    seen |= word;
  }
  for (; i < size; ++i) seen |= static_cast<unsigned char>(bytes[i]);
  return (seen & 0x8080808080808080ull) == 0;
}

}  // namespace

TextIndex::TextIndex(const TextIndex& other)
    : state_(other.state_), mixed_(other.mixed_ ? std::make_unique<Mixed>(*other.mixed_) : nullptr) {}

std::pair<size_t, size_t> TextIndex::mixed_character(const std::string& text, int64_t position) const {
  size_t start = mixed_->marks[position / kStride];
  for (int64_t step = position % kStride; step > 0; --step) {
    do ++start;
    while (is_continuation_byte(text[start]));
  }
  size_t end = start + 1;
  while (end < text.size() && is_continuation_byte(text[end])) ++end;
  return {start, end - start};
}

void TextIndex::appended(const std::string& text, size_t old_size) {
  if (state_ != State::Unknown) update(text, old_size);
}

// Running out of memory half-way leaves the index unknown rather than wrong.
void TextIndex::update(const std::string& text, size_t from) {
  try {
    extend(text, from);
  } catch (...) {
    forget();
    throw;
  }
}

// Takes in the bytes from `from` on; the index is right for those before.
void TextIndex::extend(const std::string& text, size_t from) {
  if (state_ != State::Mixed) {
    if (all_ascii(text.data() + from, text.size() - from)) {
      state_ = State::Ascii;
      return;
    }
    become_mixed(static_cast<int64_t>(from));
  }
  scan(text, from);
}

void TextIndex::forget() noexcept {
  state_ = State::Unknown;
  mixed_.reset();
}

// ASCII text so far gets the marks it would have had as mixed text.
void TextIndex::become_mixed(int64_t ascii_count) {
  state_ = State::Mixed;
  mixed_ = std::make_unique<Mixed>();
  mixed_->count = ascii_count;
  for (int64_t position = 0; position < ascii_count; position += kStride) {
    mixed_->marks.push_back(static_cast<size_t>(position));
  }
}

void TextIndex::scan(const std::string& text, size_t from) {
  Mixed& mixed = *mixed_;
  for (size_t i = from; i < text.size(); ++i) {
    if (is_continuation_byte(text[i])) continue;
    if (mixed.count % kStride == 0) mixed.marks.push_back(i);
    ++mixed.count;
  }
}

}  // namespace ostrel
