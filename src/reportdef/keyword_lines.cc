#include "reportdef/keyword_lines.h"

#include <string>

#include "reportdef/value_parsers.h"

namespace tnwk {

const FieldKeyword* KeywordOfLine(const Diagnostics& diag, std::string_view key,
                                  const char* what,
                                  uint8_t FieldKeyword::*use) {
  const FieldKeyword* keyword = find_keyword(key);
  if (keyword == nullptr) {
    diag.Log(3, "Skipping unrecognized %s: %s\n", what,
             WithoutNewlines(key).c_str());
    return nullptr;
  }
  if (keyword->*use == 0) {
    diag.Log(5, "ignoring key = %s\n", std::string(key).c_str());
    return nullptr;
  }
  return keyword;
}

}  // namespace tnwk
