#ifndef TNWK_ENTRIES_COMPILED_PATTERN_H_
#define TNWK_ENTRIES_COMPILED_PATTERN_H_

#include <regex.h>

#include <string>

namespace tnwk {

// An owned POSIX extended regular expression compiled without sub-match
// reporting (REG_EXTENDED | REG_NOSUB). A new pattern is ".", which matches
// every non-empty text and needs no compiled form, so that neither making
// a pattern nor a failed Compile can run out of memory. Move-only; the
// compiled form is released with the object or when it is replaced.
class CompiledPattern {
 public:
  CompiledPattern() = default;
  ~CompiledPattern();
  CompiledPattern(CompiledPattern&& other) noexcept;
  CompiledPattern& operator=(CompiledPattern&& other) noexcept;
  CompiledPattern(const CompiledPattern&) = delete;
  CompiledPattern& operator=(const CompiledPattern&) = delete;

  // Compiles `pattern` in place of the current one. A back-reference (\1 to
  // \9) is refused as an invalid back reference, so that every pattern
  // matches in time polynomial in the text, and a pattern whose stacked or
  // nested repetitions would compile to more than 16,384 copies of its atoms
  // as too big, so that none takes exponential memory. On failure the
  // pattern is "." again, `error` (when given) receives the library's error
  // text, and the result is false.
  bool Compile(const char* pattern, std::string* error = nullptr);

  // regexec of `text` without match positions: 0 for a match, REG_NOMATCH
  // for none, another code for a matcher error.
  int Execute(const char* text) const;

 private:
  void Release();

  regex_t regex_{};
  bool compiled_ = false;  // false: the pattern is "."
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_COMPILED_PATTERN_H_
