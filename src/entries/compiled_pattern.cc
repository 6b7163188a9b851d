#include "entries/compiled_pattern.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tnwk {
namespace {

constexpr int kFlags = REG_EXTENDED | REG_NOSUB;

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
  int rc = regcomp(&regex_, pattern, kFlags);
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
