#include "entries/compiled_pattern.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tnwk {
namespace {

constexpr int kFlags = REG_EXTENDED | REG_NOSUB;

// Whether `pattern` uses a back-reference (\1 to \9 outside a bracket
// expression). Extended expressions have none, but the C library accepts
// them, and matching them can take time exponential in the text.
bool HasBackReference(const char* pattern) {
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p == '\\') {
      if (p[1] >= '1' && p[1] <= '9') return true;
      if (p[1] == '\0') return false;
      ++p;
    } else if (*p == '[') {
      // Skip the bracket expression: a "]" first (after an optional "^") is
      // literal, and so is one inside [:class:], [=x=] or [.x.].
      ++p;
      if (*p == '^') ++p;
      if (*p == ']') ++p;
      while (*p != '\0' && *p != ']') {
        if (*p == '[' && (p[1] == ':' || p[1] == '=' || p[1] == '.')) {
          const char delimiter = p[1];
          p += 2;
          while (*p != '\0' && !(p[0] == delimiter && p[1] == ']')) ++p;
          if (*p == '\0') return false;
          ++p;
        }
        ++p;
      }
      if (*p == '\0') return false;
    }
  }
  return false;
}

}  // namespace

CompiledPattern::CompiledPattern() { Compile("."); }

CompiledPattern::~CompiledPattern() { Release(); }

// regex_t is a plain C struct without interior pointers to itself, so the
// compiled form moves by copying the struct and disowning the source.
CompiledPattern::CompiledPattern(CompiledPattern&& other) noexcept
    : regex_(other.regex_), compiled_(other.compiled_) {
  other.compiled_ = false;
}

CompiledPattern& CompiledPattern::operator=(CompiledPattern&& other) noexcept {
  if (this != &other) {
    Release();
    regex_ = other.regex_;
    compiled_ = other.compiled_;
    other.compiled_ = false;
  }
  return *this;
}

bool CompiledPattern::Compile(const char* pattern, std::string* error) {
  Release();
  int rc = HasBackReference(pattern) ? REG_ESUBREG
                                     : regcomp(&regex_, pattern, kFlags);
  if (rc == 0) {
    compiled_ = true;
    return true;
  }
  if (error != nullptr) {
    char text[256];
    regerror(rc, &regex_, text, sizeof text);
    *error = text;
  }
  // "." always compiles; a failure here means the library is out of memory,
  // which is the checked allocation's fatal case.
  if (regcomp(&regex_, ".", kFlags) != 0) {
    std::fputs("\nMemory allocation error, exiting.\n", stderr);
    std::exit(1);
  }
  compiled_ = true;
  return false;
}

int CompiledPattern::Execute(const char* text) const {
  if (!compiled_) return REG_NOMATCH;
  return regexec(&regex_, text, 0, nullptr, 0);
}

void CompiledPattern::Release() {
  if (compiled_) regfree(&regex_);
  compiled_ = false;
}

}  // namespace tnwk
