#ifndef TNWK_BASE_CLOCK_H_
#define TNWK_BASE_CLOCK_H_

#include <cstddef>
#include <cstdint>
#include <ctime>

namespace tnwk {

// The one way the program reads the current time and converts between
// seconds since the epoch and local calendar time. Local time follows the
// process's time zone (TZ). Tests inject the present with FixedClock.
class Clock {
 public:
  virtual ~Clock() = default;

  // Seconds since the epoch, now.
  virtual int64_t Now() const = 0;

  // Breaks `t` into local calendar time (localtime_r). False when the time
  // cannot be represented; `out` is then unspecified.
  bool LocalTime(int64_t t, std::tm* out) const;

  // Local calendar time to seconds since the epoch (mktime); normalises the
  // fields of `tm` the way mktime does. -1 when it cannot be represented.
  int64_t MakeTime(std::tm* tm) const;

  // strftime of the local time of `t` into `out` (size bytes); returns the
  // length written, 0 when it did not fit or `t` has no local time.
  size_t FormatLocal(int64_t t, const char* format, char* out,
                     size_t size) const;
};

// The real clock: time().
class SystemClock final : public Clock {
 public:
  int64_t Now() const override;
};

// A clock stopped at a given instant.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(int64_t now) : now_(now) {}
  int64_t Now() const override { return now_; }
  void Set(int64_t now) { now_ = now; }

 private:
  int64_t now_;
};

}  // namespace tnwk

#endif  // TNWK_BASE_CLOCK_H_
