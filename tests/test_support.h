#ifndef TNWK_TESTS_TEST_SUPPORT_H_
#define TNWK_TESTS_TEST_SUPPORT_H_

#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tnwk::testing {

// An in-memory FILE* whose contents can be read back, for code that writes
// diagnostics or reports to a stream.
class CapturedStream {
 public:
  CapturedStream();
  ~CapturedStream();
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;

  std::FILE* get() { return file_; }
  // Everything written so far.
  std::string str();

 private:
  std::FILE* file_;
  char* buffer_ = nullptr;
  size_t size_ = 0;
};

// Sets TZ for the lifetime of the object and restores it afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone);
  ~ScopedTimeZone();

 private:
  std::string saved_;
  bool had_value_;
};

// A scratch directory removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  // Writes `contents` to the file `name` inside the directory; returns its
  // path.
  std::string WriteFile(std::string_view name, std::string_view contents);
  // Writes `contents` gzip-compressed.
  std::string WriteGzipFile(std::string_view name, std::string_view contents);

 private:
  std::string path_;
};

// The whole contents of the file at `path` (empty when it cannot be read).
std::string ReadFile(const std::string& path);

// A line of at most 1023 characters, never holding a NUL, spliced from
// `pieces` (whole or cut short) and random bytes: input for robustness tests
// of the scanners and readers.
std::string RandomLine(std::mt19937& random,
                       const std::vector<std::string>& pieces);

// Seconds since the epoch of a local calendar time in the current TZ.
long long LocalSeconds(int year, int month, int day, int hour, int minute,
                       int second);

}  // namespace tnwk::testing

#endif  // TNWK_TESTS_TEST_SUPPORT_H_
