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

char* LineReader::Next() {
  if (file_ != nullptr) {
    if (gzgets(file_, buffer_, kBufferSize) != nullptr) return buffer_;
    int code = Z_OK;
    const char* text = gzerror(file_, &code);
    if (code == Z_ERRNO) {
      error_ = std::strerror(errno);
    } else if (code != Z_OK && code != Z_STREAM_END) {
      error_ = text;
    }
    return nullptr;
  }
  if (stream_ != nullptr) {
    if (std::fgets(buffer_, kBufferSize, stream_) != nullptr) return buffer_;
    if (std::ferror(stream_)) error_ = std::strerror(errno);
    return nullptr;
  }
  return nullptr;
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
