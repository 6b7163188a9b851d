#include "entries/compiled_pattern.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>

namespace tnwk {
namespace {

constexpr int kFlags = REG_EXTENDED | REG_NOSUB;

// The end of the bracket expression that starts at `p` (its "["), or null
// when it is not closed. A "]" first (after an optional "^") is literal, and
// so is one inside [:class:], [=x=] or [.x.].
const char* SkipBracket(const char* p) {
  ++p;
  if (*p == '^') ++p;
  if (*p == ']') ++p;
  while (*p != '\0' && *p != ']') {
    if (*p == '[' && (p[1] == ':' || p[1] == '=' || p[1] == '.')) {
      const char delimiter = p[1];
      p += 2;
      while (*p != '\0' && !(p[0] == delimiter && p[1] == ']')) ++p;
      if (*p == '\0') return nullptr;
      ++p;
    }
    ++p;
  }
  return *p == '\0' ? nullptr : p;
}

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
      p = SkipBracket(p);
      if (p == nullptr) return false;
    }
  }
  return false;
}

// The C library compiles "x+" as "xx*" and "x{m,n}" as that many copies of
// x, so stacked or nested repetitions ("a++++++++++++++++++++",
// "((a{9}){9}){9}") grow the compiled form exponentially: twenty stacked "+"
// take gigabytes. Patterns whose copies would exceed this many atoms are
// refused as too big; a definition line of 1023 characters without such
// repetitions never is.
constexpr uint64_t kMaxPatternAtoms = 16384;

uint64_t Scaled(uint64_t weight, uint64_t factor) {
  return factor != 0 && weight > (kMaxPatternAtoms + 1) / factor
             ? kMaxPatternAtoms + 1
             : weight * factor;
}

// How many copies of `pattern`'s atoms the compiled form holds, counting
// alternatives as a sum; more than kMaxPatternAtoms reads as too many.
// The repetition factor of the interval "{m}" or "{m,n}" that starts at `p`
// (its "{"), max(m, n) + 1, with `*end` at its "}"; 0 when no interval
// starts there and the "{" is an atom of its own.
uint64_t IntervalFactor(const char* p, const char** end) {
  const char* q = p + 1;
  uint64_t low = 0, high = 0;
  while (*q >= '0' && *q <= '9')
    low = std::min<uint64_t>(low * 10 + (*q++ - '0'), 100000);
  high = low;
  if (*q == ',') {
    ++q;
    while (*q >= '0' && *q <= '9')
      high = std::min<uint64_t>(high * 10 + (*q++ - '0'), 100000);
  }
  if (*q != '}') return 0;
  *end = q;
  return std::max(low, high) + 1;
}

// One parenthesized group (or the whole pattern) while it is counted.
struct AtomGroup {
  uint64_t total = 0;  // the group's atoms so far
  uint64_t last = 0;   // those of its last item, which a repetition copies
};

uint64_t CompiledAtoms(const char* pattern) {
  AtomGroup stack[64];
  int depth = 0;
  AtomGroup* group = &stack[0];
  auto add = [&](uint64_t atoms) {
    group->total = std::min(group->total + atoms, kMaxPatternAtoms + 1);
    group->last = atoms;
  };
  auto repeat = [&](uint64_t factor) {
    const uint64_t copies = Scaled(group->last, factor);
    group->total =
        std::min(group->total - group->last + copies, kMaxPatternAtoms + 1);
    group->last = copies;
  };
  for (const char* p = pattern; *p != '\0'; ++p) {
    switch (*p) {
      case '\\':
        if (p[1] != '\0') ++p;
        add(1);
        break;
      case '[': {
        const char* end = SkipBracket(p);
        // An unclosed bracket is rejected, but only once the library has
        // compiled what comes before it: count that and stop here.
        if (end == nullptr) {
          p = p + std::strlen(p) - 1;
          break;
        }
        p = end;
        add(1);
        break;
      }
      case '(':
        if (depth + 1 == static_cast<int>(std::size(stack))) {
          return kMaxPatternAtoms + 1;
        }
        group = &stack[++depth];
        *group = AtomGroup();
        break;
      case ')':
        if (depth > 0) {
          const uint64_t atoms = group->total;
          group = &stack[--depth];
          add(atoms);
        } else {
          add(1);
        }
        break;
      case '+':
        repeat(2);
        break;
      case '{': {
        const char* end = p;
        if (const uint64_t factor = IntervalFactor(p, &end); factor != 0) {
          repeat(factor);
          p = end;
        } else {
          add(1);
        }
        break;
      }
      case '|':
      case '*':
      case '?':
      case '^':
      case '$':
        break;
      default:
        add(1);
    }
  }
  uint64_t total = 0;
  for (int i = 0; i <= depth; ++i)
    total = std::min(total + stack[i].total, kMaxPatternAtoms + 1);
  return total;
}

}  // namespace

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

CompiledPattern::~CompiledPattern() { Release(); }

bool CompiledPattern::Compile(const char* pattern, std::string* error) {
  Release();
  int rc = HasBackReference(pattern) ? REG_ESUBREG
           : CompiledAtoms(pattern) > kMaxPatternAtoms
               ? REG_ESIZE
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
  return false;
}

int CompiledPattern::Execute(const char* text) const {
  // "." without REG_NEWLINE matches any character, and in the "C" locale
  // (which the program never changes) every byte is one.
  if (!compiled_) return text[0] != '\0' ? 0 : REG_NOMATCH;
  return regexec(&regex_, text, 0, nullptr, 0);
}

void CompiledPattern::Release() {
  if (compiled_) regfree(&regex_);
  compiled_ = false;
}

}  // namespace tnwk
