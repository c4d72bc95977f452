#pragma once
// Where the characters of a string payload start, so that indexing a string by character
// position costs constant time. A character is a byte that is not a UTF-8 continuation byte,
// with the continuation bytes after it (stray ones at the very start belong to no character).
// The index is worked out on first use: all-ASCII text needs nothing more than its size; other
// text keeps the byte offset of every kStride-th character and walks at most kStride - 1
// characters from there. Appending to the text extends the index instead of discarding it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ostrel {

class TextIndex {
 public:
  TextIndex() = default;
  TextIndex(const TextIndex& other);
  TextIndex& operator=(const TextIndex&) = delete;

  // Characters in `text`, the text this index describes.
  int64_t count(const std::string& text) {
    known(text);
    return state_ == State::Ascii ? static_cast<int64_t>(text.size()) : mixed_->count;
  }
  // Byte offset and byte length of the character at `position`, 0 <= position < count(text).
  std::pair<size_t, size_t> character(const std::string& text, int64_t position) {
    known(text);
    if (state_ == State::Ascii) return {static_cast<size_t>(position), 1};
    return mixed_character(text, position);
  }
  // `text` has grown by the bytes from `old_size` on.
  void appended(const std::string& text, size_t old_size);
  // `text` has changed otherwise: the index is worked out again on next use.
  void forget() noexcept;

 private:
  static constexpr int64_t kStride = 32;
  enum class State : uint8_t { Unknown, Ascii, Mixed };

  std::pair<size_t, size_t> mixed_character(const std::string& text, int64_t position) const;
  void known(const std::string& text) {
    if (state_ == State::Unknown) update(text, 0);
  }
  void update(const std::string& text, size_t from);
  void extend(const std::string& text, size_t from);
  void become_mixed(int64_t ascii_count);
  void scan(const std::string& text, size_t from);

  struct Mixed {
    int64_t count = 0;
    std::vector<size_t> marks;  // offset of the characters 0, kStride, 2 * kStride, ...
  };

  State state_ = State::Unknown;
  std::unique_ptr<Mixed> mixed_;  // apart, so that the many short ASCII strings stay small
};

}  // namespace ostrel
