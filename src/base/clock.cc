#include "base/clock.h"

namespace tnwk {

bool Clock::LocalTime(int64_t t, std::tm* out) const {
  std::time_t tt = static_cast<std::time_t>(t);
  return localtime_r(&tt, out) != nullptr;
}

int64_t Clock::MakeTime(std::tm* tm) const {
  return static_cast<int64_t>(std::mktime(tm));
}

size_t Clock::FormatLocal(int64_t t, const char* format, char* out,
                          size_t size) const {
  std::tm tm;
  if (size == 0) return 0;
  out[0] = '\0';
  if (!LocalTime(t, &tm)) return 0;
  return std::strftime(out, size, format, &tm);
}

int64_t SystemClock::Now() const {
  return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace tnwk
