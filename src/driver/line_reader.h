#ifndef TNWK_DRIVER_LINE_READER_H_
#define TNWK_DRIVER_LINE_READER_H_

#include <zlib.h>

#include <cstdio>
#include <string>

namespace tnwk {

// Reads one input line by line: a file through zlib (plain and gzip files
// alike) or an already open stream such as standard input. A line is given
// as its first 1023 characters at most, with its newline when that fits; the
// rest of a longer physical line is skipped, so each physical line is one
// line, and the tail of a long line can never pass for a line of its own.
class LineReader {
 public:
  static constexpr int kBufferSize = 1024;

  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens `path` with gzopen "rb". False when it cannot be opened; errno
  // then tells why.
  bool OpenFile(const char* path);

  // Reads from `stream`, which stays open and owned by the caller.
  void UseStream(std::FILE* stream);

  // The next line, terminated, in a buffer that the next call reuses; null
  // at the end of the input or when reading failed (see error()).
  char* Next();

  // After Next() returned null: the reason when the read failed (damaged or
  // truncated compressed data, a read error), empty at a clean end.
  const std::string& error() const { return error_; }

  // Closes a file opened by OpenFile and returns gzclose's result; when it
  // is not 0 or -1, `error_text` receives the zlib error text. Returns 0
  // when no file is open.
  int Close(std::string* error_text);

 private:
  // One piece of at most kBufferSize - 1 characters into `buffer`, as
  // gzgets or fgets reads it. Returns false at the end or on an error.
  bool ReadPiece(char* buffer);
  // Whether the piece just read into `buffer` filled it without ending the
  // line. Pieces may hold NUL bytes, so the length cannot tell; the marks
  // that ReadPiece leaves in the last two bytes do.
  static bool EndsMidLine(const char* buffer);

  gzFile file_ = nullptr;
  std::FILE* stream_ = nullptr;
  std::string error_;
  char buffer_[kBufferSize];
  char skipped_[kBufferSize];  // the tail of a long line, thrown away
};

}  // namespace tnwk

#endif  // TNWK_DRIVER_LINE_READER_H_
