#ifndef TNWK_DRIVER_LINE_READER_H_
#define TNWK_DRIVER_LINE_READER_H_

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct inflate_state;

namespace tnwk {

// Reads one input line by line: a file (plain, or gzip-compressed in one or
// more members) or an already open stream such as standard input. A line is
// given as its first 1023 characters at most, with its newline when that
// fits; the rest of a longer physical line is skipped, so each physical line
// is one line, and the tail of a long line can never pass for a line of its
// own.
//
// Files are read as zlib's gzopen / gzgets read them, and give the same lines
// and errors. Plain files are read in large blocks, and gzip data is inflated
// by a faster inflater in the pieces zlib would inflate (16 KiB of a member's
// output at a time), each of which is used only once it inflated without
// error. At the first sign of damaged or truncated data the file is handed
// to zlib, which skips what was already read and goes on from there, so the
// last lines and the error text are zlib's.
class LineReader {
 public:
  static constexpr int kBufferSize = 1024;

  // Which reader a file goes through: the fast one with zlib behind it, or
  // zlib alone.
  enum class Decoder { kFast, kZlib };

  LineReader();
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens `path` for reading, as gzopen "rb" would. False when it cannot be
  // opened; errno then tells why.
  bool OpenFile(const char* path, Decoder decoder = Decoder::kFast);

  // Reads from `stream`, which stays open and owned by the caller.
  void UseStream(std::FILE* stream);

  // The next line, terminated, in a buffer that the next call reuses; null
  // at the end of the input or when reading failed (see error()).
  char* Next();

  // After Next() returned null: the reason when the read failed (damaged or
  // truncated compressed data, a read error), empty at a clean end.
  const std::string& error() const { return error_; }

  // Closes a file opened by OpenFile and returns gzclose's result (or what
  // it would be); when it is not 0 or -1, `error_text` receives the zlib
  // error text. Returns 0 when no file is open.
  int Close(std::string* error_text);

 private:
  enum class Format { kUnknown, kPlain, kGzip };

  // zlib and fgets: one piece of at most kBufferSize - 1 characters into
  // `buffer`, as gzgets or fgets reads it. Returns false at the end or on an
  // error.
  bool ReadPiece(char* buffer);
  // Whether the piece just read into `buffer` filled it without ending the
  // line. Pieces may hold NUL bytes, so the length cannot tell; the marks
  // that ReadPiece leaves in the last two bytes do.
  static bool EndsMidLine(const char* buffer);
  char* NextPiece();

  // The fast reader.
  char* NextFast();
  // Adds bytes to data_; false when there are none (end of input, a read
  // error, or the hand-over to zlib).
  bool Fill();
  bool ReadInput();
  bool InflateChunk();
  // Hands the file over to zlib from the consumed_th byte of its data.
  bool SwitchToZlib();

  std::string path_;
  gzFile file_ = nullptr;
  std::FILE* stream_ = nullptr;
  int fd_ = -1;
  Format format_ = Format::kUnknown;
  bool input_ended_ = false;
  bool skipping_ = false;  // inside the tail of a long line
  uint64_t consumed_ = 0;  // bytes of data given out or skipped
  std::unique_ptr<unsigned char[]> input_;
  size_t input_begin_ = 0, input_end_ = 0;
  std::unique_ptr<unsigned char[]> data_;
  size_t data_begin_ = 0, data_end_ = 0;
  std::unique_ptr<inflate_state> inflater_;
  bool in_member_ = false;
  uint32_t member_out_ = 0;  // bytes of the member's output, modulo 2^32
  std::string error_;
  char buffer_[kBufferSize];
  char skipped_[kBufferSize];  // the tail of a long line, thrown away
};

}  // namespace tnwk

#endif  // TNWK_DRIVER_LINE_READER_H_
