#include "resolve/name_checks.h"

namespace tnwk {
namespace {

bool IsLabelCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '-' || c == '_';
}

}  // namespace

bool IsValidHostName(std::string_view name) {
  if (name.empty() || name.size() > 253) return false;
  bool label_empty = true;
  for (char c : name) {
    if (c == '.') {
      if (label_empty) return false;
      label_empty = true;
    } else if (IsLabelCharacter(c)) {
      label_empty = false;
    } else {
      return false;
    }
  }
  return !label_empty;
}

bool IsCellSafe(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return false;
  }
  return true;
}

}  // namespace tnwk
