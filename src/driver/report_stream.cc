#include "driver/report_stream.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace tnwk {

void ReportStream::NoteFailure() {
  // Keep the first cause: later failures are usually its consequence.
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void ReportStream::Put(std::string_view bytes) {
  if (bytes.empty()) return;
  written_ += bytes.size();
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    NoteFailure();
  }
}

void ReportStream::Put(char c) {
  ++written_;
  if (std::fputc(static_cast<unsigned char>(c), file_) == EOF) NoteFailure();
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
  if (std::fflush(file_) != 0 || std::ferror(file_)) NoteFailure();
  return error_ == 0;
}

}  // namespace tnwk
