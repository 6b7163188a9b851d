#include "driver/report_stream.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace tnwk {

void ReportStream::NoteFailure() {
  // Keep the first cause: later failures are usually its consequence.
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void ReportStream::Drain() {
  if (used_ != 0 && std::fwrite(buffer_, 1, used_, file_) != used_) {
    NoteFailure();
  }
  used_ = 0;
}

void ReportStream::Put(std::string_view bytes) {
  written_ += bytes.size();
  while (!bytes.empty()) {
    if (used_ == sizeof buffer_) Drain();
    const size_t n = std::min(bytes.size(), sizeof buffer_ - used_);
    std::memcpy(buffer_ + used_, bytes.data(), n);
    used_ += n;
    bytes.remove_prefix(n);
  }
}

void ReportStream::PutText(const char* text) {
  if (text == nullptr) return;
  for (;;) {
    size_t run = std::strcspn(text, "\t\r\n");
    Put(std::string_view(text, run));
    if (text[run] == '\0') return;
    Put(' ');
    text += run + 1;
  }
}

void ReportStream::PutUnsigned(uint64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  Put(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

void ReportStream::PutSigned(int64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  Put(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

void ReportStream::PutDouble(double value) {
  char buffer[32];
  int length = std::snprintf(buffer, sizeof buffer, "%.7g", value);
  if (length > 0) {
    Put(std::string_view(buffer, static_cast<size_t>(length)));
  }
}

bool ReportStream::Flush() {
  errno = 0;
  Drain();
  if (std::fflush(file_) != 0 || std::ferror(file_)) NoteFailure();
  return error_ == 0;
}

}  // namespace tnwk
