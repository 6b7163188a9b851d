#ifndef TNWK_BASE_STATUS_H_
#define TNWK_BASE_STATUS_H_

#include <string>
#include <string_view>
#include <utility>

namespace tnwk {

// The result of a step that can fail with a message for the operator: ok,
// or an error that carries its message. Success costs nothing; only an error
// holds a string. The caller decides whether and at which verbosity the
// message is written, and only main turns a failure into an exit status.
class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status Error(std::string_view message) {
    return Status(std::string(message));
  }

  bool ok() const { return !failed_; }
  // The error's message; empty when ok.
  const std::string& message() const { return message_; }

 private:
  explicit Status(std::string message)
      : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

}  // namespace tnwk

#endif  // TNWK_BASE_STATUS_H_
