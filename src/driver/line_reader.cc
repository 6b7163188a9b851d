#include "driver/line_reader.h"

#include <fcntl.h>
#include <isa-l/igzip_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tnwk {

namespace {

constexpr size_t kInputBytes = 256 * 1024;
// zlib's gzgets inflates a member 16 KiB of output at a time (twice its
// default buffer size) and drops the whole piece when inflating it fails.
constexpr size_t kChunkBytes = 16 * 1024;
constexpr size_t kDataBytes = 256 * 1024 + LineReader::kBufferSize;
// Consumed input kept before the unconsumed part, for the gzip trailer.
constexpr size_t kInputHistory = 8;

constexpr unsigned char kGzipMagic0 = 0x1f;
constexpr unsigned char kGzipMagic1 = 0x8b;

}  // namespace

LineReader::LineReader() = default;

LineReader::~LineReader() {
  if (file_ != nullptr) gzclose(file_);
  if (fd_ >= 0) close(fd_);
}

bool LineReader::OpenFile(const char* path, Decoder decoder) {
  error_.clear();
  path_ = path;
  errno = 0;
  if (decoder == Decoder::kZlib) {
    file_ = gzopen(path, "rb");
    return file_ != nullptr;
  }
  fd_ = open(path, O_RDONLY);
  if (fd_ < 0) return false;
  input_ = std::make_unique<unsigned char[]>(kInputBytes);
  data_ = std::make_unique<unsigned char[]>(kDataBytes);
  return true;
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

char* LineReader::NextPiece() {
  if (skipping_) {
    // The file was handed to zlib inside the tail of a long line.
    skipping_ = false;
    while (ReadPiece(skipped_) && EndsMidLine(skipped_)) {
    }
  }
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

char* LineReader::Next() {
  if (file_ != nullptr || stream_ != nullptr) return NextPiece();
  if (fd_ < 0) return nullptr;
  return NextFast();
}

char* LineReader::NextFast() {
  constexpr size_t kLineMax = kBufferSize - 1;
  for (;;) {
    const unsigned char* begin = data_.get() + data_begin_;
    const size_t available = data_end_ - data_begin_;
    if (skipping_) {
      const auto* newline = static_cast<const unsigned char*>(
          std::memchr(begin, '\n', available));
      const size_t n = newline != nullptr
                           ? static_cast<size_t>(newline + 1 - begin)
                           : available;
      data_begin_ += n;
      consumed_ += n;
      if (newline != nullptr) {
        skipping_ = false;
        continue;
      }
      if (input_ended_) return nullptr;
    } else {
      size_t n = 0;
      if (const void* newline =
              std::memchr(begin, '\n', std::min(available, kLineMax))) {
        n = static_cast<size_t>(static_cast<const unsigned char*>(newline) + 1 -
                                begin);
      } else if (available >= kLineMax) {
        n = kLineMax;
        skipping_ = true;  // the rest of the line is dropped
      } else if (input_ended_) {
        n = available;  // the last line, without a newline
      }
      if (n != 0) {
        std::memcpy(buffer_, begin, n);
        buffer_[n] = '\0';
        data_begin_ += n;
        consumed_ += n;
        return buffer_;
      }
      if (input_ended_) return nullptr;
    }
    if (!Fill()) {
      if (file_ != nullptr) return NextPiece();  // handed to zlib
      if (!error_.empty()) return nullptr;
      input_ended_ = true;
    }
  }
}

bool LineReader::ReadInput() {
  // Keep the last consumed bytes: a gzip member's trailer is read back from
  // them.
  const size_t keep_from =
      input_begin_ > kInputHistory ? input_begin_ - kInputHistory : 0;
  std::memmove(input_.get(), input_.get() + keep_from, input_end_ - keep_from);
  input_begin_ -= keep_from;
  input_end_ -= keep_from;
  ssize_t n;
  do {
    n = read(fd_, input_.get() + input_end_, kInputBytes - input_end_);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    error_ = std::strerror(errno);
    return false;
  }
  input_end_ += static_cast<size_t>(n);
  return n > 0;
}

bool LineReader::Fill() {
  if (data_begin_ != 0) {
    std::memmove(data_.get(), data_.get() + data_begin_,
                 data_end_ - data_begin_);
    data_end_ -= data_begin_;
    data_begin_ = 0;
  }
  if (format_ == Format::kUnknown) {
    // As gzopen: gzip when the file starts with the gzip magic, else plain
    // text read as it is.
    while (input_end_ < 2 && ReadInput()) {
    }
    if (!error_.empty()) return false;
    if (input_end_ >= 2 && input_[0] == kGzipMagic0 &&
        input_[1] == kGzipMagic1) {
      format_ = Format::kGzip;
      inflater_ = std::make_unique<inflate_state>();
      isal_inflate_init(inflater_.get());
    } else {
      format_ = Format::kPlain;
      std::memcpy(data_.get() + data_end_, input_.get(), input_end_);
      data_end_ += input_end_;
      input_begin_ = input_end_ = 0;
      if (data_end_ != 0) return true;
    }
  }
  if (format_ == Format::kPlain) {
    ssize_t n;
    do {
      n = read(fd_, data_.get() + data_end_, kDataBytes - data_end_);
    } while (n < 0 && errno == EINTR);
    if (n < 0) error_ = std::strerror(errno);
    if (n <= 0) return false;
    data_end_ += static_cast<size_t>(n);
    return true;
  }
  bool added = false;
  while (kDataBytes - data_end_ >= kChunkBytes && InflateChunk()) {
    added = true;
  }
  // A chunk that failed was handed to zlib, which makes the data below
  // (never given out) its own again.
  if (file_ != nullptr) return false;
  return added;
}

bool LineReader::InflateChunk() {
  inflate_state& state = *inflater_;
  if (!in_member_) {
    // After a member, zlib reads on only when another member follows; any
    // other bytes are ignored.
    while (input_end_ - input_begin_ < 4 && ReadInput()) {
    }
    if (!error_.empty()) return false;
    const unsigned char* in = input_.get() + input_begin_;
    const size_t left = input_end_ - input_begin_;
    if (left < 2 || in[0] != kGzipMagic0 || in[1] != kGzipMagic1) {
      input_ended_ = true;
      return false;
    }
    // Reserved header flags are an error to zlib.
    if (left < 4 || (in[3] & 0xe0) != 0) return SwitchToZlib();
    isal_inflate_reset(&state);
    state.crc_flag = ISAL_GZIP;
    in_member_ = true;
    member_out_ = 0;
  }
  unsigned char* out = data_.get() + data_end_;
  state.next_out = out;
  state.avail_out = static_cast<uint32_t>(kChunkBytes);
  bool input_at_end = false;
  for (;;) {
    state.next_in = input_.get() + input_begin_;
    state.avail_in = static_cast<uint32_t>(input_end_ - input_begin_);
    const uint32_t out_before = state.avail_out;
    const uint32_t in_before = state.avail_in;
    const int result = isal_inflate(&state);
    input_begin_ = static_cast<size_t>(state.next_in - input_.get());
    if (result != ISAL_DECOMP_OK) return SwitchToZlib();
    const size_t produced = static_cast<size_t>(state.next_out - out);
    if (state.block_state == ISAL_BLOCK_FINISH) {
      // The trailer ends with the member's length modulo 2^32, which zlib
      // checks too.
      member_out_ += static_cast<uint32_t>(produced);
      if (input_begin_ < 4) return SwitchToZlib();
      const unsigned char* size = input_.get() + input_begin_ - 4;
      const uint32_t length = size[0] | size[1] << 8 | size[2] << 16 |
                              static_cast<uint32_t>(size[3]) << 24;
      if (length != member_out_) return SwitchToZlib();
      in_member_ = false;
      data_end_ += produced;
      return true;
    }
    if (state.avail_out == 0) {
      member_out_ += static_cast<uint32_t>(produced);
      data_end_ += produced;
      return true;
    }
    const bool progress =
        state.avail_out != out_before || state.avail_in != in_before;
    if (state.avail_in == 0 || !progress) {
      if (input_at_end) {
        // No more input, and the last call made no progress: truncated.
        if (!progress) return SwitchToZlib();
        continue;
      }
      if (!ReadInput()) {
        if (!error_.empty()) return false;
        input_at_end = true;
      }
    }
  }
}

bool LineReader::SwitchToZlib() {
  close(fd_);
  fd_ = -1;
  errno = 0;
  file_ = gzopen(path_.c_str(), "rb");
  if (file_ == nullptr) {
    error_ = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  // zlib inflates the file again and goes on where this reader stopped.
  gzseek(file_, static_cast<z_off_t>(consumed_), SEEK_SET);
  return false;
}

int LineReader::Close(std::string* error_text) {
  if (fd_ >= 0) {
    const int result = close(fd_);
    fd_ = -1;
    return result == 0 ? Z_OK : Z_ERRNO;
  }
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
