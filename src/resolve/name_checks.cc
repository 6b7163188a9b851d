#include "resolve/name_checks.h"

namespace tnwk {
namespace {

bool IsLabelCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

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

std::string HostNameToStore(std::string_view resolver_name) {
  // The resolver may give the absolute form of a name; the tables hold the
  // names without the root's dot.
  if (resolver_name.ends_with('.')) resolver_name.remove_suffix(1);
  return std::string(IsValidHostName(resolver_name) ? resolver_name : "-");
}

std::string ServiceNameToStore(std::string_view service_name) {
  if (!IsCellSafe(service_name) || !IsValidUtf8(service_name)) return "-";
  size_t characters = 0;
  for (char c : service_name) {
    if (!IsContinuation(static_cast<unsigned char>(c))) ++characters;
  }
  // A strict server refuses a longer value, which would leave the entry marked
  // for resolution and fail again on every run.
  return std::string(characters <= kNameColumnCharacters ? service_name : "-");
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length;
    char32_t code;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if (!IsContinuation(byte)) return false;
      code = code << 6 | (byte & 0x3F);
    }
    // Overlong three- and four-byte forms, surrogates, past U+10FFFF.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
        (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
      return false;
    }
    i += length;
  }
  return true;
}

std::string_view CutAtCharacter(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t length = max_bytes;
  // Back off the continuation bytes of the character the cut falls in, and
  // its lead byte with them.
  while (length > 0 &&
         IsContinuation(static_cast<unsigned char>(text[length]))) {
    --length;
  }
  return text.substr(0, length);
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
