#ifndef TNWK_DRIVER_REPORT_STREAM_H_
#define TNWK_DRIVER_REPORT_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace tnwk {

// The report's byte sink: a borrowed FILE* that remembers the first failed
// write, so that a truncated report is noticed at the end. Bytes are
// gathered in a buffer of its own and handed to the FILE* in large pieces
// (a report of a million rows puts tens of millions of pieces); Flush hands
// over the rest. Numbers are formatted on the stack; nothing here allocates.
class ReportStream {
 public:
  explicit ReportStream(std::FILE* file) : file_(file) {}

  void Put(std::string_view bytes);
  void Put(char c) {
    if (used_ == sizeof buffer_) Drain();
    buffer_[used_++] = c;
    ++written_;
  }
  // A text cell: TAB, carriage return and newline are written as a blank,
  // so a cell can never split the row; every other byte is kept.
  void PutText(const char* text);
  void PutUnsigned(uint64_t value);  // "%lu"
  void PutSigned(int64_t value);     // "%li"
  void PutDouble(double value);      // "%.7g"

  // How many bytes were put so far.
  uint64_t written() const { return written_; }

  // Flushes the stream. False when this or any earlier write failed.
  bool Flush();
  // errno of the first failed write or flush; 0 when none failed.
  int error() const { return error_; }

 private:
  void NoteFailure();
  // Hands the buffered bytes to the FILE*.
  void Drain();

  std::FILE* file_;
  int error_ = 0;
  uint64_t written_ = 0;
  size_t used_ = 0;
  char buffer_[64 * 1024];
};

}  // namespace tnwk

#endif  // TNWK_DRIVER_REPORT_STREAM_H_
