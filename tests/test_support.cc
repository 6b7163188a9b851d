#include "test_support.h"

#include <stdlib.h>
#include <zlib.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tnwk::testing {

CapturedStream::CapturedStream() { file_ = open_memstream(&buffer_, &size_); }

CapturedStream::~CapturedStream() {
  std::fclose(file_);
  free(buffer_);
}

std::string CapturedStream::str() {
  std::fflush(file_);
  return std::string(buffer_, size_);
}

ScopedTimeZone::ScopedTimeZone(const char* zone) {
  const char* old = getenv("TZ");
  had_value_ = old != nullptr;
  if (had_value_) saved_ = old;
  setenv("TZ", zone, 1);
  tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  if (had_value_) {
    setenv("TZ", saved_.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TempDir::TempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "tnwk_test_XXXXXX").string();
  path_ = mkdtemp(pattern.data());
}

TempDir::~TempDir() { std::filesystem::remove_all(path_); }

std::string TempDir::WriteFile(std::string_view name,
                               std::string_view contents) {
  std::string path = path_ + "/" + std::string(name);
  std::ofstream(path, std::ios::binary)
      .write(contents.data(), static_cast<std::streamsize>(contents.size()));
  return path;
}

std::string TempDir::WriteGzipFile(std::string_view name,
                                   std::string_view contents) {
  std::string path = path_ + "/" + std::string(name);
  gzFile file = gzopen(path.c_str(), "wb");
  gzwrite(file, contents.data(), static_cast<unsigned>(contents.size()));
  gzclose(file);
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

std::string RandomLine(std::mt19937& random,
                       const std::vector<std::string>& pieces) {
  std::string line;
  while (line.size() < 1023) {
    switch (random() % 4) {
      case 0:  // a random byte, never the terminator
        line += static_cast<char>(1 + random() % 255);
        break;
      case 1: {  // a piece cut short
        const std::string& piece = pieces[random() % pieces.size()];
        line += piece.substr(0, random() % (piece.size() + 1));
        break;
      }
      default:
        line += pieces[random() % pieces.size()];
    }
    if (random() % 16 == 0) break;
  }
  return line.substr(0, 1023);
}

long long LocalSeconds(int year, int month, int day, int hour, int minute,
                       int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return static_cast<long long>(std::mktime(&tm));
}

}  // namespace tnwk::testing
