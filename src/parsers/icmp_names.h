#ifndef TNWK_PARSERS_ICMP_NAMES_H_
#define TNWK_PARSERS_ICMP_NAMES_H_

#include "base/diagnostics.h"
#include "entries/log_entry.h"

namespace tnwk {

// Names an ICMP or ICMPv6 type and code given in words. `token` is
// "icmp" or "icmpv6", a blank, a type word, "/" and a code word; each word
// is the run of [a-z0-9_] at its place (at most 127 characters of it). The
// type word is a type name of the family's table or a number; the code word
// a code name of that type or a number. A number that no table entry has is
// still taken as the type, with code 0.
//
// Returns 0 and sets entry.icmp_type and entry.icmp_code (8 bits each) when
// a type was determined, 1 with the entry unchanged when not. Writes
// "Unrecognized Type %s, ignoring\n" at verbosity 3 and the outcome
// "Type %s is %i; Code %s is %i\n" at verbosity 6.
int lookup_icmp_names(const char* token, LogEntry& entry,
                      const Diagnostics& diag);

}  // namespace tnwk

#endif  // TNWK_PARSERS_ICMP_NAMES_H_
