#include "driver/input_list.h"

namespace tnwk {

namespace {
constexpr size_t kMaxNameLength = 255;
}

void InputList::add_input(std::string_view name) {
  if (name == "-") {
    read_stdin_ = true;
    input_file_count_ = 0;
    files_.clear();
    return;
  }
  if (read_stdin_) {
    input_file_count_ = 0;
    return;
  }
  files_.emplace_back(name.substr(0, kMaxNameLength));
  ++input_file_count_;
}

std::string_view BaseName(std::string_view name) {
  size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

}  // namespace tnwk
