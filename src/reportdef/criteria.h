#ifndef TNWK_REPORTDEF_CRITERIA_H_
#define TNWK_REPORTDEF_CRITERIA_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "reportdef/definition_context.h"

namespace tnwk {

// Handles a "w_" (kLineCriterionValue) or "i_" (kLineCriterionInvert) line for
// the keyword `key`. `parameter` is the line's parameter (not null); value
// lines of most types clean it in place. The outcome, by keyword:
// - aggregate limits and "id" set their limit or Options::single_line;
// - TCP flag keywords fold into one tcp_flags criterion with a bit mask,
//   ip_df / ip_mf into the ip_fragoff criterion (and fragoff_bits);
// - a line for a field that already has criteria merges into them: an
//   invert line sets invert on all of them, a value line gives its whole
//   value to the newest of them;
// - otherwise a new criterion goes to the front of the list; the further
//   items of a comma-separated list follow it as criteria of their own.
// Unknown keys, keywords that are no criteria, invert lines on yes/no,
// date and flag keywords, patterns that do not compile and addresses that
// do not convert are reported and skipped; nothing fails.
void add_criterion(DefinitionContext& context, std::string_view key,
                   char* parameter, int line_no, int kind);

// The dotted form of a host-order IPv4 address, and the canonical text of
// an IPv6 address, as the diagnostics print them.
std::string DottedAddress(uint32_t host_order);
std::string Ipv6Text(const std::array<uint8_t, 16>& address);

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_CRITERIA_H_
