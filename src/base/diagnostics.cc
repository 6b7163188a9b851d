#include "base/diagnostics.h"

#include <cstdarg>

namespace tnwk {

void Diagnostics::Log(unsigned level, const char* format, ...) const {
  if (verbosity_ < level) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stream_, format, args);
  va_end(args);
}

void Diagnostics::Print(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  std::vfprintf(stream_, format, args);
  va_end(args);
}

}  // namespace tnwk
