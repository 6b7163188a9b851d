#include "base/numbers.h"

#include <cctype>
#include <cstdlib>

namespace tnwk {

int CheckedAtoi(const char* text) {
  // Converting an out-of-range long to int keeps the low bits (defined since
  // C++20), which is also what the C library's atoi does in practice.
  return static_cast<int>(std::strtol(text, nullptr, 10));
}

long CheckedAtol(const char* text) { return std::strtol(text, nullptr, 10); }

long CheckedStrtol(const char* text, int base) {
  return std::strtol(text, nullptr, base);
}

unsigned long CheckedStrtoul(const char* text, int base, const char** end) {
  char* stop = nullptr;
  unsigned long value = std::strtoul(text, &stop, base);
  if (end != nullptr) *end = stop;
  return value;
}

namespace {

// The position after white space and an optional sign, if a digit follows.
const char* DigitsStart(const char* p) {
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  const char* q = p;
  if (*q == '+' || *q == '-') ++q;
  return std::isdigit(static_cast<unsigned char>(*q)) ? p : nullptr;
}

}  // namespace

bool ScanInt(const char** cursor, int* out) {
  const char* start = DigitsStart(*cursor);
  if (start == nullptr) return false;
  char* stop = nullptr;
  *out = static_cast<int>(std::strtol(start, &stop, 10));
  *cursor = stop;
  return true;
}

bool ScanUnsigned(const char** cursor, unsigned* out) {
  const char* start = DigitsStart(*cursor);
  if (start == nullptr) return false;
  char* stop = nullptr;
  *out = static_cast<unsigned>(std::strtoul(start, &stop, 10));
  *cursor = stop;
  return true;
}

}  // namespace tnwk
