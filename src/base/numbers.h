#ifndef TNWK_BASE_NUMBERS_H_
#define TNWK_BASE_NUMBERS_H_

#include <cstdint>
#include <string_view>

namespace tnwk {

// Checked versions of the C library's text-to-number conversions. For values
// in range they give exactly what the C library gives in the "C" locale (the
// program never changes it); out of range, where the C library's behaviour
// is undefined, they give a defined result. Log fields may hold digit runs
// of any length, so the scanners use these and never atoi, atol or an
// unbounded sscanf %d.
//
// Each comes in two forms: on a terminated string, and on a token
// [token.begin(), token.end()) read as if it had been copied out and
// terminated, so a scanner converts its tokens in place. Bases 0 and 2 to
// 36 as strtol takes them.

namespace numbers_internal {

// The value of a token that is nothing but 1 to 18 decimal digits, or for
// base 0 and 16 "0x" and 1 to 15 hexadecimal digits (no overflow possible
// either way), or -1: the common cases, converted inline.
inline long ShortNumber(std::string_view token, int base) {
  if (base != 10 && base != 0 && base != 16) return -1;
  if (base != 10 && token.size() > 2 && token[0] == '0' &&
      (token[1] | 0x20) == 'x') {
    base = 16;
    token.remove_prefix(2);
  }
  if (token.empty() || token.size() > (base == 16 ? 15u : 18u)) return -1;
  if (base == 16) {
    long value = 0;
    for (char c : token) {
      unsigned digit = static_cast<unsigned char>(c) - '0';
      if (digit > 9) {
        digit = (static_cast<unsigned char>(c) | 0x20) - 'a';
        if (digit > 5) return -1;
        digit += 10;
      }
      value = value * 16 + static_cast<long>(digit);
    }
    return value;
  }
  // For base 0 a leading 0 makes the number octal.
  if (base == 0 && token[0] == '0' && token.size() > 1) return -1;
  long value = 0;
  for (char c : token) {
    const unsigned digit = static_cast<unsigned char>(c) - '0';
    if (digit > 9) return -1;
    value = value * 10 + static_cast<long>(digit);
  }
  return value;
}

long Strtol(std::string_view token, int base);
unsigned long Strtoul(std::string_view token, int base);

}  // namespace numbers_internal

// atoi: strtol, base 10, then cut to int (the low bits, two's complement).
int CheckedAtoi(const char* text);
inline int CheckedAtoi(std::string_view token) {
  const long value = numbers_internal::ShortNumber(token, 10);
  return static_cast<int>(value >= 0 ? value
                                     : numbers_internal::Strtol(token, 10));
}

// atol: strtol, base 10 (saturates at LONG_MIN / LONG_MAX).
long CheckedAtol(const char* text);
inline long CheckedAtol(std::string_view token) {
  const long value = numbers_internal::ShortNumber(token, 10);
  return value >= 0 ? value : numbers_internal::Strtol(token, 10);
}

// strtol (saturates at LONG_MIN / LONG_MAX).
long CheckedStrtol(const char* text, int base);
inline long CheckedStrtol(std::string_view token, int base) {
  const long value = numbers_internal::ShortNumber(token, base);
  return value >= 0 ? value : numbers_internal::Strtol(token, base);
}

// strtoul (saturates at ULONG_MAX); `end`, when given, receives the stop.
unsigned long CheckedStrtoul(const char* text, int base,
                             const char** end = nullptr);
inline unsigned long CheckedStrtoul(std::string_view token, int base) {
  const long value = numbers_internal::ShortNumber(token, base);
  return value >= 0 ? static_cast<unsigned long>(value)
                    : numbers_internal::Strtoul(token, base);
}

// sscanf "%u" at `*cursor`: skips white space, reads an optional sign and
// at least one digit, and advances `*cursor` past them. Returns false,
// leaving `*cursor` alone, when no digit follows. Out-of-range values are cut
// like strtoul.
bool ScanUnsigned(const char** cursor, unsigned* out);

// Packet counts never wrap: they stop at the largest value.
inline uint64_t SaturatingAdd(uint64_t a, uint64_t b) {
  return a + b < a ? UINT64_MAX : a + b;
}
inline uint64_t SaturatingMul(uint64_t a, uint64_t b) {
  return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

}  // namespace tnwk

#endif  // TNWK_BASE_NUMBERS_H_
