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

// atoi: strtol, base 10, then cut to int (the low bits, two's complement).
int CheckedAtoi(const char* text);
int CheckedAtoi(std::string_view token);

// atol: strtol, base 10 (saturates at LONG_MIN / LONG_MAX).
long CheckedAtol(const char* text);
long CheckedAtol(std::string_view token);

// strtol (saturates at LONG_MIN / LONG_MAX).
long CheckedStrtol(const char* text, int base);
long CheckedStrtol(std::string_view token, int base);

// strtoul (saturates at ULONG_MAX); `end`, when given, receives the stop.
unsigned long CheckedStrtoul(const char* text, int base,
                             const char** end = nullptr);
unsigned long CheckedStrtoul(std::string_view token, int base);

// sscanf "%d" / "%u" at `*cursor`: skips white space, reads an optional sign
// and at least one digit, and advances `*cursor` past them. Returns false,
// leaving `*cursor` alone, when no digit follows. Out-of-range values are cut
// like CheckedAtoi / strtoul.
bool ScanInt(const char** cursor, int* out);
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
