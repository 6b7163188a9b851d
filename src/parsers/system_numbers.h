#ifndef TNWK_PARSERS_SYSTEM_NUMBERS_H_
#define TNWK_PARSERS_SYSTEM_NUMBERS_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/fixed_text.h"

namespace tnwk {

// Numbers from the system's protocol and service databases, for logs that
// write names where the entry holds numbers. Each answer, found or not, is
// kept for the run: the databases are files read anew on every lookup, and
// a log repeats the same few names line after line. Nothing is allocated.
class SystemNumbers {
 public:
  // The protocol number of `name` in the protocol database, or -1.
  int ProtocolNumber(const char* name);

  // The port of service `name` for IP protocol `protocol`, looked up under
  // the system's name of the protocol (or its number in decimal when it has
  // none), or -1 when the service database has no such service.
  int ServicePort(const char* name, uint8_t protocol);

 private:
  // Names longer than this are looked up every time.
  static constexpr size_t kNameSize = 33;
  static constexpr size_t kSlots = 32;
  // Protocol lookups are kept under kNoProtocol.
  static constexpr int kNoProtocol = -1;

  struct Answer {
    FixedText<kNameSize> name;
    int protocol;
    int number;
  };

  const Answer* Find(const char* name, int protocol) const;
  int Keep(const char* name, int protocol, int number);

  std::array<Answer, kSlots> answers_;
  size_t used_ = 0;
  size_t next_ = 0;  // the slot the next answer replaces once all are used
};

}  // namespace tnwk

#endif  // TNWK_PARSERS_SYSTEM_NUMBERS_H_
