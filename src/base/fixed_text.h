#ifndef TNWK_BASE_FIXED_TEXT_H_
#define TNWK_BASE_FIXED_TEXT_H_

#include <cstddef>
#include <string_view>

namespace tnwk {

// The bounded copy: copies at most size - 1 characters of `text` (fewer when
// `text` holds a NUL) into `dest` and always terminates it. `size` must be at
// least 1.
void BoundedCopy(char* dest, size_t size, std::string_view text);

// A fixed-size, always terminated text field of N bytes: it holds at most
// N - 1 characters, and every assignment cuts longer texts to that length.
template <size_t N>
class FixedText {
 public:
  static_assert(N >= 1);
  static constexpr size_t kSize = N;

  FixedText() { data_[0] = '\0'; }
  explicit FixedText(std::string_view text) { Set(text); }

  void Set(std::string_view text) { BoundedCopy(data_, N, text); }
  void Clear() { data_[0] = '\0'; }

  const char* c_str() const { return data_; }
  // Raw storage for calls that write a terminated text into it (the address
  // parser, FormatDottedQuad); the caller must keep within kSize bytes.
  char* data() { return data_; }
  std::string_view view() const { return std::string_view(data_); }
  bool empty() const { return data_[0] == '\0'; }

  bool operator==(const FixedText& other) const {
    return view() == other.view();
  }

 private:
  char data_[N];
};

}  // namespace tnwk

#endif  // TNWK_BASE_FIXED_TEXT_H_
