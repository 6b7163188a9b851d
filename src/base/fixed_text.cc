#include "base/fixed_text.h"

#include <cstring>

namespace tnwk {

void BoundedCopy(char* dest, size_t size, std::string_view text) {
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  // A view may carry an embedded NUL; the copy ends there like strncpy would.
  const void* nul = std::memchr(text.data(), '\0', n);
  if (nul != nullptr) n = static_cast<const char*>(nul) - text.data();
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

}  // namespace tnwk
