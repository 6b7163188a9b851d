#ifndef TNWK_ENTRIES_TEXT_POOL_H_
#define TNWK_ENTRIES_TEXT_POOL_H_

#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tnwk {

// Keeps one terminated copy of each distinct text. Interned texts live as
// long as the pool, never move, and equal texts share one pointer, so two
// interned texts are equal exactly when their pointers are.
class TextPool {
 public:
  TextPool();
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;

  // Returns the pool's copy of `text` (up to an embedded NUL, if any).
  const char* Intern(std::string_view text);

 private:
  char* Allocate(size_t bytes);

  std::unordered_set<std::string_view> texts_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t free_bytes_ = 0;
};

}  // namespace tnwk

#endif  // TNWK_ENTRIES_TEXT_POOL_H_
