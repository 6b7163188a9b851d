#ifndef TNWK_BASE_DIAGNOSTICS_H_
#define TNWK_BASE_DIAGNOSTICS_H_

#include <cstdint>
#include <cstdio>

// Lets compilers that know the attribute check printf-style formats; the
// argument positions count the implicit object argument as 1.
#if defined(__has_cpp_attribute)
#if __has_cpp_attribute(gnu::format)
#define TNWK_PRINTF_FORMAT(fmt, first) [[gnu::format(printf, fmt, first)]]
#endif
#endif
#ifndef TNWK_PRINTF_FORMAT
#define TNWK_PRINTF_FORMAT(fmt, first)
#endif

namespace tnwk {

// The verbosity-gated diagnostic stream (standard error in the program).
// Every threshold is an at-least test: Log(4, ...) writes when the verbosity
// is 4 or more. The stream is borrowed, not owned.
class Diagnostics {
 public:
  explicit Diagnostics(uint8_t verbosity = 0, std::FILE* stream = stderr)
      : verbosity_(verbosity), stream_(stream) {}

  uint8_t verbosity() const { return verbosity_; }
  void set_verbosity(uint8_t verbosity) { verbosity_ = verbosity; }
  std::FILE* stream() const { return stream_; }

  bool At(unsigned level) const { return verbosity_ >= level; }

  // printf-style message, written only at `level` or above. The format is
  // checked against its arguments by the compiler.
  TNWK_PRINTF_FORMAT(3, 4)
  void Log(unsigned level, const char* format, ...) const;
  // printf-style message, written at every verbosity.
  TNWK_PRINTF_FORMAT(2, 3) void Print(const char* format, ...) const;

 private:
  uint8_t verbosity_;
  std::FILE* stream_;
};

}  // namespace tnwk

#endif  // TNWK_BASE_DIAGNOSTICS_H_
