// The fast reader must give exactly what zlib's gzgets gives: the same
// lines, the same error and the same close result, for plain files, gzip
// files of several members, long lines, trailing bytes, and every kind of
// truncated or damaged data.
#include "driver/line_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace tnwk {
namespace {

std::string GzipMember(const std::string& text, int level) {
  z_stream stream{};
  deflateInit2(&stream, level, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY);
  std::string packed(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(packed.data());
  stream.avail_out = static_cast<uInt>(packed.size());
  deflate(&stream, Z_FINISH);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return packed;
}

// Every line, then the error and the close result, as one text.
std::string ReadAll(const std::string& path, LineReader::Decoder decoder) {
  LineReader reader;
  if (!reader.OpenFile(path.c_str(), decoder)) return "cannot open";
  std::string all;
  while (const char* line = reader.Next()) all += std::string(line) + "|";
  std::string close_error;
  const int result = reader.Close(&close_error);
  return all + "\nerror: " + reader.error() +
         "\nclose: " + std::to_string(result) + " " + close_error;
}

TEST(LineReader, FastReaderGivesWhatZlibGives) {
  testing::TempDir dir;
  std::mt19937 random(99);
  auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  for (int round = 0; round < 120; ++round) {
    // Text of repetitive lines (so that it packs well and spans many 16 KiB
    // pieces), some of them longer than a line buffer, maybe without a
    // final newline.
    std::string text;
    const uint32_t kind = pick(8);
    // Files of more than the reader's buffer for a damaged checksum.
    const uint32_t lines = kind == 7 ? 4000 + pick(6000) : pick(2000);
    for (uint32_t i = 0; i < lines; ++i) {
      const uint32_t length = pick(50) == 0 ? 900 + pick(2000) : pick(120);
      for (uint32_t j = 0; j < length; ++j) {
        text += static_cast<char>(j % 3 == 0 ? 'x' : 'a' + pick(26));
      }
      text += '\n';
    }
    if (pick(4) == 0 && !text.empty()) text.pop_back();
    std::string file;
    if (kind == 0) {
      file = text;  // plain
    } else {
      // One to three members.
      size_t at = 0;
      for (uint32_t m = 1 + pick(3); m > 0; --m) {
        const size_t length =
            m == 1 ? text.size() - at
                   : pick(static_cast<uint32_t>(text.size() - at + 1));
        file += GzipMember(text.substr(at, length), 1 + pick(9));
        at += length;
      }
      if (kind == 7 && file.size() > 8) {
        // A damaged checksum or length: zlib drops the last piece it
        // inflated.
        file[file.size() - 1 - pick(8)] ^= static_cast<char>(1 + pick(255));
      }
      if (pick(6) == 0) file += "trailing bytes\n";
      if (kind == 1 && !file.empty()) {
        file.resize(pick(static_cast<uint32_t>(file.size())));  // truncated
      } else if (kind >= 2 && kind <= 6) {
        for (uint32_t n = 1 + pick(3); n > 0 && !file.empty(); --n) {
          file[pick(static_cast<uint32_t>(file.size()))] ^=
              static_cast<char>(1 + pick(255));  // damaged
        }
      }
    }
    const std::string path = dir.WriteFile("f" + std::to_string(round), file);
    SCOPED_TRACE("round " + std::to_string(round));
    EXPECT_EQ(ReadAll(path, LineReader::Decoder::kFast),
              ReadAll(path, LineReader::Decoder::kZlib));
  }
}

}  // namespace
}  // namespace tnwk
