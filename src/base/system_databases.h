#ifndef TNWK_BASE_SYSTEM_DATABASES_H_
#define TNWK_BASE_SYSTEM_DATABASES_H_

#include <cstddef>
#include <cstdint>

namespace tnwk {

// The one way into the system's protocol and service databases, for every
// layer: the parsers read names that logs write, the definition reader reads
// protocol names of criteria, the report names protocols and services. The
// databases are files that the C library reads anew on every lookup, so the
// callers keep what they look up. Nothing here allocates; a name that the
// database does not know gives the documented fallback, and no message.

// Size of the buffer that LookUpProtocolName writes a number into.
inline constexpr size_t kProtocolDigitsSize = 4;

// The protocol number of `name`, or -1 when the database has none.
int LookUpProtocolNumber(const char* name);

// The system's name of IP protocol `number`, or, when it has none, the
// number in decimal written into `digits` (at most its first three digits).
// The name is valid until the next lookup in the protocol database.
const char* LookUpProtocolName(unsigned number,
                               char (&digits)[kProtocolDigitsSize]);

// The port of service `name`, filed under the protocol name of `protocol`
// (LookUpProtocolName), or -1 when the database has none.
int LookUpServicePort(const char* name, unsigned protocol);

// The name of `port`, filed under the protocol name of `protocol`, or null
// when the database has none. Valid until the next service lookup.
const char* LookUpServiceName(uint16_t port, unsigned protocol);

}  // namespace tnwk

#endif  // TNWK_BASE_SYSTEM_DATABASES_H_
