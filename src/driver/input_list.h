#ifndef TNWK_DRIVER_INPUT_LIST_H_
#define TNWK_DRIVER_INPUT_LIST_H_

#include <string>
#include <string_view>
#include <vector>

namespace tnwk {

// The inputs named on the command line, in their order. The name "-" means
// standard input, and once it is seen standard input is the only input.
class InputList {
 public:
  // "-": read standard input, and forget every file name. Any other name
  // while standard input is chosen: ignored. Otherwise the name (cut to 255
  // characters) is appended.
  void add_input(std::string_view name);

  const std::vector<std::string>& files() const { return files_; }
  int input_file_count() const { return input_file_count_; }
  bool read_stdin() const { return read_stdin_; }

 private:
  std::vector<std::string> files_;
  int input_file_count_ = 0;
  bool read_stdin_ = false;
};

// The last path component of `name`: the text after its last "/", or the
// whole name when it has none.
std::string_view BaseName(std::string_view name);

}  // namespace tnwk

#endif  // TNWK_DRIVER_INPUT_LIST_H_
