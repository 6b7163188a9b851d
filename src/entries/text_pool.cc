#include "entries/text_pool.h"

#include <cstring>

namespace tnwk {

namespace {
constexpr size_t kBlockBytes = 64 * 1024;
}

TextPool::TextPool() { Intern(""); }

const char* TextPool::Intern(std::string_view text) {
  if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
    text = text.substr(0, static_cast<const char*>(nul) - text.data());
  }
  auto it = texts_.find(text);
  if (it != texts_.end()) return it->data();
  char* copy = Allocate(text.size() + 1);
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  texts_.insert(std::string_view(copy, text.size()));
  return copy;
}

char* TextPool::Allocate(size_t bytes) {
  if (bytes > free_bytes_) {
    // Texts are short (at most 511 characters), so a large block serves
    // thousands of them; an oversized request still gets its own block.
    size_t size = bytes > kBlockBytes ? bytes : kBlockBytes;
    blocks_.push_back(std::make_unique<char[]>(size));
    free_ = blocks_.back().get();
    free_bytes_ = size;
  }
  char* result = free_;
  free_ += bytes;
  free_bytes_ -= bytes;
  return result;
}

}  // namespace tnwk
