#include "driver/line_reader.h"

#include <cerrno>
#include <cstring>

namespace tnwk {

LineReader::~LineReader() {
  if (file_ != nullptr) gzclose(file_);
}

bool LineReader::OpenFile(const char* path) {
  error_.clear();
  errno = 0;
  file_ = gzopen(path, "rb");
  return file_ != nullptr;
}

void LineReader::UseStream(std::FILE* stream) {
  error_.clear();
  stream_ = stream;
}

bool LineReader::ReadPiece(char* buffer) {
  // Both readers copy at most kBufferSize - 1 bytes and a terminator, so the
  // terminator reaches the last byte only when the piece is full.
  buffer[kBufferSize - 2] = 'x';
  buffer[kBufferSize - 1] = 'x';
  if (file_ != nullptr) {
    if (gzgets(file_, buffer, kBufferSize) != nullptr) return true;
    int code = Z_OK;
    const char* text = gzerror(file_, &code);
    if (code == Z_ERRNO) {
      error_ = std::strerror(errno);
    } else if (code != Z_OK && code != Z_STREAM_END) {
      error_ = text;
    }
    return false;
  }
  if (stream_ != nullptr) {
    if (std::fgets(buffer, kBufferSize, stream_) != nullptr) return true;
    if (std::ferror(stream_)) error_ = std::strerror(errno);
    return false;
  }
  return false;
}

bool LineReader::EndsMidLine(const char* buffer) {
  return buffer[kBufferSize - 1] == '\0' && buffer[kBufferSize - 2] != '\n';
}

char* LineReader::Next() {
  if (!ReadPiece(buffer_)) return nullptr;
  if (EndsMidLine(buffer_)) {
    // The line goes on: its first piece is the line, the rest is dropped up
    // to and including its newline. An error on the way is kept in error_
    // and ends the input at the next call.
    while (ReadPiece(skipped_) && EndsMidLine(skipped_)) {
    }
  }
  return buffer_;
}

int LineReader::Close(std::string* error_text) {
  if (file_ == nullptr) return 0;
  // gzerror must be read before gzclose frees the stream state.
  int code = Z_OK;
  std::string text = gzerror(file_, &code);
  int result = gzclose(file_);
  file_ = nullptr;
  if (result != Z_OK && result != Z_ERRNO && error_text != nullptr) {
    *error_text = text.empty() ? zError(result) : text;
  }
  return result;
}

}  // namespace tnwk
