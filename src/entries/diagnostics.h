#ifndef TNWK_ENTRIES_DIAGNOSTICS_H_
#define TNWK_ENTRIES_DIAGNOSTICS_H_

#include <cstdint>
#include <cstdio>

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

  // printf-style message, written only at `level` or above.
  void Log(unsigned level, const char* format, ...) const;
  // printf-style message, written at every verbosity.
  void Print(const char* format, ...) const;

 private:
  uint8_t verbosity_;
  std::FILE* stream_;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_DIAGNOSTICS_H_
