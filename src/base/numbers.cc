#include "base/numbers.h"

#include <climits>

namespace tnwk {

namespace {

// The scanners convert several numbers per line, and the C library's
// conversions (locale, errno, a general base loop) cost more than the
// scanning of the whole line. This is the same algorithm written for the
// "C" locale, on a bounded text: `end` is the token's end, or null for a
// terminated string (whose NUL stops every step below by itself).

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');  // \t \n \v \f \r
}

// The value of digit `c` in any base up to 36, or 36 for a non-digit.
unsigned DigitValue(char c) {
  unsigned u = static_cast<unsigned char>(c);
  if (u - '0' < 10) return u - '0';
  u |= 0x20;  // lower case
  if (u - 'a' < 26) return u - 'a' + 10;
  return 36;
}

struct Parsed {
  unsigned long magnitude = 0;
  bool negative = false;
  bool overflow = false;  // the magnitude does not fit unsigned long
  const char* stop;       // first character not converted
};

Parsed Parse(const char* p, const char* end, int base) {
  Parsed result;
  result.stop = p;
  // Nearly every token is a short run of decimal digits: up to 19 of them
  // cannot overflow, so they need none of the checks below.
  if ((base == 10 || base == 0) && p != end) {
    unsigned digit = static_cast<unsigned char>(*p) - '0';
    if (digit < 10 && (base == 10 || digit != 0)) {
      const char* q = p;
      unsigned long value = 0;
      while (q != end && q - p < 19 &&
             (digit = static_cast<unsigned char>(*q) - '0') < 10) {
        value = value * 10 + digit;
        ++q;
      }
      if (q == end || static_cast<unsigned>(*q - '0') >= 10) {
        result.magnitude = value;
        result.stop = q;
        return result;
      }
    }
  }
  auto more = [&](const char* q) { return q != end && *q != '\0'; };
  if (base < 0 || base == 1 || base > 36) return result;  // EINVAL: 0
  while (more(p) && IsSpace(*p)) ++p;
  if (more(p) && (*p == '+' || *p == '-')) {
    result.negative = *p == '-';
    ++p;
  }
  // "0x" counts as a prefix only when a hexadecimal digit follows it;
  // otherwise the 0 alone is the number.
  if ((base == 0 || base == 16) && more(p) && *p == '0' && more(p + 1) &&
      (p[1] | 0x20) == 'x' && more(p + 2) && DigitValue(p[2]) < 16) {
    p += 2;
    base = 16;
  } else if (base == 0) {
    base = more(p) && *p == '0' ? 8 : 10;
  }
  const unsigned long limit = ULONG_MAX / static_cast<unsigned>(base);
  const unsigned long last = ULONG_MAX % static_cast<unsigned>(base);
  const char* digits = p;
  unsigned long value = 0;
  for (; more(p); ++p) {
    const unsigned digit = DigitValue(*p);
    if (digit >= static_cast<unsigned>(base)) break;
    if (value > limit || (value == limit && digit > last)) {
      result.overflow = true;
    } else {
      value = value * static_cast<unsigned>(base) + digit;
    }
  }
  if (p == digits) return result;  // no digits: 0, nothing converted
  result.magnitude = value;
  result.stop = p;
  return result;
}

long ToLong(const Parsed& parsed) {
  const unsigned long min_magnitude = static_cast<unsigned long>(LONG_MAX) + 1;
  if (parsed.negative) {
    if (parsed.overflow || parsed.magnitude > min_magnitude) return LONG_MIN;
    return static_cast<long>(0 - parsed.magnitude);
  }
  if (parsed.overflow ||
      parsed.magnitude > static_cast<unsigned long>(LONG_MAX)) {
    return LONG_MAX;
  }
  return static_cast<long>(parsed.magnitude);
}

unsigned long ToUnsignedLong(const Parsed& parsed) {
  if (parsed.overflow) return ULONG_MAX;
  return parsed.negative ? 0 - parsed.magnitude : parsed.magnitude;
}

const char* End(std::string_view token) { return token.data() + token.size(); }

}  // namespace

// Converting an out-of-range long to int keeps the low bits (defined since
// C++20), which is also what the C library's atoi does in practice.
int CheckedAtoi(const char* text) {
  return static_cast<int>(ToLong(Parse(text, nullptr, 10)));
}
long CheckedAtol(const char* text) { return ToLong(Parse(text, nullptr, 10)); }
long CheckedStrtol(const char* text, int base) {
  return ToLong(Parse(text, nullptr, base));
}
unsigned long CheckedStrtoul(const char* text, int base, const char** end) {
  const Parsed parsed = Parse(text, nullptr, base);
  if (end != nullptr) *end = parsed.stop;
  return ToUnsignedLong(parsed);
}

namespace numbers_internal {

long Strtol(std::string_view token, int base) {
  return ToLong(Parse(token.data(), End(token), base));
}

unsigned long Strtoul(std::string_view token, int base) {
  return ToUnsignedLong(Parse(token.data(), End(token), base));
}

}  // namespace numbers_internal

namespace {

// The position after white space and an optional sign, if a digit follows.
const char* DigitsStart(const char* p) {
  while (IsSpace(*p)) ++p;
  const char* q = p;
  if (*q == '+' || *q == '-') ++q;
  return DigitValue(*q) < 10 ? p : nullptr;
}

}  // namespace

bool ScanUnsigned(const char** cursor, unsigned* out) {
  const char* start = DigitsStart(*cursor);
  if (start == nullptr) return false;
  const Parsed parsed = Parse(start, nullptr, 10);
  *out = static_cast<unsigned>(ToUnsignedLong(parsed));
  *cursor = parsed.stop;
  return true;
}

}  // namespace tnwk
