#ifndef TNWK_TESTS_FUZZ_FUZZ_SUPPORT_H_
#define TNWK_TESTS_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace tnwk::fuzz {

// Calls `each` with every line of the fuzzer's input as the input loop would
// hand it over: at most 1023 bytes, newline kept, terminated by NUL, in a
// modifiable buffer.
template <typename Each>
void ForEachLine(const uint8_t* data, size_t size, Each each) {
  char line[1024];
  uint64_t line_no = 0;
  size_t start = 0;
  while (start < size) {
    const void* newline = std::memchr(data + start, '\n', size - start);
    const size_t end =
        newline
            ? static_cast<size_t>(static_cast<const uint8_t*>(newline) - data) +
                  1
            : size;
    size_t length = end - start;
    if (length > sizeof line - 1) length = sizeof line - 1;
    std::memcpy(line, data + start, length);
    line[length] = '\0';
    each(line, ++line_no);
    start = end;
  }
}

// The diagnostics go nowhere, but are formatted: a bad format argument must
// show up under the sanitizers.
inline std::FILE* NullStream() {
  static std::FILE* stream = std::fopen("/dev/null", "w");
  return stream;
}

// Every run reads local time in one fixed zone.
inline void FixTimeZone() {
  static const bool done = [] {
    setenv("TZ", "UTC", 1);
    tzset();
    return true;
  }();
  (void)done;
}

}  // namespace tnwk::fuzz

#endif  // TNWK_TESTS_FUZZ_FUZZ_SUPPORT_H_
